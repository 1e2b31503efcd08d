// Bounded text operations; see bounded_text.h.
#include "base/portable/bounded_text.h"

#include <stdio.h>
#include <string.h>

bool CopyTextN(char* dst, size_t capacity, const char* src, size_t count) {
  if (capacity == 0) return false;
  if (src == nullptr) src = "";
  size_t length = 0;
  while (length < count && src[length] != '\0') ++length;
  bool fits = length < capacity;
  if (!fits) length = capacity - 1;
  memmove(dst, src, length);
  dst[length] = '\0';
  return fits;
}

bool CopyText(char* dst, size_t capacity, const char* src) {
  return CopyTextN(dst, capacity, src, (size_t)-1);
}

bool AppendText(char* dst, size_t capacity, const char* src) {
  if (capacity == 0) return false;
  size_t used = strnlen(dst, capacity);
  if (used >= capacity) {  // unterminated on entry: terminate, report cut
    dst[capacity - 1] = '\0';
    return false;
  }
  return CopyText(dst + used, capacity - used, src);
}

bool FormatTextV(char* dst, size_t capacity, const char* format, va_list args) {
  if (capacity == 0) return false;
  int written = vsnprintf(dst, capacity, format, args);
  if (written < 0) {
    dst[0] = '\0';
    return false;
  }
  return (size_t)written < capacity;
}

bool FormatText(char* dst, size_t capacity, const char* format, ...) {
  va_list args;
  va_start(args, format);
  bool fits = FormatTextV(dst, capacity, format, args);
  va_end(args);
  return fits;
}

bool AddBackslash(char* path, size_t capacity) {
  size_t length = strnlen(path, capacity);
  if (length == 0 || length >= capacity) return length == 0;
  if (path[length - 1] == '\\') return true;
  return AppendText(path, capacity, "\\");
}

static char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

int CompareTextNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = LowerAscii(*a), y = LowerAscii(*b);
    if (x != y) return (unsigned char)x < (unsigned char)y ? -1 : 1;
    if (x == '\0') return 0;
  }
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (LowerAscii(*text) != LowerAscii(*prefix)) return false;
  }
  return true;
}

void UpperCaseText(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = (char)(*text - 'a' + 'A');
  }
}
