// Module-wide values set once when the module starts: the module's own
// instance handle, the platform version and the folders it works in. Every
// folder text holds at most 259 characters; the temporary folder is given
// with its trailing backslash.
#ifndef WEVELINK_BASE_MODULE_FOLDERS_H
#define WEVELINK_BASE_MODULE_FOLDERS_H

#include <windows.h>

enum { kPathCapacity = 260, kComponentGroups = 4 };

// The module's own instance: dialogs, bitmaps and icons load from it. A test
// program that links the module's sources sets it to its own instance.
HINSTANCE ModuleResources();
void SetModuleResources(HINSTANCE instance);

const OSVERSIONINFOA& PlatformVersion();
const char* TempFolderPath();          // ends in "\"
const char* SystemFolderPath();        // Windows folder + "System"
const char* ActiveXCacheFolderPath();
const char* DownloadFolderPath();      // temporary folder + "Kestrava"
// Mainframe, iSeries, FTP and VT: the download folder text four times; ""
// for a group outside 0-3.
const char* ComponentFolderPath(int group);

// Module start: remembers the instance, reads the platform version, works out
// the folders and creates the download folder with its parents. Returns the
// start result.
bool InitializeModuleFolders(HINSTANCE instance);

#endif
