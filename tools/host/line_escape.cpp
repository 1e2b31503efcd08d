// Escaping for one-line records; see line_escape.h.
#include "line_escape.h"

#include <string.h>

bool AppendEscapedText(char* dst, size_t capacity, const char* src) {
  if (capacity == 0) return false;
  size_t used = strnlen(dst, capacity);
  if (used >= capacity) {
    dst[capacity - 1] = '\0';
    return false;
  }
  if (src == nullptr) return true;
  for (; *src != '\0'; ++src) {
    char escape = *src == '\r' ? 'r' : *src == '\n' ? 'n' : *src == '\t' ? 't' : '\0';
    size_t need = escape ? 2 : 1;
    if (used + need > capacity - 1) {
      dst[used] = '\0';
      return false;
    }
    if (escape) {
      dst[used++] = '\\';
      dst[used++] = escape;
    } else {
      dst[used++] = *src;
    }
  }
  dst[used] = '\0';
  return true;
}
