// Platform-free pieces of a cacher request: the URL formed from the server
// location and a file name, the request flags the server port implies, the
// plain path behind a file URL.
// Kept apart from the WinINet calls so that every case can be tested
// natively; the flag values are WinINet's, checked against its header in
// cache_file.cpp.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_REQUEST_URL_H
#define WEVELINK_DOWNLOAD_PORTABLE_REQUEST_URL_H

#include <stddef.h>

// INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION |
// INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_PRAGMA_NOCACHE: every list and
// file comes from the server itself. The platform's own cache may answer
// a file whose server sent Last-Modified (every real server does) from its
// copy within a browser session, and a proxy's cache answers whatever it
// holds unless the request says "Pragma: no-cache".
const unsigned long kPlainRequestFlags = 0x80400500;
// The same with INTERNET_FLAG_SECURE.
const unsigned long kSecureRequestFlags = 0x80C00500;
// And with the two flags that accept a certificate whose date or name does
// not match: only where the administrator's policy allows it.
const unsigned long kLaxSecureRequestFlags = 0x80C03500;

// Port 443 asks for a secure request, with the relaxed certificate checks
// only when laxCertificates; any other port for a plain one (an https URL
// with another explicit port is still made secure by WinINet from its
// scheme, with the full checks).
unsigned long RequestFlagsForPort(unsigned short port, bool laxCertificates);

// serverUrl, then "/" unless it already ends in one, then fileName as given
// (sub-paths and their separators included). Returns false, with url cut
// and terminated, when the whole URL does not fit capacity: the caller must
// refuse the request rather than fetch a different file.
bool FormRequestUrl(const char* serverUrl, const char* fileName, char* url, size_t capacity);

// Whether the server location is a file URL ("file://" anywhere, any case):
// such locations are copied from a folder instead of fetched.
bool IsFileUrl(const char* serverUrl);

// The plain path behind a file URL: "file:///C:/dir" and "file://C:/dir"
// give "C:\dir", "file://localhost/C:/dir" the same, "file://host/share"
// and "file:////host/share" give "\\host\share". Forward slashes become
// backslashes, "%XX" escapes are decoded and a "|" after the drive letter
// reads as ":". Text before "file://" is ignored. Returns false when the
// location is not a file URL, holds "%00" or the path does not fit.
bool FileUrlToPath(const char* serverUrl, char* path, size_t capacity);

// folder, a backslash unless it ends in one, then fileName with its forward
// slashes turned into backslashes. False when it does not fit.
bool FormLocalPath(const char* folder, const char* fileName, char* path, size_t capacity);


#endif
