// The container's trace file; see host_trace.h.
#include "host_trace.h"

#include <stdarg.h>

#include "base/portable/bounded_text.h"
#include "line_escape.h"

namespace {

const size_t kTraceLineCapacity = 4096;
wchar_t g_tracePath[MAX_PATH * 2];
bool g_traceOpen;

}  // namespace

bool OpenTrace(const wchar_t* path) {
  if (lstrlenW(path) >= (int)ARRAYSIZE(g_tracePath)) return false;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  lstrcpynW(g_tracePath, path, ARRAYSIZE(g_tracePath));
  g_traceOpen = true;
  return true;
}

void CloseTrace() {
  g_traceOpen = false;
}

void Trace(const char* format, ...) {
  if (!g_traceOpen) return;
  char line[kTraceLineCapacity];
  va_list args;
  va_start(args, format);
  bool fits = FormatTextV(line, sizeof line - 8, format, args);
  va_end(args);
  if (!fits) AppendText(line, sizeof line, "[cut]");
  AppendText(line, sizeof line, "\n");
  HANDLE file = CreateFileW(g_tracePath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, (DWORD)lstrlenA(line), &written, nullptr);
  CloseHandle(file);
}

void TraceField(const wchar_t* text, char* dst, size_t capacity) {
  if (capacity == 0) return;
  dst[0] = '\0';
  if (text == nullptr) return;
  // At most three bytes of UTF-8 per UTF-16 unit: 600 units always fit.
  char utf8[2048];
  int length = lstrlenW(text);
  bool cut = length > 600;
  if (cut) length = 600;
  int written = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8 - 1, nullptr,
                                    nullptr);
  utf8[written > 0 ? written : 0] = '\0';
  AppendEscapedText(dst, capacity, utf8);
  if (cut) AppendText(dst, capacity, "[cut]");
}
