// The shell's special folders as paths: the personal folder (the working
// folder's home when the page asks for it) and the desktop that receives
// shortcuts. A folder that the shell names but that does not exist yet is
// created, so a caller can put files there at once.
#ifndef WEVELINK_CONFIG_SPECIAL_FOLDERS_H
#define WEVELINK_CONFIG_SPECIAL_FOLDERS_H

#include <windows.h>

// Fills path (capacity bytes) with the folder of csidl, creating it when
// missing, and returns S_OK. Returns E_INVALIDARG, path untouched, when the
// shell has no file-system folder for csidl, the folder can neither be
// created nor found, or its path does not fit.
HRESULT GetSpecialFolder(int csidl, char* path, size_t capacity);

// Fills path with the desktop folder and a trailing backslash: on the
// Windows NT family the desktop of all users, elsewhere the user's own.
// When the lookup fails path keeps its text and still gets the backslash
// (an empty text stays empty). Returns false when the lookup failed or the
// result was cut.
bool GetDesktopFolder(char* path, size_t capacity);

#endif
