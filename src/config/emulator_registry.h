// The registry values through which the emulator programs receive their
// deployment settings, under the emulator root of the current mode in the
// hive that BaseRegistry chooses (see deployment_settings.h). Each
// operation opens its keys, writes and closes them; nothing is kept.
#ifndef WEVELINK_CONFIG_EMULATOR_REGISTRY_H
#define WEVELINK_CONFIG_EMULATOR_REGISTRY_H

#include <windows.h>

// Writes CDVersion, BaseRegistry, WorkingDirType, Lock, LockFTP and
// HllapiConnectRetry under root; with WorkingDirType 1 also "Working
// Directory" under "Software\MARROCK\Kestrava Web" in HKEY_CURRENT_USER.
// A root that cannot be created is reported in a box and nothing is
// written; a failing working-folder key is reported and the rest written.
// Called by ReadInitializationFile on every reading.
void WriteEmulatorSettings(const char* root);

// Copies the "Support" lines (Line1 to Line9) and the "About" values of
// the initialization file at filePath into root\Support and root\About.
// Missing values and values beginning with "?" are not written; a key that
// cannot be opened is skipped without a message.
void WriteSupportInfo(const char* filePath);

// Stores a component file's installed version as 4 REG_BINARY bytes under
// the emulator root. A root that cannot be created is reported in web mode
// and silent in desktop mode.
void WriteComponentValue(const char* valueName, LONG value);

#endif
