// Event log file handling. Entries come from the user-interface thread and
// from the internet status callback's threads: each whole entry is one
// WriteFile call, and a small lock keeps a write from meeting the handle
// while another thread closes it.
#include "base/event_log.h"

#include <stdarg.h>

#include "base/portable/bounded_text.h"
#include "base/folder_path.h"
#include "base/portable/log_format.h"
#include "base/module_folders.h"

namespace {

// Open log file, or INVALID_HANDLE_VALUE when logging is off.
HANDLE g_EventLogFile = INVALID_HANDLE_VALUE;

char g_EventLogPath[kPathCapacity];
SRWLOCK g_LogLock = SRWLOCK_INIT;

LogTime LocalLogTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LogTime t = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
               now.wMilliseconds};
  return t;
}

void WriteRaw(const char* text, size_t length) {
  if (g_EventLogFile == INVALID_HANDLE_VALUE || length == 0) return;
  AcquireSRWLockShared(&g_LogLock);
  if (g_EventLogFile != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(g_EventLogFile, text, (DWORD)length, &written, nullptr);
  }
  ReleaseSRWLockShared(&g_LogLock);
}

// The time stamp and the text as one piece; a text too long for the entry
// buffer follows its stamp in a second write.
void WriteStampedEntry(const char* text) {
  char entry[1100];
  FormatLogTimeStamp(LocalLogTime(), entry, sizeof entry);
  size_t stamp = strlen(entry);
  if (MaskSecretSwitches(text, entry + stamp, sizeof entry - stamp)) {
    WriteRaw(entry, strlen(entry));
  } else {
    WriteRaw(entry, stamp);
    WriteLogText(text);
  }
}

void OpenLogFile() {
  // The download folder is made at module start; make it again in case
  // someone cleaned the temporary folder since.
  CreateFolderPath(DownloadFolderPath());
  char name[64];
  FormatEventLogName(LocalLogTime(), name, sizeof name);
  char path[kPathCapacity];
  CopyText(path, sizeof path, DownloadFolderPath());
  AddBackslash(path, sizeof path);
  if (!AppendText(path, sizeof path, name)) return;
  // Readers may look at the log while it is written (the administrator's
  // editor, a test); nobody else writes to it. The name has whole seconds:
  // a log that ended within the same second (a failed page followed by the
  // next) is continued, not replaced, so that its record is kept.
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) {
    // Another browser process's deployment of the same second writes that
    // log: this one gets the process number in its name.
    const size_t extension = strlen(path) - 4;  // ".Txt"
    char suffix[24];
    FormatText(suffix, sizeof suffix, "_%lu.Txt", GetCurrentProcessId());
    path[extension] = '\0';
    if (!AppendText(path, sizeof path, suffix)) return;
    file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  SetFilePointer(file, 0, nullptr, FILE_END);
  CopyText(g_EventLogPath, sizeof g_EventLogPath, path);
  g_EventLogFile = file;
  StartEventLog();
}

}  // namespace

void StartEventLog() {
  if (g_EventLogFile == INVALID_HANDLE_VALUE) return;
  char banner[256];
  FormatStartBanner(LocalLogTime(), banner, sizeof banner);
  WriteLogText(banner);
}

void EndEventLog() {
  if (g_EventLogFile == INVALID_HANDLE_VALUE) return;
  char banner[256];
  FormatEndBanner(LocalLogTime(), banner, sizeof banner);
  WriteLogText(banner);
  AcquireSRWLockExclusive(&g_LogLock);
  HANDLE file = g_EventLogFile;
  g_EventLogFile = INVALID_HANDLE_VALUE;
  ReleaseSRWLockExclusive(&g_LogLock);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

void EndEventLogAtProcessExit() {
  // Other threads were stopped wherever they were; one may hold the lock.
  if (!TryAcquireSRWLockExclusive(&g_LogLock)) return;
  ReleaseSRWLockExclusive(&g_LogLock);
  EndEventLog();
}

void WriteLogTimeStamp() {
  if (g_EventLogFile == INVALID_HANDLE_VALUE) return;
  char stamp[32];
  FormatLogTimeStamp(LocalLogTime(), stamp, sizeof stamp);
  WriteLogText(stamp);
}

// Every text passes the mask: a session's password and sign-on values must
// not be left in a file in the user's temporary folder. A text longer than
// the mask's buffer is cut rather than written unmasked.
void WriteLogText(const char* text) {
  if (text == nullptr) return;
  char masked[2048];
  MaskSecretSwitches(text, masked, sizeof masked);
  WriteRaw(masked, strlen(masked));
}

void ApplyLogEventsSetting(bool wanted) {
  if (!wanted) {
    EndEventLog();
  } else if (g_EventLogFile == INVALID_HANDLE_VALUE) {
    OpenLogFile();
  }
}

bool IsEventLogOpen() { return g_EventLogFile != INVALID_HANDLE_VALUE; }

const char* EventLogPath() { return g_EventLogPath; }

void WriteLogLine(const char* text) {
  if (g_EventLogFile == INVALID_HANDLE_VALUE || text == nullptr) return;
  WriteStampedEntry(text);
}

void WriteLogLineF(const char* format, ...) {
  if (g_EventLogFile == INVALID_HANDLE_VALUE) return;
  char entry[1024];
  va_list args;
  va_start(args, format);
  if (!FormatTextV(entry, sizeof entry, format, args)) {
    // Keep the entry's line end even when its middle had to be cut.
    size_t length = strlen(entry);
    if (length >= 2 && length + 1 == sizeof entry) {
      entry[length - 2] = '\r';
      entry[length - 1] = '\n';
    }
  }
  va_end(args);
  WriteLogLine(entry);
}
