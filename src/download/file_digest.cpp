// The download digest; see file_digest.h.
#include "download/file_digest.h"

#include "download/portable/sha256.h"

namespace {

Sha256Hash g_Hash;
bool g_Begun;
const void* g_Pending;  // the last piece added, not hashed yet
DWORD g_PendingCount;

}  // namespace

void BeginDownloadDigest() {
  BeginSha256(&g_Hash);
  g_Begun = true;
}

void RestartDownloadDigest() {
  g_Pending = nullptr;
  if (g_Begun) BeginSha256(&g_Hash);
}

void HashPendingDigest() {
  if (g_Pending == nullptr) return;
  AddToSha256(&g_Hash, g_Pending, g_PendingCount);
  g_Pending = nullptr;
}

void AddToDownloadDigest(const void* bytes, DWORD count) {
  if (!g_Begun) return;
  HashPendingDigest();
  g_Pending = bytes;
  g_PendingCount = count;
}

void FinishDownloadDigest(unsigned long* size, unsigned char digest[kSha256Bytes]) {
  HashPendingDigest();
  *size = g_Hash.Bytes > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : (unsigned long)g_Hash.Bytes;
  FinishSha256(&g_Hash, digest);
}

void EndDownloadDigest() {
  g_Begun = false;
  g_Pending = nullptr;
}
