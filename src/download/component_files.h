// Where a component file of a session kind lives on the workstation, whether
// it is there, and whether its installed version is older than the listed
// one. The update pipeline asks these for every listed file; the program
// group and the shortcuts ask IsFileMissing whether a program is installed.
#ifndef WEVELINK_DOWNLOAD_COMPONENT_FILES_H
#define WEVELINK_DOWNLOAD_COMPONENT_FILES_H

#include <windows.h>

#include <stddef.h>

// The folder a downloaded component file goes to, with its trailing
// backslash: cabinets in the ActiveX cache folder; in desktop mode the
// folder the installed file belongs in; in web mode with the personal
// working folder in force the same rule with the Mainframe component folder
// as installation folder; otherwise the kind's component folder. False
// when the folder cannot be found or does not fit.
bool ComponentDownloadFolder(const char* namePart, int kind, char* folder, size_t capacity);

// The component folder of kind's group: Mainframe for kinds 0 and 1,
// iSeries for 2 and 3, FTP for 4, VT for 5 (the Mainframe one for a kind
// out of range).
const char* KindComponentFolder(int kind);

// True when the file is absent from its local folder (ERROR_FILE_NOT_FOUND
// on opening it). "orvena.ini" is looked for in the Orvena folder, a
// compressed name under its expanded name in the folder of the expanded
// name, where the installer expands it; a compressed name without a known
// expansion counts as missing. Any other failure to open (no folder,
// a locked file) counts as present.
bool IsFileMissing(const char* namePart, int kind);

// True when the stored ComponentVersion of namePart is absent, unreadable or
// lower than version; a listed version of 0 always needs an update.
bool NeedsUpdate(const char* namePart, long version, int kind);

// The same with the ComponentVersion key already open for reading (null
// when it could not be opened: every file needs an update), so that a list
// costs one key open rather than one per file.
bool NeedsUpdateIn(HKEY versions, const char* namePart, long version);
// Opens the ComponentVersion key for reading; null when it is missing.
HKEY OpenComponentVersions();

#endif
