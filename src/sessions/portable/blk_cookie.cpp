// Single-sign-on cookie decoding; see blk_cookie.h. The payload's own length
// bytes are checked against the decoded length and against the caller's
// buffers before anything is copied, so a hostile cookie can neither read
// past the payload nor cut a field short.
#include "sessions/portable/blk_cookie.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "sessions/portable/md5.h"

const unsigned char kCookieKey[kCookieKeyLength] = {'R', '@', '7', 'k', '#', '2', 'Q', '!'};

namespace {

const char kCookieName[] = "blkcookie=";
const size_t kCookieNameLength = sizeof kCookieName - 1;

// Any character gives a digit: below "A" its distance from "0", otherwise
// its upper-case distance from "A" plus 10. Issuers write hexadecimal; the
// rest only has to stay within a byte.
int PercentDigit(char c) {
  int code = (signed char)c;
  return code < 'A' ? code - '0' : (code & ~0x20) - 55;
}

// The 6-bit value of a Base64 character; "=" and anything else give -1.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

void* AllocateFromMalloc(void*, size_t size) { return malloc(size); }
void ReleaseToMalloc(void*, void* block) { free(block); }

// Validates the decrypted payload and copies its fields out, or leaves the
// outputs alone and returns kCookieInvalid.
long CopyFields(const unsigned char* payload, size_t n, char* first, size_t firstCapacity, char* second,
                size_t secondCapacity, unsigned char* third, size_t thirdCapacity, unsigned long* thirdLength) {
  if (n < 1 || CookieChecksum(payload, n - 1) != (signed char)payload[n - 1]) return kCookieInvalid;
  size_t length1 = payload[0];
  if (n < length1 + 2) return kCookieInvalid;  // no room for L2
  size_t length2 = payload[1 + length1];
  if (n < length1 + length2 + 4) return kCookieInvalid;
  size_t length3 = n - length1 - length2 - 4;
  if (length1 >= firstCapacity || length2 >= secondCapacity || length3 >= thirdCapacity)
    return kCookieInvalid;

  memcpy(first, payload + 1, length1);
  first[length1] = 0;
  memcpy(second, payload + 2 + length1, length2);
  second[length2] = 0;
  memcpy(third, payload + 3 + length1 + length2, length3);
  third[length3] = 0;
  if (thirdLength) *thirdLength = (unsigned long)length3;
  return kCookieOk;
}

}  // namespace

void PercentDecode(char* text) {
  char* out = text;
  const char* in = text;
  while (*in) {
    if (in[0] == '%' && in[1] && in[2]) {
      *out++ = (char)(unsigned char)((PercentDigit(in[1]) * 16 + PercentDigit(in[2])) & 0xFF);
      in += 3;
    } else {
      *out++ = *in++;
    }
  }
  *out = 0;
}

bool Base64DecodeFiltered(char* text, unsigned char* output, size_t capacity, size_t* length) {
  size_t kept = 0;
  for (const char* p = text; *p; ++p)
    if (*p == '=' || Base64Value(*p) >= 0) text[kept++] = *p;
  text[kept] = 0;

  size_t padding = 0;
  if (kept >= 2 && text[kept - 2] == '=')
    padding = 2;
  else if (kept >= 1 && text[kept - 1] == '=')
    padding = 1;
  size_t whole = kept / 4 * 3 + kept % 4 * 3 / 4;  // (3 * kept) / 4 without overflow
  size_t decoded = whole > padding ? whole - padding : 0;
  if (decoded > capacity) return false;

  // Groups of four; "=" and the characters missing from a short last group
  // count as zero bits. Only the first decoded bytes are written.
  size_t out = 0;
  for (size_t group = 0; out < decoded; group += 4) {
    uint32_t bits = 0;
    for (size_t i = 0; i < 4; ++i) {
      int value = group + i < kept ? Base64Value(text[group + i]) : -1;
      bits = (bits << 6) | (uint32_t)(value < 0 ? 0 : value);
    }
    for (int shift = 16; shift >= 0 && out < decoded; shift -= 8) output[out++] = (unsigned char)(bits >> shift);
  }
  *length = decoded;
  return true;
}

bool DecryptCookiePayload(unsigned char* bytes, long count, const unsigned char* key, size_t keyLength) {
  if (keyLength > kCookieKeyMaxLength) return false;
  unsigned char chain[kCookieKeyMaxLength + kMd5DigestSize] = {0};
  if (keyLength > 0) memcpy(chain, key, keyLength);
  unsigned char digest[kMd5DigestSize];
  Md5(chain, keyLength, digest);
  const long digestSize = kMd5DigestSize;
  for (long offset = 0; offset < count; offset += digestSize) {
    long block = count - offset < digestSize ? count - offset : digestSize;
    for (long i = 0; i < block; ++i) bytes[offset + i] ^= digest[i];
    memcpy(chain + keyLength, digest, kMd5DigestSize);
    Md5(chain, keyLength + kMd5DigestSize, digest);
  }
  return true;
}

signed char CookieChecksum(const unsigned char* bytes, size_t count) {
  // A 32-bit sum that wraps the way the issuer's does, without signed overflow.
  uint32_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += (uint32_t)(int32_t)(signed char)bytes[i];
  return (signed char)((int32_t)sum % 127);
}

long ParseCookieWithHeap(const CookieHeap* heap, const char* text, char* first, size_t firstCapacity, char* second,
                         size_t secondCapacity, unsigned char* third, size_t thirdCapacity,
                         unsigned long* thirdLength) {
  if (!text) return kCookieInvalid;
  unsigned char key[kCookieKeyLength];
  memcpy(key, kCookieKey, sizeof key);

  size_t textLength = strlen(text);
  char* copy = (char*)heap->Allocate(heap->Context, textLength + 1);
  if (!copy) return kCookieNoMemory;
  memcpy(copy, text, textLength + 1);

  char* name = strstr(copy, kCookieName);
  if (!name) {
    heap->Release(heap->Context, copy);
    return kCookieInvalid;
  }
  memmove(copy, name, strlen(name) + 1);
  char* end = strchr(copy, ';');
  if (end) *end = 0;
  PercentDecode(copy);

  // The name has no "%", so decoding leaves it whole.
  size_t valueLength = strlen(copy) - kCookieNameLength;
  size_t payloadCapacity = valueLength + valueLength / 2;
  // One byte at least: an empty value must not read as a failed allocation.
  unsigned char* payload = (unsigned char*)heap->Allocate(heap->Context, payloadCapacity ? payloadCapacity : 1);
  if (!payload) {
    heap->Release(heap->Context, copy);
    return kCookieNoMemory;
  }

  size_t n = 0;
  long result = kCookieInvalid;
  // The cipher counts in 32 bits (and the length output is 32 bits wide).
  if (Base64DecodeFiltered(copy + kCookieNameLength, payload, payloadCapacity, &n) && n <= 0x7FFFFFFF) {
    DecryptCookiePayload(payload, (long)n, key, sizeof key);
    result = CopyFields(payload, n, first, firstCapacity, second, secondCapacity, third, thirdCapacity, thirdLength);
  }
  heap->Release(heap->Context, payload);
  heap->Release(heap->Context, copy);
  return result;
}

long blk_ParseCookie(const char* text, char* first, size_t firstCapacity, char* second, size_t secondCapacity,
                     unsigned char* third, size_t thirdCapacity, unsigned long* thirdLength) {
  const CookieHeap heap = {AllocateFromMalloc, ReleaseToMalloc, nullptr};
  return ParseCookieWithHeap(&heap, text, first, firstCapacity, second, secondCapacity, third, thirdCapacity,
                             thirdLength);
}
