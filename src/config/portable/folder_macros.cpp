// Folder macro expansion; see folder_macros.h.
//
// A custom target's tokens are found the way a repeated search of the
// growing text would find them: every "%qy%" first, then every "%kv%" in
// the text between them, each search skipping what was already replaced.
// Done as one pass over the configured value, that gives the same result
// without ever looking at inserted folder text.
#include "config/portable/folder_macros.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

const char kOlderToken[] = "%qy%";
const char kToken[] = "%kv%";
const size_t kTokenLength = 4;

// Text after a token, without the one backslash that belongs to it.
const char* AfterToken(const char* token) {
  const char* rest = token + kTokenLength;
  return *rest == '\\' ? rest + 1 : rest;
}

// Appends at most count characters of src.
bool AppendTextN(char* dst, size_t capacity, const char* src, size_t count) {
  size_t used = strnlen(dst, capacity);
  if (used >= capacity) return false;
  return CopyTextN(dst + used, capacity - used, src, count);
}

// Appends the folder that a token stands for, ending in a backslash.
bool AppendFolder(char* dst, size_t capacity, const char* baseFolder, bool addKestrava) {
  if (baseFolder == nullptr) baseFolder = "";
  bool fits = AppendText(dst, capacity, baseFolder);
  size_t length = strlen(baseFolder);
  if (length > 0 && baseFolder[length - 1] != '\\') fits = AppendText(dst, capacity, "\\") && fits;
  if (addKestrava) fits = AppendText(dst, capacity, "Kestrava\\") && fits;
  return fits;
}

// Finds token within [begin, end), the whole token inside the range.
const char* FindIn(const char* begin, const char* end, const char* token) {
  for (const char* p = begin; p + kTokenLength <= end; ++p) {
    if (memcmp(p, token, kTokenLength) == 0) return p;
  }
  return nullptr;
}

// Appends [begin, end) with every "%kv%" in it expanded.
bool AppendExpandedGap(char* dst, size_t capacity, const char* begin, const char* end,
                       const char* baseFolder, bool addKestrava) {
  bool fits = true;
  while (begin < end) {
    const char* token = FindIn(begin, end, kToken);
    if (token == nullptr) break;
    fits = AppendTextN(dst, capacity, begin, (size_t)(token - begin)) && fits;
    fits = AppendFolder(dst, capacity, baseFolder, addKestrava) && fits;
    begin = AfterToken(token);
  }
  if (begin < end) fits = AppendTextN(dst, capacity, begin, (size_t)(end - begin)) && fits;
  return fits;
}

}  // namespace

bool ExpandKindUrl(const char* value, const char* tempFolder, char* url, size_t capacity) {
  if (capacity == 0) return false;
  if (value == nullptr) value = "";
  const char* token = strstr(value, kOlderToken);
  if (token == nullptr) token = strstr(value, kToken);
  if (token == nullptr) return CopyText(url, capacity, value);
  url[0] = '\0';
  bool fits = AppendFolder(url, capacity, tempFolder, true);
  return AppendText(url, capacity, AfterToken(token)) && fits;
}

bool ExpandCustomTarget(const char* value, const char* baseFolder, bool addKestrava,
                        char* target, size_t capacity) {
  if (capacity == 0) return false;
  if (value == nullptr) value = "";
  target[0] = '\0';
  const char* end = value + strlen(value);
  bool fits = true;
  const char* begin = value;
  while (begin < end) {
    const char* token = FindIn(begin, end, kOlderToken);
    if (token == nullptr) break;
    fits = AppendExpandedGap(target, capacity, begin, token, baseFolder, addKestrava) && fits;
    fits = AppendFolder(target, capacity, baseFolder, addKestrava) && fits;
    begin = AfterToken(token);
  }
  return AppendExpandedGap(target, capacity, begin, end, baseFolder, addKestrava) && fits;
}
