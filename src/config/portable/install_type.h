// Where an installed file belongs, decided from its name alone: shortcuts
// on the desktop, session configurations and keyboard maps in the working
// folder's Config, macros in Macros, scripts in Scripts, everything else
// in the installation folder.
//
// The type code is the text after the first "." less its first character
// ("host.Xmd" gives "md", "run.vbs" "bs", "run.js" "s"), compared whole and
// without regard to case. A name ending in "." has no type code.
#ifndef WEVELINK_CONFIG_PORTABLE_INSTALL_TYPE_H
#define WEVELINK_CONFIG_PORTABLE_INSTALL_TYPE_H

#include <stddef.h>

enum InstallPlace {
  kInstallOnDesktop,       // the last three characters are "lnk", any case
  kInstallInConfig,        // working folder\Config
  kInstallInMacros,        // working folder\Macros
  kInstallInScripts,       // working folder\Scripts
  kInstallInInstallation,  // installation folder
};

InstallPlace ClassifyInstallFile(const char* fileName);

// The folder for a place other than the desktop, ending in a backslash:
// the installation folder plus "\", or the working folder plus "\", the
// subfolder and "\". Returns false when the folder was cut to fit.
bool ComposeInstallFolder(InstallPlace place, const char* installFolder,
                          const char* workingFolder, char* folder, size_t capacity);

#endif
