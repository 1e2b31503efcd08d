// Distribution-list parsing and component names; see distribution_list.h.
#include "download/portable/distribution_list.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "download/portable/cabinet_names.h"

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

// atoi without its undefined overflow: leading blanks, an optional sign,
// digits up to the first non-digit; saturates at the 32-bit limits.
long ParseVersion(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) value = 2147483647LL;
  return (long)value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The integrity field after the version text, if the line has one. Every
// read stops at the entry's terminating zero, so the bounds are the field's
// own: 10 digits, 64 hex digits.
void ReadIntegrity(const char* version, DistributionEntry* entry) {
  const char* at = version;
  while (*at && *at != ',' && *at != '\n') ++at;
  if (*at != ',') return;
  entry->Integrity = kIntegrityMalformed;
  ++at;
  while (IsBlank(*at)) ++at;
  unsigned long long size = 0;
  int digits = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    if (++digits > 10) return;
    size = size * 10 + (unsigned long long)(*at - '0');
  }
  if (digits == 0 || size > 4294967295ULL || *at != ':') return;
  ++at;
  for (int i = 0; i < 2 * kSha256Bytes; ++i) {
    const int value = HexValue(at[i]);
    if (value < 0) return;
    unsigned char& byte = entry->Sha256[i / 2];
    byte = (unsigned char)(i % 2 == 0 ? value << 4 : byte | value);
  }
  at += 2 * kSha256Bytes;
  while (IsBlank(*at)) ++at;
  if (*at != '\0' && *at != '\n') return;
  entry->Size = (unsigned long)size;
  entry->Integrity = kIntegrityGiven;
}

void AddEntry(DistributionList* list, const char* line, size_t length) {
  if (list->Count >= kDistributionEntries) {
    ++list->LinesPastLimit;
    return;
  }
  if (length >= kDistributionNameCapacity) {
    if (list->LongLines++ == 0)
      CopyTextN(list->FirstLongLine, sizeof list->FirstLongLine, line, length);
    return;
  }
  DistributionEntry& entry = list->Entries[list->Count++];
  CopyTextN(entry.FileName, sizeof entry.FileName, line, length);
  entry.Version = 0;
  entry.Integrity = kNoIntegrity;
  entry.Size = 0;
  memset(entry.Sha256, 0, sizeof entry.Sha256);
  char* comma = strchr(entry.FileName, ',');
  if (comma) {
    *comma = '\0';
    entry.Version = ParseVersion(comma + 1);
    ReadIntegrity(comma + 1, &entry);
  }
}

}  // namespace

void ParseDistributionText(const char* text, DistributionList* list) {
  list->Count = 0;
  list->LinesPastLimit = 0;
  list->LongLines = 0;
  list->FirstLongLine[0] = '\0';
  if (!text) return;
  const char* at = text;
  while (*at) {
    // A line ends at CR only: a LF inside it is kept. Line ends at the very
    // start would make an empty entry, which names no file: skipped.
    while (IsLineEnd(*at)) ++at;
    if (!*at) break;
    const char* end = at;
    while (*end && *end != '\r') ++end;
    AddEntry(list, at, (size_t)(end - at));
    at = end;
  }
}

const char* ComponentNamePart(const char* entry) {
  const char* part = entry;
  for (const char* at = entry; *at; ++at) {
    if (*at == '/' || *at == '\\') part = at;
  }
  return part;
}

bool IsUsableNamePart(const char* namePart) {
  const char* name = namePart;
  if (*name == '/' || *name == '\\') ++name;
  if (*name == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
  return strchr(name, ':') == nullptr && !IsReservedDeviceName(name, strlen(name));
}

bool IsCabinetName(const char* name) {
  size_t length = strlen(name);
  return length >= 3 && CompareTextNoCase(name + length - 3, "cab") == 0;
}

void FormatComponentDisplayName(const char* entry, bool desktopMode, char* out,
                                size_t capacity) {
  CopyText(out, capacity, entry);
  if (!desktopMode) {
    char* dot = strrchr(out, '.');
    if (dot) *dot = '\0';
  }
  for (char* at = out; *at; ++at) *at = at == out ? UpperAscii(*at) : LowerAscii(*at);
}

CompressedName ExpandCompressedName(const char* namePart, char* out, size_t capacity) {
  static const struct {
    char pair[3];
    char letter;
  } kExpansions[] = {{"EX", 'e'}, {"HL", 'p'}, {"DL", 'l'}, {"FO", 'n'}, {"ZM", 'd'},
                     {"ZA", 'd'}, {"FT", 'p'}, {"ZV", 't'}, {"PE", 'm'}, {"TT", 'f'}};
  CopyText(out, capacity, namePart);
  size_t length = strlen(namePart);
  if (length == 0 || namePart[length - 1] != '_') return kNotCompressed;
  // A name cut to fit would be looked for and expanded as some other file.
  if (length >= 3 && namePart[length - 3] == '.' && namePart[length - 2] == '0' &&
      length - 1 < capacity) {
    out[length - 1] = '\0';
    return kExpandedName;
  }
  if (length >= 3 && length < capacity) {
    char pair[3] = {UpperAscii(namePart[length - 3]), UpperAscii(namePart[length - 2]), '\0'};
    for (const auto& expansion : kExpansions) {
      if (strcmp(pair, expansion.pair) == 0) {
        out[length - 1] = expansion.letter;
        return kExpandedName;
      }
    }
  }
  out[0] = '\0';
  return kUnknownCompressed;
}

bool IsWebPageText(const char* text) {
  if (text == nullptr) return false;
  if ((unsigned char)text[0] == 0xEF && (unsigned char)text[1] == 0xBB &&
      (unsigned char)text[2] == 0xBF) {
    text += 3;
  }
  while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
  return *text == '<';
}
