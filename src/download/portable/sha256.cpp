// SHA-256 as FIPS 180-4 defines it: 64-byte blocks of sixteen big-endian
// words, a schedule of 64 words, 64 rounds over the state A ... H, and a last
// block padded with 0x80, zeros and the message length in bits. The x86 SHA
// extensions do the same work four rounds and four schedule words at a time.
#include "download/portable/sha256.h"

#include <string.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define WEVELINK_SHA_INSTRUCTIONS 1
#endif

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first
// 64 primes.
const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

uint32_t RotateRight(uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); }

void CompressPlain(uint32_t state[8], const unsigned char* blocks, size_t count) {
  for (; count > 0; --count, blocks += 64) {
    uint32_t w[64];
    for (int t = 0; t < 16; ++t) {
      const unsigned char* p = blocks + 4 * t;
      w[t] = ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
    }
    for (int t = 16; t < 64; ++t) {
      const uint32_t s0 = RotateRight(w[t - 15], 7) ^ RotateRight(w[t - 15], 18) ^ (w[t - 15] >> 3);
      const uint32_t s1 = RotateRight(w[t - 2], 17) ^ RotateRight(w[t - 2], 19) ^ (w[t - 2] >> 10);
      w[t] = s1 + w[t - 7] + s0 + w[t - 16];
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; ++t) {
      const uint32_t sum1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
      const uint32_t choice = (e & f) ^ (~e & g);
      const uint32_t t1 = h + sum1 + choice + kRound[t] + w[t];
      const uint32_t sum0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
      const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + sum0 + majority;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef WEVELINK_SHA_INSTRUCTIONS

// SHA256RNDS2 does two rounds on the state held as A B E F and C D G H
// (highest lane first) with W+K of those rounds in the low lanes of its
// third operand, and returns the new A B E F; the new C D G H is the old
// A B E F. SHA256MSG1 and SHA256MSG2 compute the next four schedule words
// from the sixteen before them, given the W[t-7] terms in between.
__attribute__((target("sha,sse4.1,ssse3"))) void CompressWithInstructions(
    uint32_t state[8], const unsigned char* blocks, size_t count) {
  // Reverses the bytes of each 32-bit lane: the words are big-endian.
  const __m128i byteSwap = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  __m128i abef = _mm_set_epi32((int)state[0], (int)state[1], (int)state[4], (int)state[5]);
  __m128i cdgh = _mm_set_epi32((int)state[2], (int)state[3], (int)state[6], (int)state[7]);
  for (; count > 0; --count, blocks += 64) {
    const __m128i startAbef = abef;
    const __m128i startCdgh = cdgh;
    // Groups of four schedule words; w[g % 4] holds group g, the last four.
    __m128i w[4];
    // Unrolled, w lives in registers: about a quarter faster.
#pragma GCC unroll 16
    for (int group = 0; group < 16; ++group) {
      __m128i words;
      if (group < 4) {
        words = _mm_loadu_si128((const __m128i*)(blocks + 16 * group));
        words = _mm_shuffle_epi8(words, byteSwap);
      } else {
        // W[t-16] + s0(W[t-15]), plus W[t-7] (the last three words of group
        // g-2 and the first of g-1), then s1(W[t-2]) from group g-1.
        const __m128i previous = w[(group + 3) % 4];
        words = _mm_sha256msg1_epu32(w[group % 4], w[(group + 1) % 4]);
        words = _mm_add_epi32(words, _mm_alignr_epi8(previous, w[(group + 2) % 4], 4));
        words = _mm_sha256msg2_epu32(words, previous);
      }
      w[group % 4] = words;
      const __m128i keyed =
          _mm_add_epi32(words, _mm_loadu_si128((const __m128i*)(kRound + 4 * group)));
      // After the first pair cdgh holds A B E F and abef C D G H; the
      // second pair puts each back under its name.
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, keyed);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(keyed, 0x0E));
    }
    abef = _mm_add_epi32(abef, startAbef);
    cdgh = _mm_add_epi32(cdgh, startCdgh);
  }
  state[0] = (uint32_t)_mm_extract_epi32(abef, 3);
  state[1] = (uint32_t)_mm_extract_epi32(abef, 2);
  state[4] = (uint32_t)_mm_extract_epi32(abef, 1);
  state[5] = (uint32_t)_mm_extract_epi32(abef, 0);
  state[2] = (uint32_t)_mm_extract_epi32(cdgh, 3);
  state[3] = (uint32_t)_mm_extract_epi32(cdgh, 2);
  state[6] = (uint32_t)_mm_extract_epi32(cdgh, 1);
  state[7] = (uint32_t)_mm_extract_epi32(cdgh, 0);
}

// SSSE3 and SSE4.1 in CPUID leaf 1, SHA in leaf 7.
bool AskProcessor() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  if (!(c & bit_SSSE3) || !(c & bit_SSE4_1)) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & bit_SHA) != 0;
}

bool HasShaInstructions() {
  static const bool has = AskProcessor();
  return has;
}

#else

bool HasShaInstructions() { return false; }

#endif

bool g_InstructionsWanted = true;

void Compress(uint32_t state[8], const unsigned char* blocks, size_t count) {
#ifdef WEVELINK_SHA_INSTRUCTIONS
  if (g_InstructionsWanted && HasShaInstructions()) {
    CompressWithInstructions(state, blocks, count);
    return;
  }
#endif
  CompressPlain(state, blocks, count);
}

}  // namespace

bool UseSha256Instructions(bool wanted) {
  g_InstructionsWanted = wanted;
  return wanted && HasShaInstructions();
}

void BeginSha256(Sha256Hash* hash) {
  // The first 32 bits of the fractional parts of the square roots of the
  // first eight primes.
  const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  memcpy(hash->State, initial, sizeof initial);
  hash->Bytes = 0;
}

void AddToSha256(Sha256Hash* hash, const void* bytes, size_t count) {
  if (count == 0) return;
  const unsigned char* in = (const unsigned char*)bytes;
  const size_t pending = (size_t)(hash->Bytes % 64);
  hash->Bytes += count;
  if (pending > 0) {
    const size_t take = count < 64 - pending ? count : 64 - pending;
    memcpy(hash->Pending + pending, in, take);
    if (pending + take < 64) return;
    Compress(hash->State, hash->Pending, 1);
    in += take;
    count -= take;
  }
  const size_t whole = count - count % 64;
  if (whole > 0) Compress(hash->State, in, whole / 64);
  if (count > whole) memcpy(hash->Pending, in + whole, count - whole);
}

void FinishSha256(Sha256Hash* hash, unsigned char digest[kSha256Bytes]) {
  // The rest, the 0x80 marker and the 8-byte bit count take one block, or
  // two when fewer than 9 bytes are left in the first.
  unsigned char tail[128];
  const size_t rest = (size_t)(hash->Bytes % 64);
  memset(tail, 0, sizeof tail);
  memcpy(tail, hash->Pending, rest);
  tail[rest] = 0x80;
  const size_t tailLength = rest < 56 ? 64 : 128;
  const uint64_t bits = hash->Bytes * 8;
  for (int i = 0; i < 8; ++i) tail[tailLength - 1 - i] = (unsigned char)(bits >> (8 * i));
  Compress(hash->State, tail, tailLength / 64);
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = (unsigned char)(hash->State[i] >> (24 - 8 * j));
}
