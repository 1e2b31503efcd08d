// The internet session's state, for the session and the cacher only (and
// tests): the server location, the open session and the hand-over words
// between the status callback and the cacher.
#ifndef WEVELINK_DOWNLOAD_INTERNET_SESSION_PRIVATE_H
#define WEVELINK_DOWNLOAD_INTERNET_SESSION_PRIVATE_H

#include "download/internet_session.h"

// Server location: the folder URL without file name, query or trailing
// separator (at most 259 characters).
extern char g_ServerUrl[260];
// 80 by default; 443 asks for secure requests. Set by ParseServerPort.
extern unsigned short g_ServerPort;
// Extra attempts of CacheFileWithRetries ("CacheRetries"); below 0: none.
extern long g_CacheRetries;

// The open session, null when none.
extern HINTERNET g_InternetSession;

// Hand-over between the callback and the cacher. CurrentRequest is written
// by the callback when the current request's handle is created and cleared
// by the cacher after it closes the handle. RequestComplete is set to 1 by
// the callback when the current request's asynchronous call completes,
// after RequestResult and RequestError hold that call's INTERNET_ASYNC_RESULT;
// the cacher clears it before each asynchronous call. Only notifications
// whose context equals RequestContext touch these words, so a late
// notification of an abandoned request cannot pass for the current one.
extern HINTERNET volatile CurrentRequest;
extern volatile LONG RequestComplete;
extern volatile DWORD_PTR RequestResult;
extern volatile DWORD RequestError;
// Context of the current request: starts at 1 and is incremented before
// each request, so the first request of the process has context 2.
extern volatile LONG RequestContext;
// Redirects the current request has followed, counted by the callback;
// RedirectLimitReached is set to 1 (and the waits woken) when a request
// goes past kRedirectLimit.
extern volatile LONG RequestRedirects;
extern volatile LONG RedirectLimitReached;
// Set to 1 with RedirectLimitReached when the request was redirected to a
// URL outside the policy's approved sites, which RefusedRedirect holds.
extern volatile LONG RedirectRefused;
extern char RefusedRedirect[260];

// Closing a request whose call is still pending: block (from the process heap), which that call
// may still write, is freed once WinINet is done with the request of context, and kept for good
// when that request is unknown.
void KeepUntilRequestEnds(DWORD_PTR context, void* block);
// The cacher gave up an open before its handle came; the callback closes the handle when it
// comes.
void NoteOpenGivenUp();

#endif
