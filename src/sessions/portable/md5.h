// The MD5 message digest (RFC 1321), one call over one buffer. The cookie
// cipher derives its keystream from it; nothing here is used for security
// beyond reading that cookie. Platform-free.
#ifndef WEVELINK_SESSIONS_PORTABLE_MD5_H
#define WEVELINK_SESSIONS_PORTABLE_MD5_H

#include <stddef.h>

enum { kMd5DigestSize = 16 };

// Writes the 16-byte digest of the length bytes at data into digest. data
// may be null when length is 0.
void Md5(const void* data, size_t length, unsigned char digest[kMd5DigestSize]);

#endif
