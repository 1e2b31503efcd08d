// SHA-256 (FIPS 180-4), fed piece by piece: the download digest hashes each
// piece the cacher writes. On x86 processors with the SHA extensions the
// blocks are compressed with those instructions (about 1.7 GB/s against the
// plain code's 0.3 on the benchmark's machine), otherwise in plain C.
// Platform-free.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_SHA256_H
#define WEVELINK_DOWNLOAD_PORTABLE_SHA256_H

#include <stddef.h>
#include <stdint.h>

enum { kSha256Bytes = 32 };

struct Sha256Hash {
  uint32_t State[8];
  uint64_t Bytes;             // added so far; Bytes % 64 of them wait in Pending
  unsigned char Pending[64];
};

void BeginSha256(Sha256Hash* hash);
// bytes may be null when count is 0.
void AddToSha256(Sha256Hash* hash, const void* bytes, size_t count);
// Pads and writes the digest; the hash is begun again before any further use.
void FinishSha256(Sha256Hash* hash, unsigned char digest[kSha256Bytes]);

// Whether the processor's SHA instructions are used from now on: when wanted
// and the processor has them (CPUID, asked once). Process-wide; they are
// wanted unless this said otherwise. The tests run both paths with it.
bool UseSha256Instructions(bool wanted);

#endif
