// Self-registration of the two downloaded libraries that are COM servers.
#ifndef WEVELINK_DOWNLOAD_REGISTER_LIBRARY_H
#define WEVELINK_DOWNLOAD_REGISTER_LIBRARY_H

// Loads the library at path into this (the browser's) process, calls its
// exported "DllRegisterServer" if it has one, and frees it. Loading runs
// the library's code, so its publisher is checked first: an untrusted
// library is not loaded, "Security error %X registering library
// %s:\r\n%s" is logged and shown through ThreadedMessageBox. A library
// that is not there or does not load is skipped with a log line only.
void RegisterLibrary(const char* path);

#endif
