// The file cacher: every file the control takes from its server passes
// through CacheFile, over the session of internet_session.h, or is copied
// from a folder when the server location is a file URL.
//
// All of it runs on the user-interface thread. Its waits dispatch messages
// (message_pump.h) so that the page and the progress dialog stay alive and
// Cancel can be pressed; a cancel ends the call early with true, and the
// caller tests CancelRequested itself.
#ifndef WEVELINK_DOWNLOAD_CACHE_FILE_H
#define WEVELINK_DOWNLOAD_CACHE_FILE_H

#include <windows.h>

enum { kTransferBufferSize = 4096 };

// What the reads took in. After a call without an output file it holds the
// whole response (its first 4096 bytes when it was longer) as a
// zero-terminated text; with an output file, the last piece read.
const char* TransferredText();

// Fetches fileName (relative to g_ServerUrl, sub-paths allowed) and writes
// it to outputFile (an open, writable handle at its start, owned by the
// caller) or, with INVALID_HANDLE_VALUE or null, only into TransferBuffer.
// A name holding a session-kind token first clears that kind's verified
// flag. Returns true when the file arrived whole (or the user cancelled);
// false on any failure, which is always logged and, with showErrors, shown
// in a message box. Failures include a request URL or local path that does
// not fit 259 characters, a status other than 200, a failed read, fewer
// bytes than the announced Content-Length and a failed write.
bool CacheFile(const char* fileName, HANDLE outputFile, bool showErrors);

// The retry policy: up to g_CacheRetries + 1 calls of CacheFile, stopping at
// the first success or at a cancel; only the last attempt shows its error.
// The output file is emptied before each further attempt so that a partial
// earlier attempt cannot stay in front of the file. With g_CacheRetries
// below 0 nothing is tried and the result is false.
bool CacheFileWithRetries(const char* fileName, HANDLE outputFile);

// Whether the last CacheFile failed because the server did not answer at
// all (no name, no connection, a reset or a timeout) rather than because
// of the file: the next requests to it would only fail the same way.
bool ServerStoppedAnswering();

// Frees the memory the cacher's reads go to, at the end of the module; a
// request with a read still pending keeps its own (internet_session.h).
void ReleaseTransferSpace();

#endif
