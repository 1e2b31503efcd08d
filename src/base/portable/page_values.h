// Platform-free readings of page parameter values and of the server
// location that the page's "IniFile" and address give.
#ifndef WEVELINK_BASE_PORTABLE_PAGE_VALUES_H
#define WEVELINK_BASE_PORTABLE_PAGE_VALUES_H

#include <stddef.h>

// "Begins with Y": the first character is Y or y. Null and "" are no.
bool BeginsWithY(const char* value);

// Decimal number the way the C library's atol reads it: leading blanks,
// an optional sign, digits up to the first other character; no digits give
// 0. Values beyond the 32-bit range are clamped instead of overflowing.
long ParseNumber(const char* value);

// A whole positive decimal number: blanks around it allowed, nothing else;
// clamped to the 32-bit range. False for "", "0", "-5", "12abc" and null,
// which atol would take as 0 or a part: a timeout of 0 means none at all.
bool ParsePositiveNumber(const char* value, long* number);

// Works out the server URL (folder part, no trailing separator, no query)
// and the initialization file name from the "IniFile" value and the page's
// address. Outputs are always terminated; returns false when either did not
// fit its buffer (the caller refuses the value rather than use a cut one).
bool DeriveServerLocation(const char* iniFile, const char* pageAddress, char* serverUrl,
                          size_t serverUrlCapacity, char* iniName, size_t iniNameCapacity);

// The last component of a name: the text after its last "\" or "/", or the
// whole name when it has neither. Points into name.
const char* LastPathComponent(const char* name);

#endif
