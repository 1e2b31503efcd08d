// The stand-in's event record; see stub_log.h.
#include "stub_log.h"

#include <windows.h>

#include <stdarg.h>
#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"

void StubLog(const char* format, ...) {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("WEVELINK_STUB_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;

  static char line[8192];
  FormatText(line, sizeof line, "pid=%lu ", GetCurrentProcessId());
  size_t prefix = strlen(line);
  va_list args;
  va_start(args, format);
  bool fits = FormatTextV(line + prefix, sizeof line - prefix - 2, format, args);
  va_end(args);
  if (!fits) {
    size_t used = strlen(line);
    if (used >= 3) memcpy(line + used - 3, "...", 3);
  }
  AppendText(line, sizeof line, "\r\n");

  // One WriteFile of the whole line with append access, so lines of several processes never
  // interleave. Wine appends by finding the end and writing there, so two processes writing at
  // once could both write at the same end and one line would be lost: they take turns.
  ScopedKernelHandle turn(CreateMutexA(nullptr, FALSE, "WevelinkStubLogTurn"));
  // A mutex abandoned by a process that ended is ours all the same.
  const DWORD waited = turn.IsValid() ? WaitForSingleObject(turn.Get(), 5000) : WAIT_FAILED;
  const bool held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  {
    ScopedFile file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    DWORD written;
    if (file.IsValid()) WriteFile(file.Get(), line, (DWORD)strlen(line), &written, nullptr);
  }
  if (held) ReleaseMutex(turn.Get());
}
