// Decoding of the single-sign-on cookie "blkcookie=" that a page can hand to
// a session: the value is percent-escaped Base64 of a payload encrypted
// with an MD5 output-feedback keystream. The payload carries two
// length-prefixed texts, a byte of no use, a third field of the bytes that
// remain and a checksum. Platform-free; no state is kept between calls.
#ifndef WEVELINK_SESSIONS_PORTABLE_BLK_COOKIE_H
#define WEVELINK_SESSIONS_PORTABLE_BLK_COOKIE_H

#include <stddef.h>

enum { kCookieOk = 0, kCookieNoMemory = 502, kCookieInvalid = 504 };

// The key the program and the cookie issuer share, 8 bytes, no terminator.
enum { kCookieKeyLength = 8, kCookieKeyMaxLength = 16 };
extern const unsigned char kCookieKey[kCookieKeyLength];

// Finds "blkcookie=" in the zero-terminated text, decodes and checks the
// cookie and copies its fields out: first and second as zero-terminated
// texts, the third's bytes followed by a zero and its length in
// *thirdLength (which may be null). Each capacity is in bytes, terminator
// included. Returns kCookieOk; kCookieNoMemory when a working copy cannot
// be allocated; kCookieInvalid for no cookie, a checksum that does not
// match, a payload too short for its own length bytes, or a field that does
// not fit its buffer: a credential cut short would log the user in wrongly.
// On any error the outputs are left as they were.
long blk_ParseCookie(const char* text, char* first, size_t firstCapacity, char* second, size_t secondCapacity,
                     unsigned char* third, size_t thirdCapacity, unsigned long* thirdLength);

// The heap blk_ParseCookie takes its two working copies from; it releases
// both on every path. Tests hand in one that fails or counts.
struct CookieHeap {
  void* (*Allocate)(void* context, size_t size);
  void (*Release)(void* context, void* block);
  void* Context;
};
long ParseCookieWithHeap(const CookieHeap* heap, const char* text, char* first, size_t firstCapacity, char* second,
                         size_t secondCapacity, unsigned char* third, size_t thirdCapacity,
                         unsigned long* thirdLength);

// Replaces each "%" followed by two more characters with the byte they name
// (any two characters name one, by the digit rule in the source), in place.
// A "%" within the last two characters and a "+" stay as they are.
void PercentDecode(char* text);

// Drops every character of text (changed in place) outside the Base64
// alphabet and "=", then decodes the rest into output. The decoded length
// is three quarters of the filtered length, less one or two for "="
// padding at the end, never below 0. Returns false, writing nothing, when
// that length exceeds capacity.
bool Base64DecodeFiltered(char* text, unsigned char* output, size_t capacity, size_t* length);

// XORs count bytes with the keystream MD5(key), MD5(key + previous digest),
// ... one digest per 16 bytes; the same call encrypts and decrypts. A count
// below 1 changes nothing. Returns false, changing nothing, for a key
// longer than kCookieKeyMaxLength bytes.
bool DecryptCookiePayload(unsigned char* bytes, long count, const unsigned char* key, size_t keyLength);

// The checksum byte for the count bytes before it: their sum as signed
// 8-bit values, remainder by 127 with the sum's sign.
signed char CookieChecksum(const unsigned char* bytes, size_t count);

#endif
