// Module-wide values set once when the module starts: the module's own
// instance handle, the platform version and the folders it works in. Every
// folder text holds at most 259 characters; the temporary and download
// folders are given with their trailing backslash as noted.
#ifndef WEVELINK_CONTROL_MODULE_STATE_H
#define WEVELINK_CONTROL_MODULE_STATE_H

#include <windows.h>

enum { kPathCapacity = 260, kComponentGroups = 4 };

// The module's own instance: dialogs, bitmaps and icons load from it. A test
// program that links the module's sources sets it to its own instance.
extern HINSTANCE g_ModuleInstance;

extern OSVERSIONINFOA g_PlatformVersion;
extern char g_TempFolder[kPathCapacity];          // ends in "\"
extern char g_SystemFolder[kPathCapacity];        // Windows folder + "System"
extern char g_ActiveXCacheFolder[kPathCapacity];
extern char g_DownloadFolder[kPathCapacity];      // temporary folder + "Kestrava"
// Mainframe, iSeries, FTP and VT: the download folder text four times.
extern char g_ComponentFolder[kComponentGroups][kPathCapacity];

// Module start: remembers the instance, reads the platform version, works out
// the folders, opens the shared session window table when that exists, and
// creates the download folder with its parents. Returns the start result.
bool InitializeModuleFolders(HINSTANCE instance);

#endif
