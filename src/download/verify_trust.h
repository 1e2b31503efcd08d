// The publisher check of a program before it is started. It runs on a
// worker thread while the calling (user-interface) thread keeps
// dispatching messages.
#ifndef WEVELINK_DOWNLOAD_VERIFY_TRUST_H
#define WEVELINK_DOWNLOAD_VERIFY_TRUST_H

#include <windows.h>

// 0 when the program file at path carries a valid Authenticode signature of
// a trusted publisher, else the platform's error code (TRUST_E_NOSIGNATURE,
// TRUST_E_BAD_DIGEST, CERT_E_UNTRUSTEDROOT, ...; TRUST_E_SYSTEM_ERROR when
// the check could not be started). A window titled "Security Warning" that
// appears meanwhile is centred once. When thumbprint is given, a trusted
// file's signer certificate's SHA-1 thumbprint goes there in 40 upper-case
// hex digits (empty when it cannot be read).
LONG VerifyTrust(const char* path, char* thumbprint = nullptr, size_t capacity = 0);


#endif
