// Reading keys of the initialization files, which lie in the download
// folder under the last component of their configured names. Values come
// from GetPrivateProfileStringA: section and key names match without regard
// to case, a missing file, section or key gives the default, and a value is
// cut to the buffer's size less one.
#ifndef WEVELINK_CONFIG_INI_READER_H
#define WEVELINK_CONFIG_INI_READER_H

#include <windows.h>

// Local path of a configured file name: the download folder, "\", then the
// text after the name's last "\" or "/". Returns false (path empty) when
// the result does not fit; reading an empty path gives every default, so a
// name too long for a path reads as a missing file rather than as some
// other file that a cut path might name.
bool ComposeLocalIniPath(const char* name, char* path, size_t capacity);

// Reads section/key of path into value (capacity bytes, at least 1). An
// empty path gives the default.
void ReadIniText(const char* path, const char* section, const char* key,
                 const char* defaultValue, char* value, size_t capacity);

// A yes/no key with default no: the first character Y or y means yes.
bool ReadIniYesNo(const char* path, const char* section, const char* key);

// A number key: signed decimal as atol reads it, held to 32 bits.
LONG ReadIniNumber(const char* path, const char* section, const char* key,
                   const char* defaultValue);

#endif
