// The internet session, its status callback and the server port.
//
// The callback's log lines are formatted into a 64-character buffer; the
// event log writes each with its time stamp in one piece, so that a line
// from a WinINet thread cannot be split by one the user-interface thread
// writes at the same moment.
#include "download/internet_session.h"

#include "config/machine_policy.h"

#include <string.h>

#include "base/message_box.h"
#include "base/portable/bounded_text.h"
#include "base/check_parameter.h"
#include "base/event_log.h"
#include "base/portable/page_values.h"
#include "base/message_pump.h"
#include "config/machine_policy.h"
#include "download/portable/server_port.h"
#include "download/internet_session_private.h"

char g_ServerUrl[260];
unsigned short g_ServerPort = 80;
long g_CacheRetries = 0;
HINTERNET g_InternetSession = nullptr;

const char* ServerUrl() { return g_ServerUrl; }
bool SetServerUrl(const char* url) {
  if (!url || strlen(url) >= sizeof g_ServerUrl) return false;
  CopyText(g_ServerUrl, sizeof g_ServerUrl, url);
  return true;
}
unsigned short ServerPort() { return g_ServerPort; }
long CacheRetries() { return g_CacheRetries; }
void SetCacheRetries(long retries) {
  g_CacheRetries = retries > kMaxCacheRetries ? kMaxCacheRetries : retries;
}
bool IsInternetSessionOpen() { return g_InternetSession != nullptr; }

HINTERNET volatile CurrentRequest = nullptr;
volatile LONG RequestComplete = 0;
volatile DWORD_PTR RequestResult = 0;
volatile DWORD RequestError = 0;
volatile LONG RequestContext = 1;
volatile LONG RequestRedirects = 0;
volatile LONG RedirectLimitReached = 0;
volatile LONG RedirectRefused = 0;
char RefusedRedirect[260];

namespace {

const DWORD kTimeoutCapacity = 16;

// The "CacheTimeout" of the open session in milliseconds; 0 when the page
// gave none and the platform's value stands.
volatile DWORD g_ReceiveTimeout = 0;

struct StatusText {
  DWORD status;
  const char* format;  // context, status code
};

const StatusText kStatusTexts[] = {
    {INTERNET_STATUS_RESOLVING_NAME, "(%d) RESOLVING_NAME %d"},
    {INTERNET_STATUS_NAME_RESOLVED, "(%d) NAME_RESOLVED %d"},
    {INTERNET_STATUS_CONNECTING_TO_SERVER, "(%d) CONNECTING_TO_SERVER %d"},
    {INTERNET_STATUS_CONNECTED_TO_SERVER, "(%d) CONNECTED_TO_SERVER %d"},
    {INTERNET_STATUS_SENDING_REQUEST, "(%d) SENDING_REQUEST %d"},
    {INTERNET_STATUS_REQUEST_SENT, "(%d) REQUEST_SENT %d"},
    {INTERNET_STATUS_RECEIVING_RESPONSE, "(%d) RECEIVING_RESPONSE %d"},
    {INTERNET_STATUS_RESPONSE_RECEIVED, "(%d) RESPONSE_RECEIVED %d"},
    {INTERNET_STATUS_CLOSING_CONNECTION, "(%d) CLOSING_CONNECTION %d"},
    {INTERNET_STATUS_CONNECTION_CLOSED, "(%d) CONNECTION_CLOSED %d"},
    {INTERNET_STATUS_HANDLE_CLOSING, "(%d) HANDLE_CLOSING %d"},
    {INTERNET_STATUS_REQUEST_COMPLETE, "(%d) REQUEST_COMPLETE %d"},
    {INTERNET_STATUS_REDIRECT, "(%d) REDIRECT %d"},
    {INTERNET_STATUS_INTERMEDIATE_RESPONSE, "(%d) INTERMEDIATE_RESPONSE %d"},
    {INTERNET_STATUS_STATE_CHANGE, "(%d) STATE_CHANGE %d"},
};

// The line for one notification, at most 63 characters and its line end;
// a longer one is cut, keeping the line end.
void FormatStatusLine(DWORD_PTR context, DWORD status, DWORD_PTR newHandle, char* line,
                      size_t capacity) {
  const char* format = "(%d) UNKNOWN_STATUS %d";
  for (const StatusText& entry : kStatusTexts) {
    if (entry.status == status) format = entry.format;
  }
  const size_t room = capacity - 2;  // for "\r\n"
  if (status == INTERNET_STATUS_HANDLE_CREATED) {
    FormatText(line, room, "(%d) HANDLE_CREATED %d %d", (int)context, (int)newHandle, (int)status);
  } else {
    FormatText(line, room, format, (int)context, (int)status);
  }
  AppendText(line, capacity, "\r\n");
}

// The first pointer-sized word of the status information: the new handle
// for HANDLE_CREATED (a bare HINTERNET in Wine, the dwResult that opens an
// INTERNET_ASYNC_RESULT in Windows).
DWORD_PTR FirstWord(const void* information, DWORD length) {
  if (!information) return 0;
  if (length >= sizeof(DWORD_PTR)) return *(const DWORD_PTR*)information;
  if (length >= sizeof(DWORD)) return *(const DWORD*)information;
  return 0;
}

bool IsCurrentContext(DWORD_PTR context) {
  return context == (DWORD_PTR)(DWORD)InterlockedCompareExchange(&RequestContext, 0, 0);
}

// Repeats the session's receive timeout on a new request handle; a
// failure is left to the platform's own timeout.
void ApplyReceiveTimeout(HINTERNET request) {
  DWORD timeout = g_ReceiveTimeout;
  if (timeout != 0)
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
}

// The context of the last request the cacher ended (EndRequestContext).
volatile LONG g_EndedContext = 0;

// Contexts come from RequestContext alone, one per request, so a context at
// or before the last ended one belongs to a request that is over.
bool IsEndedContext(DWORD_PTR context) {
  LONG ended = InterlockedCompareExchange(&g_EndedContext, 0, 0);
  return context != 0 && (LONG)((DWORD)context - (DWORD)ended) <= 0;
}

// Requests WinINet may still call back for, keyed by context: each from its handle's creation to
// HANDLE_CLOSING, with the memory that a call still pending on it may write (a cancelled read
// goes on in WinINet's worker). The module may not be freed before WinINet is done with them.
struct LiveRequest {
  volatile LONG context;  // 0: a free slot
  void* volatile kept;    // freed once WinINet is done with the request
};
LiveRequest g_LiveRequests[8];
// Set for good when a request found no slot: it might call back at any time.
volatile LONG g_RequestsUntracked = 0;
// Opens the cacher gave up before their handle came: the handle may still come.
volatile LONG g_OpensGivenUp = 0;

void TrackRequest(DWORD_PTR context) {
  if (context == 0) return;
  for (LiveRequest& slot : g_LiveRequests) {
    if (InterlockedCompareExchange(&slot.context, (LONG)context, 0) == 0) return;
  }
  InterlockedExchange(&g_RequestsUntracked, 1);
}

// The slot of the live request of context; null when there is none.
LiveRequest* LiveSlot(DWORD_PTR context) {
  for (LiveRequest& slot : g_LiveRequests) {
    if (context != 0 && InterlockedCompareExchange(&slot.context, 0, 0) == (LONG)context) {
      return &slot;
    }
  }
  return nullptr;
}

// WinINet is done with the request: nothing of it calls back or writes any more.
void ForgetRequest(DWORD_PTR context) {
  LiveRequest* slot = LiveSlot(context);
  if (slot == nullptr) return;
  void* kept = InterlockedExchangePointer(&slot->kept, nullptr);
  InterlockedExchange(&slot->context, 0);
  if (kept) HeapFree(GetProcessHeap(), 0, kept);
}

// Closes the handle of a request the cacher gave up on before it came: nobody else would ever
// close it, and the open it was waited for is over.
void CloseGivenUpHandle(HINTERNET handle) {
  InternetCloseHandle(handle);
  for (LONG count = InterlockedCompareExchange(&g_OpensGivenUp, 0, 0); count > 0;) {
    const LONG seen = InterlockedCompareExchange(&g_OpensGivenUp, count - 1, count);
    if (seen == count) break;
    count = seen;
  }
}

void OnHandleCreated(DWORD_PTR context, HINTERNET handle) {
  if (!handle) return;
  TrackRequest(context);
  if (IsEndedContext(context)) {
    // The cacher gave up on this request before its handle came (a cancel, or no handle in time).
    CloseGivenUpHandle(handle);
    return;
  }
  if (!IsCurrentContext(context)) return;
  ApplyReceiveTimeout(handle);
  InterlockedExchangePointer((void* volatile*)&CurrentRequest, handle);
  // The cacher may have ended the request between the test and the store;
  // then exactly one of the two takes the handle back and closes it.
  if (IsEndedContext(context) &&
      InterlockedCompareExchangePointer((void* volatile*)&CurrentRequest, nullptr, handle) ==
          handle) {
    CloseGivenUpHandle(handle);
    return;
  }
  // Nobody is woken: the cacher waits for the completion, which follows.
}

void OnRequestComplete(DWORD_PTR context, const void* information, DWORD length) {
  if (!IsCurrentContext(context)) return;
  const INTERNET_ASYNC_RESULT* result = (const INTERNET_ASYNC_RESULT*)information;
  if (result && length >= sizeof(INTERNET_ASYNC_RESULT)) {
    RequestResult = result->dwResult;
    RequestError = result->dwError;
  } else {
    RequestResult = 0;
    RequestError = ERROR_INTERNET_INTERNAL_ERROR;
  }
  // The full barrier of the exchange publishes the result before the flag.
  InterlockedExchange(&RequestComplete, 1);
  SignalWake();
}

// WinINet follows redirects by itself without a bound of its own under Wine,
// so a server that redirects to itself would hold the page for good. Past
// the limit the request is detached from this callback (Wine's worker may
// go on with it, but never calls into the module again) and the cacher is
// woken to end it. A redirect away from the approved sites ends the request
// the same way at once.
void OnRedirect(HINTERNET handle, DWORD_PTR context, const void* information, DWORD length) {
  if (!IsCurrentContext(context)) return;
  char target[sizeof RefusedRedirect] = "";
  if (information != nullptr) CopyTextN(target, sizeof target, (const char*)information, length);
  const bool refused = !PolicyApprovesUrl(target);
  if (!refused && InterlockedIncrement(&RequestRedirects) <= kRedirectLimit) return;
  if (InterlockedExchange(&RedirectLimitReached, 1) != 0) return;
  if (refused) {
    CopyText(RefusedRedirect, sizeof RefusedRedirect, target);
    InterlockedExchange(&RedirectRefused, 1);
  }
  if (handle) {
    InternetSetStatusCallback(handle, nullptr);
    ForgetRequest(context);
  }
  SignalWake();
}

}  // namespace

void CALLBACK OnInternetStatus(HINTERNET handle, DWORD_PTR context, DWORD status,
                               LPVOID information, DWORD informationLength) {
  DWORD_PTR newHandle = 0;
  if (status == INTERNET_STATUS_HANDLE_CREATED)
    newHandle = FirstWord(information, informationLength);

  if (IsEventLogOpen()) {
    char line[64];
    FormatStatusLine(context, status, newHandle, line, sizeof line);
    WriteLogLine(line);  // stamp and text in one write
  }

  switch (status) {
    case INTERNET_STATUS_HANDLE_CREATED:
      OnHandleCreated(context, (HINTERNET)newHandle);
      break;
    case INTERNET_STATUS_REQUEST_COMPLETE:
      OnRequestComplete(context, information, informationLength);
      break;
    case INTERNET_STATUS_REDIRECT:
      OnRedirect(handle, context, information, informationLength);
      break;
    case INTERNET_STATUS_HANDLE_CLOSING:
      ForgetRequest(context);
      break;
    default:
      break;
  }
}

void KeepUntilRequestEnds(DWORD_PTR context, void* block) {
  // Unknown to the table: whatever may still write the block keeps it.
  LiveRequest* slot = LiveSlot(context);
  if (slot != nullptr) InterlockedExchangePointer(&slot->kept, block);
}

void NoteOpenGivenUp() { InterlockedIncrement(&g_OpensGivenUp); }

bool InternetRequestsOutstanding() {
  if (InterlockedCompareExchange(&g_RequestsUntracked, 0, 0) != 0 ||
      InterlockedCompareExchange(&g_OpensGivenUp, 0, 0) != 0) {
    return true;
  }
  for (const LiveRequest& slot : g_LiveRequests) {
    if (slot.context != 0) return true;
  }
  return false;
}

void EndRequestContext() {
  InterlockedExchange(&g_EndedContext, InterlockedCompareExchange(&RequestContext, 0, 0));
}

bool OpenInternetSession(HWND ownerForBox, const char* cacheTimeout) {
  HINTERNET session = InternetOpenA("Wevelink", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                    INTERNET_FLAG_ASYNC);
  if (!session) {
    char message[260];
    FormatText(message, sizeof message, "Error %d opening connection to internet.",
               (int)GetLastError());
    WriteLogLineF("%s\r\n", message);
    EndEventLog();
    ShowErrorBox(ownerForBox, message, kCacheErrorCaption);
    return false;
  }
  g_InternetSession = session;
  g_ReceiveTimeout = 0;
  WriteLogLine("Successfully opened connection to internet.\r\n");
  if (InternetSetStatusCallback(session, OnInternetStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
    // Without the callback no request could ever be seen to complete.
    WriteLogLineF("Error %d installing the internet status callback.\r\n", (int)GetLastError());
  }

  if (cacheTimeout) {
    if (CheckParameterLength(cacheTimeout, kTimeoutCapacity, "CacheTimeout")) {
      CloseInternetSession(false);
      EndEventLog();
      return false;
    }
    long number = 0;
    if (!ParsePositiveNumber(cacheTimeout, &number)) {
      // atol's 0 would remove every timeout: a stalled server would then
      // hold the page for good.
      WriteLogLineF("Cache Timeout \"%s\" is not a positive number; the platform's timeout "
                    "stands.\r\n",
                    cacheTimeout);
      return true;
    }
    DWORD timeout = (DWORD)number;
    if (!InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout)) {
      WriteLogLineF("Error %d setting the cache timeout.\r\n", (int)GetLastError());
    }
    g_ReceiveTimeout = timeout;
    WriteLogLineF("Cache Timeout is %d milliseconds\r\n", (int)timeout);
  }
  return true;
}

void CloseInternetSession(bool logLine) {
  HINTERNET session = g_InternetSession;
  if (!session) return;
  InternetSetStatusCallback(session, nullptr);
  InternetCloseHandle(session);
  g_InternetSession = nullptr;
  if (logLine) WriteLogLine("Closed connection to internet.\r\n");
}

unsigned long SmallRequestBoundMs() {
  const DWORD timeout = g_ReceiveTimeout;
  if (timeout == 0) return kDefaultSmallRequestBoundMs;
  if (timeout > 0xFFFFFFFFUL / kSmallRequestTimeouts) return 0xFFFFFFFFUL;
  return timeout * kSmallRequestTimeouts;
}

void ParseServerPort() { g_ServerPort = ServerPortFromUrl(g_ServerUrl); }
