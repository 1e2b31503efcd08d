// Character references in HTML attribute text; see html_text.h.
#include "html_text.h"

#include <string.h>

namespace {

struct NamedReference {
  const char* name;  // without "&" and ";"
  unsigned long codePoint;
};

const NamedReference kNamedReferences[] = {
    {"amp", '&'},  {"lt", '<'},    {"gt", '>'},   {"quot", '"'}, {"apos", '\''},
    {"nbsp", 0xA0}, {"AMP", '&'},  {"LT", '<'},   {"GT", '>'},   {"QUOT", '"'},
};

// What browsers show for the numeric references 0x80-0x9F: the
// Windows-1252 characters (0 where 1252 has none: the code point stays).
const unsigned short kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

const unsigned long kReplacement = 0xFFFD;
const unsigned long kLargest = 0x10FFFF;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses "#NN;" or "#xHH;" at src[0..length) (just after the "&"). Returns
// the characters consumed (0 when it is not a numeric reference).
size_t ParseNumericReference(const char* src, size_t length, unsigned long* codePoint) {
  if (length < 2 || src[0] != '#') return 0;
  size_t at = 1;
  int base = 10;
  if (src[1] == 'x' || src[1] == 'X') {
    base = 16;
    at = 2;
  }
  size_t firstDigit = at;
  unsigned long value = 0;
  bool tooLarge = false;
  while (at < length) {
    int digit = base == 16 ? HexDigitValue(src[at]) : (src[at] >= '0' && src[at] <= '9' ? src[at] - '0' : -1);
    if (digit < 0) break;
    if (!tooLarge) {
      value = value * (unsigned long)base + (unsigned long)digit;
      if (value > kLargest) tooLarge = true;  // keep consuming, stop growing
    }
    ++at;
  }
  if (at == firstDigit) return 0;
  if (at < length && src[at] == ';') ++at;
  if (tooLarge || value == 0 || (value >= 0xD800 && value <= 0xDFFF)) {
    value = kReplacement;
  } else if (value >= 0x80 && value <= 0x9F && kWindows1252High[value - 0x80] != 0) {
    value = kWindows1252High[value - 0x80];
  }
  *codePoint = value;
  return at;
}

// Parses "name;" at src[0..length) (just after the "&").
size_t ParseNamedReference(const char* src, size_t length, unsigned long* codePoint) {
  for (const NamedReference& reference : kNamedReferences) {
    size_t nameLength = strlen(reference.name);
    if (nameLength + 1 <= length && memcmp(src, reference.name, nameLength) == 0 &&
        src[nameLength] == ';') {
      *codePoint = reference.codePoint;
      return nameLength + 1;
    }
  }
  return 0;
}

// Length of text[0..used) without a UTF-8 sequence that was cut short at
// its end, so a cut never leaves half a character behind.
size_t DropPartialSequence(const char* text, size_t used) {
  size_t start = used;
  size_t back = 0;
  while (start > 0 && back < 3 && ((unsigned char)text[start - 1] & 0xC0) == 0x80) {
    --start;
    ++back;
  }
  if (start == 0) return used;
  unsigned char lead = (unsigned char)text[start - 1];
  size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  size_t present = used - (start - 1);
  return (expected > 1 && present < expected) ? start - 1 : used;
}

}  // namespace

bool AppendUtf8(unsigned long codePoint, char* dst, size_t capacity, size_t* used) {
  unsigned char bytes[4];
  size_t count;
  if (codePoint < 0x80) {
    bytes[0] = (unsigned char)codePoint;
    count = 1;
  } else if (codePoint < 0x800) {
    bytes[0] = (unsigned char)(0xC0 | (codePoint >> 6));
    bytes[1] = (unsigned char)(0x80 | (codePoint & 0x3F));
    count = 2;
  } else if (codePoint < 0x10000) {
    bytes[0] = (unsigned char)(0xE0 | (codePoint >> 12));
    bytes[1] = (unsigned char)(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[2] = (unsigned char)(0x80 | (codePoint & 0x3F));
    count = 3;
  } else {
    bytes[0] = (unsigned char)(0xF0 | (codePoint >> 18));
    bytes[1] = (unsigned char)(0x80 | ((codePoint >> 12) & 0x3F));
    bytes[2] = (unsigned char)(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[3] = (unsigned char)(0x80 | (codePoint & 0x3F));
    count = 4;
  }
  if (capacity == 0 || *used + count > capacity - 1) return false;
  memcpy(dst + *used, bytes, count);
  *used += count;
  dst[*used] = '\0';
  return true;
}

bool DecodeHtmlText(const char* src, size_t length, char* dst, size_t capacity) {
  if (capacity == 0) return false;
  dst[0] = '\0';
  size_t used = 0;
  size_t at = 0;
  while (at < length) {
    if (src[at] == '&') {
      unsigned long codePoint = 0;
      size_t consumed = ParseNumericReference(src + at + 1, length - at - 1, &codePoint);
      if (consumed == 0) consumed = ParseNamedReference(src + at + 1, length - at - 1, &codePoint);
      if (consumed != 0) {
        if (!AppendUtf8(codePoint, dst, capacity, &used)) return false;
        at += 1 + consumed;
        continue;
      }
    }
    // Plain bytes are copied as they are: the page text is UTF-8 already.
    if (used + 1 > capacity - 1) {
      used = DropPartialSequence(dst, used);
      dst[used] = '\0';
      return false;
    }
    dst[used++] = src[at++];
    dst[used] = '\0';
  }
  return true;
}
