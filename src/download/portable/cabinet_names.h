// Names of the files inside a cabinet: whether a name stays inside the
// folder it is extracted to, and the names the session programs take when
// a cabinet installs them in desktop mode. Platform-free.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_CABINET_NAMES_H
#define WEVELINK_DOWNLOAD_PORTABLE_CABINET_NAMES_H

#include <stddef.h>

// True when the length characters at part are a name the platform takes
// for a device in any folder: CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to
// LPT9, any case, also with an extension or trailing blanks ("con.txt",
// "NUL "). A file of that name cannot be written; opening it reaches the
// device instead.
bool IsReservedDeviceName(const char* part, size_t length);

// True when name is a relative path that cannot leave the folder it is
// appended to: not empty, no leading "\" or "/", no ":" anywhere (drive
// letters and stream names), no ".." component between separators and no
// component that names a device.
// A cabinet's author chooses these names, so they are checked before any
// of them becomes a target path. Also applied to a cabinet's Run entry.
bool IsContainedRelativePath(const char* name);

// Desktop mode: the installed name of a session program or library that a
// cabinet carries under its web name ("KVMD.PRO" gives "KVMD.EXE",
// "KVWFK.DLL" gives "KVFK.DLL", any case); null for every other name.
const char* DesktopInstalledName(const char* nameInCabinet);

#endif
