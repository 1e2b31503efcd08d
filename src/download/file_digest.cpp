// The download digest; see file_digest.h.
#include "download/file_digest.h"

#include "download/portable/sha256.h"

namespace {

Sha256Hash g_Hash;
bool g_Begun;

}  // namespace

void BeginDownloadDigest() {
  BeginSha256(&g_Hash);
  g_Begun = true;
}

void RestartDownloadDigest() {
  if (g_Begun) BeginSha256(&g_Hash);
}

void AddToDownloadDigest(const void* bytes, DWORD count) {
  if (g_Begun) AddToSha256(&g_Hash, bytes, count);
}

void FinishDownloadDigest(unsigned long* size, unsigned char digest[kSha256Bytes]) {
  *size = g_Hash.Bytes > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : (unsigned long)g_Hash.Bytes;
  FinishSha256(&g_Hash, digest);
}

void EndDownloadDigest() { g_Begun = false; }
