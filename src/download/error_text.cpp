// See error_text.h.
#include "download/error_text.h"

#include <string.h>

#include "base/portable/bounded_text.h"

void AppendErrorText(char* message, size_t capacity, DWORD code) {
  if (code == 0) return;
  const bool internet = code >= 12000 && code < 13000;
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  HMODULE source = internet ? GetModuleHandleA("wininet.dll") : nullptr;
  if (source != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  char text[256];
  DWORD length = FormatMessageA(flags, source, code, 0, text, sizeof text, nullptr);
  if (length == 0 || length >= sizeof text) return;
  text[length] = '\0';
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == ' ')) {
    text[--length] = '\0';
  }
  if (length == 0) return;
  const size_t kept = strlen(message);
  if (!AppendText(message, capacity, "\r\n") || !AppendText(message, capacity, text)) {
    message[kept] = '\0';  // a cut reason would say something else
  }
}
