// The HTTP file cacher and its local-folder twin; see cache_file.h.
//
// One request at a time runs from open to close inside CacheFile. The
// asynchronous calls hand their handle and completion over through the
// words of internet_session.h; the waits block in WaitWhilePumping and are
// woken by the status callback, so nothing spins. A read that WinINet
// completes at once is taken without any wait.
//
// A read that is still pending when the user cancels goes on in WinINet's
// worker after CacheFile has returned: what it writes is in a transfer
// space that the request then keeps until WinINet is done with it.
#include "download/cache_file.h"

#include "download/cache_file_private.h"
#include "download/error_text.h"

#include <wininet.h>
#include <string.h>

#include "base/message_box.h"
#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "config/machine_policy.h"
#include "download/file_digest.h"
#include "download/internet_session.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"
#include "download/portable/request_url.h"
#include "download/verified_flag.h"
#include "download/internet_session_private.h"
#include "base/portable/session_kinds.h"
#include "base/scoped_handles.h"

static_assert(kPlainRequestFlags == (INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION |
                                     INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_PRAGMA_NOCACHE),
              "plain request flags");
static_assert(kSecureRequestFlags == (kPlainRequestFlags | INTERNET_FLAG_SECURE),
              "secure request flags");
static_assert(kLaxSecureRequestFlags ==
                  (kSecureRequestFlags | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                   INTERNET_FLAG_IGNORE_CERT_CN_INVALID),
              "lax secure request flags");

char TransferBuffer[kTransferBufferSize + 1];

const char* TransferredText() { return TransferBuffer; }

namespace {

// WinINet creates the request handle before it touches the network; a
// request whose handle has not appeared by then never will (Wine sends no
// completion when it fails before that point).
const DWORD kHandleCreationLimitMs = 30000;

// Downloads into a file read in pieces sized to the line. With 4,096-byte
// reads most reads of a paced download find nothing buffered and go
// asynchronous, which costs more processor time than the transfer itself;
// on a fast line even 32 KB pieces cost a third of the time. But Wine
// completes an asynchronous read only when its buffer is full, so a large
// piece on a slow line would leave the progress bar still for seconds.
// Each download starts at 32 KB; a piece that came within 25 ms doubles the
// next one, a piece that took over 100 ms halves it. The end of the last
// piece still lands in TransferBuffer. The reads take turns in two
// buffers: a piece's digest is computed while the next one arrives.
const DWORD kSmallestFilePiece = 8 * 1024;
const DWORD kFirstFilePiece = 32 * 1024;
const DWORD kQuickPieceMs = 25;
const DWORD kSlowPieceMs = 100;
const DWORD kFileBufferSize = 256 * 1024;
int g_NextFileBuffer;
DWORD g_FilePiece = kFirstFilePiece;

// What an asynchronous call writes besides the hand-over words: the read
// record, the count of available bytes and the buffers. A request closed
// with a call pending keeps it; the next request takes a new one.
struct TransferSpace {
  INTERNET_BUFFERSA record;
  DWORD available;
  char buffers[2][kFileBufferSize];
};
TransferSpace* g_Space;

// The current transfer space, made on first use; null when there is no room for it.
TransferSpace* Space() {
  if (!g_Space) g_Space = (TransferSpace*)HeapAlloc(GetProcessHeap(), 0, sizeof *g_Space);
  return g_Space;
}

// The asynchronous call of the current request that has not completed yet.
enum PendingCall { kNoCall, kOpenCall, kReadCall };
PendingCall g_Pending = kNoCall;

void AdaptFilePiece(DWORD elapsedMs) {
  if (elapsedMs < kQuickPieceMs && g_FilePiece < kFileBufferSize) g_FilePiece *= 2;
  if (elapsedMs > kSlowPieceMs && g_FilePiece > kSmallestFilePiece) g_FilePiece /= 2;
}

bool HasOutput(HANDLE file) { return file != nullptr && file != INVALID_HANDLE_VALUE; }

// The box says what the platform says of code after the message; the log
// line keeps the message alone.
void ShowCacheError(const char* message, DWORD code, bool showErrors) {
  if (!showErrors) return;
  char text[260 + 256];
  CopyText(text, sizeof text, message);
  AppendErrorText(text, sizeof text, code);
  ShowErrorBox(nullptr, text, kCacheErrorCaption);
}

// Ends the current request for good: its context first, so that a handle
// WinINet creates for it afterwards is closed by the status callback.
void CloseCurrentRequest() {
  const DWORD_PTR context = (DWORD)InterlockedCompareExchange(&RequestContext, 0, 0);
  EndRequestContext();
  HINTERNET request =
      (HINTERNET)InterlockedExchangePointer((void* volatile*)&CurrentRequest, nullptr);
  if (g_Pending == kReadCall && request) {
    KeepUntilRequestEnds(context, g_Space);
    g_Space = nullptr;
  } else if (g_Pending == kOpenCall && !request) {
    NoteOpenGivenUp();
  }
  g_Pending = kNoCall;
  if (request) InternetCloseHandle(request);
}

bool IsRequestComplete(void*) { return InterlockedCompareExchange(&RequestComplete, 0, 0) != 0; }

bool IsRedirectLimitReached() {
  return InterlockedCompareExchange(&RedirectLimitReached, 0, 0) != 0;
}

// The waits of an opening request also end when it has redirected too often.
bool IsOpenComplete(void*) { return IsRequestComplete(nullptr) || IsRedirectLimitReached(); }

// The open is waited for in one piece: waking for the handle's creation as
// well cost a thread switch per request. A request whose handle has not
// come within the limit ends the wait too.
bool IsOpenOverOrHandleLate(void* startTick) {
  if (IsOpenComplete(nullptr)) return true;
  return CurrentRequest == nullptr &&
         GetTickCount() - *(const DWORD*)startTick >= kHandleCreationLimitMs;
}

void BeginAsyncCall() {
  RequestResult = 0;
  RequestError = 0;
  InterlockedExchange(&RequestComplete, 0);
}

// "Error %d opening HTTP request to server.": logged, then shown.
// What a certificate failure means, for the log: the number alone tells
// an administrator nothing.
const char* CertificateFailureReason(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
      return "the server's certificate has expired or is not yet valid";
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
      return "the server's certificate is for another host name";
    case ERROR_INTERNET_INVALID_CA:
      return "the server's certificate is not from an authority this workstation trusts";
    default:
      return nullptr;
  }
}

// The error that ended the last request; 0 when it did not fail.
DWORD g_LastFailure = 0;

bool FailRequestOpen(DWORD error, bool showErrors) {
  g_LastFailure = error;
  char message[260];
  FormatText(message, sizeof message, "Error %d opening HTTP request to server.", (int)error);
  WriteLogLineF("%s\r\n", message);
  const char* reason = CertificateFailureReason(error);
  if (reason != nullptr) WriteLogLineF("   The request was refused: %s.\r\n", reason);
  ShowCacheError(message, error, showErrors);
  CloseCurrentRequest();
  return false;
}

// A failure after the request opened: shown, request closed, then logged
// indented, in that order.
bool FailAfterOpen(const char* message, DWORD code, bool showErrors) {
  ShowCacheError(message, code, showErrors);
  CloseCurrentRequest();
  WriteLogLineF("   %s\r\n", message);
  return false;
}

bool FailRead(DWORD error, bool showErrors) {
  g_LastFailure = error;
  char message[260];
  FormatText(message, sizeof message, "Error %d caching file from server.", (int)error);
  return FailAfterOpen(message, error, showErrors);
}

bool FailWrite(DWORD error, bool showErrors) {
  char message[260];
  FormatText(message, sizeof message, "Error %d writing the cached file.", (int)error);
  return FailAfterOpen(message, error, showErrors);
}

void ClearVerifiedFlagOfName(const char* fileName) {
  int kind = SessionKindInFileName(fileName);
  if (kind >= 0) StoreVerifiedFlag(kind, 0);
}

// Where the next read goes, in the transfer space: with an output file the
// reads take turns in its two buffers; without one each piece is copied
// behind the others into TransferBuffer until it is full, and the rest is
// counted, not kept.
void NextReadTarget(bool gather, DWORD gathered, char** target, DWORD* room) {
  if (!gather) {
    *target = g_Space->buffers[g_NextFileBuffer];
    g_NextFileBuffer ^= 1;
    *room = g_FilePiece;
  } else {
    *target = g_Space->buffers[0];
    const DWORD size = kTransferBufferSize;
    *room = gathered < size ? size - gathered : size;
  }
}

// Takes one piece that landed at target: terminates the text, writes it to
// the output file. False when the write failed (error in *error).
bool TakePiece(HANDLE output, bool gather, char* target, DWORD count, DWORD* gathered,
               DWORD* error) {
  if (gather) {
    if (*gathered < kTransferBufferSize) {
      memcpy(TransferBuffer + *gathered, target, count);
      *gathered += count;
    }
    TransferBuffer[*gathered] = '\0';
    return true;
  }
  DWORD keep = count < (DWORD)kTransferBufferSize ? count : (DWORD)kTransferBufferSize;
  memcpy(TransferBuffer, target + count - keep, keep);
  TransferBuffer[keep] = '\0';
  DWORD written = 0;
  if (!WriteFile(output, target, count, &written, nullptr)) {
    *error = GetLastError();
    return false;
  }
  if (written != count) {
    *error = ERROR_WRITE_FAULT;
    return false;
  }
  AddToDownloadDigest(target, count);
  return true;
}

// Each update repaints two controls, which under Wine costs about half a
// millisecond: at one update per read a fast download spent most of its
// time drawing. Twenty updates a second still move smoothly; the first
// and the last piece always show.
const DWORD kProgressIntervalMs = 50;
DWORD g_LastProgressTick;

void ShowDownloadProgress(DWORD total, DWORD contentLength, DWORD count) {
  if (contentLength == 0 || !ProgressDialogWindow()) return;
  DWORD now = GetTickCount();
  bool firstOrLast = total == count || total >= contentLength;
  if (!firstOrLast && now - g_LastProgressTick < kProgressIntervalMs) return;
  g_LastProgressTick = now;
  // 64-bit: total * 100 overflows 32 bits from about 42 MB on.
  ULONGLONG percent = (ULONGLONG)total * 100 / contentLength;
  if (percent > 100) percent = 100;
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, (int)percent);
  char text[48];
  FormatText(text, sizeof text, "%dKB/%dKB ", (int)(total / 1000), (int)(contentLength / 1000));
  SetProgressItemText(IDC_KILOBYTES, text);
}

void NoteSpilledResponse(bool gather, DWORD total) {
  if (gather && total > kTransferBufferSize) {
    WriteLogLineF(
        "   Response of %d bytes is longer than the transfer buffer; its first %d "
        "bytes are kept.\r\n",
        (int)total, (int)kTransferBufferSize);
  }
}

bool IsHttpUrl(const char* url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

enum OpenOutcome { kOpened, kOpenCancelled, kOpenFailed };

// Opens url and waits for its response headers. kOpened and kOpenCancelled
// leave the request in CurrentRequest; kOpenFailed has reported the failure
// and left CurrentRequest null.
OpenOutcome OpenRequest(const char* url, DWORD context, DWORD flags, bool showErrors) {
  InterlockedExchangePointer((void* volatile*)&CurrentRequest, nullptr);
  InterlockedExchange(&RequestRedirects, 0);
  InterlockedExchange(&RedirectLimitReached, 0);
  InterlockedExchange(&RedirectRefused, 0);
  BeginAsyncCall();
  HINTERNET opened = InternetOpenUrlA(g_InternetSession, url, nullptr, 0, flags, context);
  if (opened) {
    // Answered at once: no completion follows, the handle is the request.
    if (!CurrentRequest) InterlockedExchangePointer((void* volatile*)&CurrentRequest, opened);
    return kOpened;
  }
  DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) {
    FailRequestOpen(error, showErrors);
    return kOpenFailed;
  }

  g_Pending = kOpenCall;
  const DWORD start = GetTickCount();
  PumpWaitResult wait = WaitWhilePumping(IsOpenOverOrHandleLate, (void*)&start, INFINITE);
  if (wait == kWaitDone && IsRequestComplete(nullptr)) g_Pending = kNoCall;
  if (wait == kWaitDone && !IsOpenComplete(nullptr)) wait = kWaitTimedOut;
  if (wait == kWaitDone && IsRedirectLimitReached()) {
    if (InterlockedCompareExchange(&RedirectRefused, 0, 0) != 0) {
      WriteLogLineF("   Request ended: it was redirected to %s, which is not an approved "
                    "site.\r\n",
                    RefusedRedirect);
    } else {
      WriteLogLineF("   Request ended after %d redirects.\r\n", (int)kRedirectLimit);
    }
    FailRequestOpen(ERROR_HTTP_REDIRECT_FAILED, showErrors);
    return kOpenFailed;
  }
  if (wait == kWaitDone && RequestResult != 0) {
    // The completion of an opened URL carries the request handle as well.
    if (!CurrentRequest)
      InterlockedExchangePointer((void* volatile*)&CurrentRequest, (void*)RequestResult);
    return kOpened;
  }
  if (wait == kWaitCancelled && CurrentRequest) return kOpenCancelled;
  switch (wait) {
    case kWaitDone:  // completed with an error, e.g. the server cannot be reached
      error = RequestError ? RequestError : ERROR_INTERNET_INTERNAL_ERROR;
      break;
    case kWaitCancelled:
      error = ERROR_CANCELLED;
      break;
    case kWaitTimedOut:
      WriteLogLine("   No request handle was created in time.\r\n");
      error = ERROR_INTERNET_TIMEOUT;
      break;
    default:  // the thread is quitting
      error = ERROR_OPERATION_ABORTED;
      break;
  }
  FailRequestOpen(error, showErrors);
  return kOpenFailed;
}

enum ReadOutcome { kReadDone, kReadCancelled, kReadFailed };

// One asynchronous read of up to room bytes into target; *count receives
// the bytes that arrived (0 at the end of the data).
ReadOutcome ReadPiece(DWORD context, char* target, DWORD room, DWORD* count, DWORD* error) {
  INTERNET_BUFFERSA& record = g_Space->record;
  ZeroMemory(&record, sizeof record);
  record.dwStructSize = sizeof record;
  record.lpvBuffer = target;
  record.dwBufferLength = room;
  BeginAsyncCall();
  if (!InternetReadFileExA(CurrentRequest, &record, IRF_ASYNC, context)) {
    *error = GetLastError();
    if (*error != ERROR_IO_PENDING) return kReadFailed;
    g_Pending = kReadCall;
    HashPendingDigest();  // the piece before, while this one is on its way
    switch (WaitWhilePumping(IsRequestComplete, nullptr, INFINITE)) {
      case kWaitDone:
        g_Pending = kNoCall;
        break;
      case kWaitCancelled:
        return kReadCancelled;  // a piece still on its way counts for nothing
      default:
        *error = ERROR_OPERATION_ABORTED;
        return kReadFailed;
    }
    if (RequestResult == 0) {
      // A receive timeout or a reset ends here rather than as an empty read.
      *error = RequestError ? RequestError : ERROR_INTERNET_INTERNAL_ERROR;
      return kReadFailed;
    }
  }
  *count = record.dwBufferLength < room ? record.dwBufferLength : room;
  return kReadDone;
}

// Waits until bytes of the response can be read at once, at most waitMs.
// A gathered request reads only what is there, and the wait is on a
// query that fills no buffer: a request given up on at its bound cannot
// write into the next one's.
ReadOutcome WaitForData(DWORD context, DWORD waitMs, DWORD* available, DWORD* error) {
  const DWORD start = GetTickCount();
  for (;;) {
    BeginAsyncCall();
    if (InternetQueryDataAvailable(CurrentRequest, &g_Space->available, 0, context)) {
      *available = g_Space->available;
      return kReadDone;
    }
    *error = GetLastError();
    if (*error != ERROR_IO_PENDING) return kReadFailed;
    g_Pending = kReadCall;
    const DWORD spent = GetTickCount() - start;
    switch (WaitWhilePumping(IsRequestComplete, nullptr, spent < waitMs ? waitMs - spent : 0)) {
      case kWaitDone:
        g_Pending = kNoCall;
        break;
      case kWaitCancelled:
        return kReadCancelled;
      case kWaitTimedOut:
        *error = ERROR_INTERNET_TIMEOUT;
        return kReadFailed;
      default:
        *error = ERROR_OPERATION_ABORTED;
        return kReadFailed;
    }
    if (RequestResult == 0 && RequestError != 0) {
      *error = RequestError;
      return kReadFailed;
    }
    // Asked again: the bytes that completed the query are there now.
  }
}

DWORD QueryNumber(DWORD info) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!HttpQueryInfoA(CurrentRequest, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
    value = 0;
  return value;
}

bool CacheFromServer(const char* fileName, HANDLE output, bool showErrors) {
  const bool gather = !HasOutput(output);
  if (gather) TransferBuffer[0] = '\0';

  char url[260];
  if (!FormRequestUrl(g_ServerUrl, fileName, url, sizeof url)) {
    WriteLogLineF("   Request URL for %s does not fit in %d characters.\r\n", fileName,
                  (int)sizeof url - 1);
    return FailRequestOpen(ERROR_BUFFER_OVERFLOW, showErrors);
  }
  WriteLogLineF("Starting caching of %s\r\n", url);
  if (!IsHttpUrl(url)) return FailRequestOpen(ERROR_INTERNET_UNRECOGNIZED_SCHEME, showErrors);
  if (!PolicyApprovesUrl(url)) {
    WriteLogLineF("   %s is not under an approved site; it is not asked.\r\n", url);
    return FailRequestOpen(ERROR_INTERNET_INVALID_URL, showErrors);
  }

  if (!Space()) return FailRequestOpen(ERROR_NOT_ENOUGH_MEMORY, showErrors);
  const DWORD context = (DWORD)InterlockedIncrement(&RequestContext);
  const DWORD flags = RequestFlagsForPort(g_ServerPort, PolicyAllowsInvalidCertificateNames());
  OpenOutcome opened = OpenRequest(url, context, flags, showErrors);
  if (opened == kOpenFailed) return false;

  DWORD total = 0;
  if (opened == kOpened) {
    WriteLogLine("   Successfully completed HTTP Request to server.\r\n");
    DWORD status = QueryNumber(HTTP_QUERY_STATUS_CODE);
    if (status != 200) {
      // A proxy's sign-in is the browser's to ask for: the control has no
      // credentials to send, and the number alone tells a user nothing.
      const char* why = status == HTTP_STATUS_PROXY_AUTH_REQ
                            ? ": the proxy server asks for credentials, which the control does "
                              "not give."
                            : ".";
      char message[260 + 128];
      FormatText(message, sizeof message, "Error %d caching \"%s\" from server%s", (int)status,
                 url, why);
      return FailAfterOpen(message, 0, showErrors);  // an HTTP status has no platform text
    }
    DWORD contentLength = QueryNumber(HTTP_QUERY_CONTENT_LENGTH);
    WriteLogLineF("   Content length is %d bytes.\r\n", (int)contentLength);

    DWORD gathered = 0;
    bool cancelled = false;
    g_FilePiece = kFirstFilePiece;
    const DWORD readingSince = GetTickCount();
    const DWORD bound = SmallRequestBoundMs();
    while (!CancelRequested()) {
      char* target;
      DWORD room;
      NextReadTarget(gather, gathered, &target, &room);
      DWORD count = 0;
      DWORD error = 0;
      if (gather) {
        const DWORD spent = GetTickCount() - readingSince;
        DWORD available = 0;
        ReadOutcome ready = WaitForData(context, spent < bound ? bound - spent : 0, &available,
                                        &error);
        if (ready == kReadCancelled) {
          cancelled = true;
          break;
        }
        if (ready == kReadFailed && error == ERROR_INTERNET_TIMEOUT &&
            GetTickCount() - readingSince >= bound) {
          WriteLogLineF("   %s did not arrive whole within %d seconds; the request ends.\r\n",
                        fileName, (int)(bound / 1000));
        }
        if (ready == kReadFailed) return FailRead(error, showErrors);
        if (available == 0) break;  // the end of the response
        if (available < room) room = available;
      }
      DWORD readStart = GetTickCount();
      ReadOutcome read = ReadPiece(context, target, room, &count, &error);
      if (!gather) AdaptFilePiece(GetTickCount() - readStart);
      if (read == kReadFailed) return FailRead(error, showErrors);
      if (read == kReadCancelled) {
        cancelled = true;
        break;
      }
      if (count == 0) break;
      if (!TakePiece(output, gather, target, count, &gathered, &error))
        return FailWrite(error, showErrors);
      total += count;
      ShowDownloadProgress(total, contentLength, count);
    }
    if (CancelRequested()) cancelled = true;
    if (!cancelled && contentLength != 0 && total < contentLength) {
      // The connection ended early: what arrived is not the file.
      char message[260];
      FormatText(message, sizeof message,
                 "Error %d caching file from server: %d of %d bytes arrived.",
                 (int)ERROR_HANDLE_EOF, (int)total, (int)contentLength);
      return FailAfterOpen(message, ERROR_HANDLE_EOF, showErrors);
    }
    NoteSpilledResponse(gather, total);
  }
  // A cancel while the request opened cached nothing: no success to log.
  if (opened == kOpened) WriteLogLineF("   Successfully cached %d bytes.\r\n", (int)total);
  CloseCurrentRequest();
  return true;
}

// Copies fileName from the folder that the file URL in g_ServerUrl names.
// Failures are logged, never shown.
bool CacheFromFolder(const char* fileName, HANDLE output) {
  const bool gather = !HasOutput(output);
  if (gather) TransferBuffer[0] = '\0';

  char folder[260];
  char path[260];
  if (!FileUrlToPath(g_ServerUrl, folder, sizeof folder) ||
      !FormLocalPath(folder, fileName, path, sizeof path)) {
    WriteLogLineF("   Local path for %s does not fit in %d characters.\r\n", fileName,
                  (int)sizeof path - 1);
    return false;
  }
  ScopedFile file(
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid() || !Space()) {
    WriteLogLineF("   Error %d opening %s\r\n",
                  file.IsValid() ? (int)ERROR_NOT_ENOUGH_MEMORY : (int)GetLastError(), path);
    return false;
  }
  bool ok = true;
  DWORD gathered = 0;
  DWORD total = 0;
  while (!CancelRequested()) {
    char* target;
    DWORD room;
    NextReadTarget(gather, gathered, &target, &room);
    DWORD count = 0;
    if (!ReadFile(file.Get(), target, room, &count, nullptr)) {
      WriteLogLineF("   Error %d reading %s\r\n", (int)GetLastError(), path);
      ok = false;
      break;
    }
    if (count == 0) break;
    DWORD error = 0;
    if (!TakePiece(output, gather, target, count, &gathered, &error)) {
      WriteLogLineF("   Error %d writing the cached copy of %s\r\n", (int)error, path);
      ok = false;
      break;
    }
    total += count;
    // Let waiting messages through between reads without pausing.
    PumpMessages(0, true);
  }
  file.Reset();
  if (ok) NoteSpilledResponse(gather, total);
  return ok;
}

}  // namespace

bool CacheFile(const char* fileName, HANDLE outputFile, bool showErrors) {
  g_LastFailure = 0;
  if (!fileName) fileName = "";
  ClearVerifiedFlagOfName(fileName);
  if (IsFileUrl(g_ServerUrl)) return CacheFromFolder(fileName, outputFile);
  return CacheFromServer(fileName, outputFile, showErrors);
}

void ReleaseTransferSpace() {
  if (g_Space) HeapFree(GetProcessHeap(), 0, g_Space);
  g_Space = nullptr;
}

bool ServerStoppedAnswering() {
  switch (g_LastFailure) {
    case ERROR_INTERNET_TIMEOUT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    // Wine passes a socket's own errors on.
    case WSAETIMEDOUT:
    case WSAECONNRESET:
    case WSAECONNREFUSED:
      return true;
    default:
      return false;
  }
}

bool CacheFileWithRetries(const char* fileName, HANDLE outputFile) {
  const long retries = g_CacheRetries;
  if (retries < 0) return false;
  for (long attempt = 0;; ++attempt) {
    if (attempt > 0) {
      if (CancelRequested()) return false;
      if (HasOutput(outputFile)) {
        SetFilePointer(outputFile, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(outputFile);
        RestartDownloadDigest();
      }
    }
    const bool last = attempt == retries;
    if (CacheFile(fileName, outputFile, last)) return true;
    if (last) return false;
  }
}
