// The desktop installation's registry values: the preferred connection
// type, the installation and working folders, the program group and the
// uninstall entry. They always use the desktop root
// "Software\MARROCK\Kestrava"; the uninstall entry always
// HKEY_LOCAL_MACHINE.
#ifndef WEVELINK_CONFIG_INSTALLATION_KEYS_H
#define WEVELINK_CONFIG_INSTALLATION_KEYS_H

#include <windows.h>

// "Preferred Connection Type", one byte, in the hive that BaseRegistry
// chooses. A key that cannot be created is skipped without a message.
void WritePreferredConnectionType(BYTE code);

// Called at the end of CreateFolderTree. Writes "Installation Directory",
// "WorkingDirType", "Working Directory" (WorkingDirType 0) and "Program
// Group" (group wanted) in the hive that BaseRegistry chooses; with
// WorkingDirType 1 "Working Directory" in HKEY_CURRENT_USER instead; then
// the uninstall entry. A desktop root that cannot be created is reported
// in a box and the next key is tried; a failing uninstall key is silent.
void WriteInstallationKeys();

#endif
