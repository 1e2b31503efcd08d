// The registry settings of a sibling thin client whose cabinet has been
// extracted into its folder.
#ifndef WEVELINK_DOWNLOAD_SIBLING_SETTINGS_H
#define WEVELINK_DOWNLOAD_SIBLING_SETTINGS_H

#include "download/portable/sibling_clients.h"

// Writes, all REG_SZ: under HKEY_LOCAL_MACHINE the client key followed by
// "\Version " and version (default value the program's path in folder,
// "InstallPath" the short form of folder, or the long form where the
// platform has none) and the program's App Paths key (default value its
// path, "Path" the folder); under HKEY_CURRENT_USER the client key's
// "Font" and "Pos33". A key that cannot be created is skipped with a log
// line; a value whose text does not fit is not written.
void WriteSiblingSettings(const SiblingClient& client, const char* version, const char* folder);

#endif
