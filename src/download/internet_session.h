// The one asynchronous WinINet session of a deployment, the server it talks
// to, and the status callback that hands each request's handle and
// completion over to the user-interface thread.
//
// The callback runs on whatever thread WinINet chooses: Wine calls it from
// its own worker threads for asynchronous work and on the calling thread
// during some calls. It therefore only writes the hand-over words below
// (with interlocked stores), writes whole event-log lines and signals the
// wake event of message_pump.h; it never waits and never touches windows.
#ifndef WEVELINK_DOWNLOAD_INTERNET_SESSION_H
#define WEVELINK_DOWNLOAD_INTERNET_SESSION_H

#include <windows.h>
#include <wininet.h>

// Server location, set by the driver before ParseServerPort: the folder URL
// without file name, query or trailing separator (at most 259 characters;
// false, with nothing changed, for a longer one).
const char* ServerUrl();
bool SetServerUrl(const char* url);
// 80 by default; 443 asks for secure requests. Set by ParseServerPort.
unsigned short ServerPort();
// Extra attempts of CacheFileWithRetries ("CacheRetries"); below 0: none.
// SetCacheRetries keeps at most kMaxCacheRetries.
const long kMaxCacheRetries = 100;
long CacheRetries();
void SetCacheRetries(long retries);

// How long a request read into TransferBuffer (the initialization file, a
// list, the cookie) may take in all: ten receive timeouts of the page's
// "CacheTimeout", or a minute without one. A server that trickles such a
// file would otherwise keep the page busy with no dialog and no Cancel.
const unsigned long kSmallRequestTimeouts = 10;
const unsigned long kDefaultSmallRequestBoundMs = 60000;
unsigned long SmallRequestBoundMs();

// Redirects one request may follow; the next one ends it as a failure.
const long kRedirectLimit = 10;

// Whether a session is open.
bool IsInternetSessionOpen();

// Marks the current request as over: a handle that WinINet creates for it
// afterwards (its request was cancelled, or gave up waiting for it) is
// closed by the callback instead of being taken as the current request's.
void EndRequestContext();

// Whether WinINet may still call into the module or write into its memory: a request from its
// handle's creation until WinINet is done with it (a read still pending at a cancel goes on in
// WinINet's worker after the close), or an open given up before its handle came. The module may
// not be freed meanwhile.
bool InternetRequestsOutstanding();

// Opens the session (agent "Wevelink", the system's proxy settings,
// asynchronous), installs OnInternetStatus and applies the "CacheTimeout"
// page value when the page gave one (cacheTimeout non-null) as the receive
// timeout; a value that is not a positive number is logged and the
// platform's timeout stays. On failure to open: logs "Error %d opening connection to
// internet.", closes the event log, shows the text in a box owned by
// ownerForBox and returns false. A cacheTimeout of 16 characters or more
// fails its length check (which shows its own box): the session is closed
// again without a log line, the event log is closed and false returned.
// Either false ends the deployment; nothing is left open.
bool OpenInternetSession(HWND ownerForBox, const char* cacheTimeout);

// Removes the callback, closes the session and forgets it. With logLine,
// writes "Closed connection to internet." (the driver's normal ending);
// without, nothing (its clean ending). Does nothing when no session is open.
void CloseInternetSession(bool logLine = true);

// g_ServerPort from g_ServerUrl: 443 for "https" anywhere, 80 otherwise, an
// explicit ":port" after the host wins.
void ParseServerPort();

// The session's status callback: logs every notification and hands the
// current request's handle and completion over (see above). It also gives
// each new request handle the session's receive timeout: Wine accepts that
// option on the session but applies it only per request, and the handle is
// created inside WinINet's worker just before the request is sent.
void CALLBACK OnInternetStatus(HINTERNET handle, DWORD_PTR context, DWORD status,
                               LPVOID information, DWORD informationLength);

#endif
