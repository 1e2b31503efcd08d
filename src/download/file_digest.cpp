// The download digest; see file_digest.h.
#include "download/file_digest.h"

#include <wincrypt.h>

#include "base/scoped_handles.h"

namespace {

// Held for one list's downloads rather than per process: released on every
// path, never at module unload, when the platform's libraries may be gone.
ScopedCryptProvider g_Provider;
ScopedCryptHash g_Hash;
ULONGLONG g_Bytes;
DWORD g_Failure;  // the first failed step's error, 0 when none

bool CreateHash() {
  g_Bytes = 0;
  g_Failure = 0;
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(g_Provider.Get(), CALG_SHA_256, 0, 0, &hash)) {
    g_Failure = GetLastError();
    return false;
  }
  g_Hash.Reset(hash);
  return true;
}

}  // namespace

bool BeginDownloadDigest() {
  EndDownloadDigest();
  HCRYPTPROV provider = 0;
  if (!g_Provider.IsValid()) {
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
      return false;
    g_Provider.Reset(provider);
  }
  if (CreateHash()) return true;
  SetLastError(g_Failure);
  return false;
}

void RestartDownloadDigest() {
  if (!g_Hash.IsValid()) return;
  g_Hash.Reset();
  CreateHash();
}

void AddToDownloadDigest(const void* bytes, DWORD count) {
  if (!g_Hash.IsValid() || g_Failure != 0) return;
  g_Bytes += count;
  if (!CryptHashData(g_Hash.Get(), (const BYTE*)bytes, count, 0)) g_Failure = GetLastError();
}

bool FinishDownloadDigest(unsigned long* size, unsigned char digest[kSha256Bytes]) {
  *size = g_Bytes > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : (unsigned long)g_Bytes;
  DWORD length = kSha256Bytes;
  if (g_Failure == 0 && !g_Hash.IsValid()) g_Failure = ERROR_INVALID_HANDLE;
  if (g_Failure == 0 && !CryptGetHashParam(g_Hash.Get(), HP_HASHVAL, digest, &length, 0))
    g_Failure = GetLastError();
  if (g_Failure == 0 && length != kSha256Bytes) g_Failure = ERROR_INVALID_DATA;
  SetLastError(g_Failure);
  return g_Failure == 0;
}

void EndDownloadDigest() { g_Hash.Reset(); }

void ReleaseDigestProvider() {
  EndDownloadDigest();
  g_Provider.Reset();
}
