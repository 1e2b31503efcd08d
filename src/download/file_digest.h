// The size and SHA-256 digest of the file a download writes, for a
// distribution list's integrity field. The platform's CryptoAPI computes it
// piece by piece as the cacher writes its output file, so the file is never
// read a second time.
#ifndef WEVELINK_DOWNLOAD_FILE_DIGEST_H
#define WEVELINK_DOWNLOAD_FILE_DIGEST_H

#include <windows.h>

#include "download/portable/distribution_list.h"

// Starts a digest of what the cacher writes to an output file from now on
// (one download at a time), until EndDownloadDigest. False, with the
// platform's error set, when no SHA-256 can be computed here. The
// platform's provider, acquired by the first digest, is kept until
// ReleaseDigestProvider: under Wine each acquisition costs about 10 ms.
bool BeginDownloadDigest();

// The cacher's side, doing nothing without a digest begun: each attempt
// that empties its output file starts the digest afresh, each piece
// written is added.
void RestartDownloadDigest();
void AddToDownloadDigest(const void* bytes, DWORD count);

// What was added: its size (saturated at 0xFFFFFFFF) and digest. False,
// with the platform's error set, when a step of the digest failed.
bool FinishDownloadDigest(unsigned long* size, unsigned char digest[kSha256Bytes]);

void EndDownloadDigest();

// Lets go of the provider; the update of each list ends with it, so that
// no handle outlives the list nor waits for the module's unload.
void ReleaseDigestProvider();

#endif
