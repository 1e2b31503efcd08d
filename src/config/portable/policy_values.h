// Platform-free reading of the machine policy's values: whether a URL lies
// under an approved site prefix, and a publisher thumbprint as written by an
// administrator.
#ifndef WEVELINK_CONFIG_PORTABLE_POLICY_VALUES_H
#define WEVELINK_CONFIG_PORTABLE_POLICY_VALUES_H

#include <stddef.h>

enum { kThumbprintCapacity = 41 };  // 40 hex digits

// Whether url is under prefix: the same scheme, host and port (compared
// without case; no port is the scheme's own, 80 or 443), and the prefix's
// path equal to the URL's path or followed in it by "/" (compared with
// case). A URL or prefix that cannot be read (no "://", a backslash, "%" or
// "@" in its host part, a port that is no number, a backslash or a "." or
// ".." segment in its path) is under nothing.
bool UrlIsUnderPrefix(const char* url, const char* prefix);

// The thumbprint in text with blanks left out and letters upper-cased:
// false when what remains is not 40 hex digits.
bool NormalizeThumbprint(const char* text, char* out, size_t capacity);

#endif
