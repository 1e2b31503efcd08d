// The desktop initialization file, named by the initialization file's
// "DesktopMode" key and read only in desktop mode: the installation and
// working folders, the preferred connection type, the program group with
// its labels and the desktop shortcut choices. Its support and about texts
// are copied by WriteSupportInfo during the desktop installation.
#ifndef WEVELINK_CONFIG_DESKTOP_INITIALIZATION_FILE_H
#define WEVELINK_CONFIG_DESKTOP_INITIALIZATION_FILE_H

#include <stddef.h>

// Local path of the desktop initialization file: the download folder, "\",
// and the last component of the "DesktopMode" value. False (path empty)
// when it does not fit.
bool ComposeDesktopIniPath(char* path, size_t capacity);

// Reads the file after the driver has cached it, before CreateFolderTree.
// Its "Desktop Shortcuts" flags replace what "ShortCutURL" keys set for the
// six kinds.
void ReadDesktopInitializationFile();

#endif
