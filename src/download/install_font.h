// Installation of the two TrueType fonts that the session programs use.
#ifndef WEVELINK_DOWNLOAD_INSTALL_FONT_H
#define WEVELINK_DOWNLOAD_INSTALL_FONT_H

#include "download/portable/special_names.h"

// Installs the downloaded (or expanded) font fileName ("MARRKAPL.TTf")
// from folder (ending in a backslash) into the Windows fonts folder, unless
// a file of that name is there already or cannot be looked at: copies it,
// deletes the downloaded copy, registers it under the Fonts key of the
// platform family (NT or 9x) and adds it to the system's font table. A copy
// that fails leaves the downloaded file and registers nothing (logged).
void InstallFont(const InstalledFont& font, const char* folder, const char* fileName);

#endif
