// MD5 as RFC 1321 describes it: 64-byte blocks of sixteen little-endian
// words, four rounds of sixteen steps over the state A, B, C, D, and a final
// block padded with 0x80, zeros and the message length in bits. Written as
// one loop over the 64 steps with per-step tables rather than the RFC's
// unrolled macros; the tables hold the same values.
#include "sessions/portable/md5.h"

#include <stdint.h>
#include <string.h>

namespace {

// T[i] = floor(2^32 * |sin(i + 1)|).
const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee,
    0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be,
    0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa,
    0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c,
    0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05,
    0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039,
    0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1,
    0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left-rotation amounts, four per round.
const unsigned kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t RotateLeft(uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }

void ProcessBlock(uint32_t state[4], const unsigned char block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) {
    const unsigned char* p = block + 4 * i;
    x[i] = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
  }
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    int round = i / 16;
    uint32_t f;
    int word;
    switch (round) {
      case 0: f = (b & c) | (~b & d); word = i; break;
      case 1: f = (b & d) | (c & ~d); word = (5 * i + 1) % 16; break;
      case 2: f = b ^ c ^ d; word = (3 * i + 5) % 16; break;
      default: f = c ^ (b | ~d); word = (7 * i) % 16; break;
    }
    uint32_t rotated = RotateLeft(a + f + x[word] + kSine[i], kShift[round][i % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

void Md5(const void* data, size_t length, unsigned char digest[kMd5DigestSize]) {
  uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  const unsigned char* bytes = (const unsigned char*)data;
  size_t whole = length - length % 64;
  for (size_t offset = 0; offset < whole; offset += 64) ProcessBlock(state, bytes + offset);

  // The rest, the 0x80 marker and the 8-byte bit count take one block, or
  // two when fewer than 9 bytes are left in the first.
  unsigned char tail[128];
  size_t rest = length - whole;
  memset(tail, 0, sizeof tail);
  if (rest > 0) memcpy(tail, bytes + whole, rest);
  tail[rest] = 0x80;
  size_t tailLength = rest < 56 ? 64 : 128;
  uint64_t bits = (uint64_t)length * 8;
  for (int i = 0; i < 8; ++i) tail[tailLength - 8 + i] = (unsigned char)(bits >> (8 * i));
  ProcessBlock(state, tail);
  if (tailLength == 128) ProcessBlock(state, tail + 64);

  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = (unsigned char)(state[i] >> (8 * j));
}
