// How the initialization files' text values become deployment settings:
// the registry base, the connection type, yes/no and number keys. Kept
// apart from the file reading so that the mappings build and are tested
// without the platform.
#ifndef WEVELINK_CONFIG_PORTABLE_SETTING_VALUES_H
#define WEVELINK_CONFIG_PORTABLE_SETTING_VALUES_H

#include <stdint.h>

// "BaseRegistry": first character "1" gives 1, "2" gives 2, anything else
// (the empty value and null included) 0.
unsigned char BaseRegistryFromText(const char* value);

// "Connection": first character S/s 0, R/r 1, T/t 2, C/c 3, I/i 4; anything
// else, the empty value and null included, 2.
unsigned char ConnectionTypeFromText(const char* value);

// A yes/no key: yes when the first character is Y or y.
bool YesNoFromText(const char* value);

// A number key: signed decimal read like atol (leading blanks, sign, digits
// up to the first other character; no digits give 0), held to 32 bits.
int32_t NumberFromText(const char* value);

// "DestinationDir" and "WorkingDir": a folder given in full, "X:\\..." or
// "\\\\server\\share...", with no other ":" (a stream). A relative folder
// would be taken from wherever the browser's current folder happens to be.
bool IsFullFolderPath(const char* value);

#endif
