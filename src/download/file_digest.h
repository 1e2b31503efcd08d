// The size and SHA-256 digest of the file a download writes, for a
// distribution list's integrity field. Computed piece by piece as the
// cacher writes its output file, so the file is never read a second time.
#ifndef WEVELINK_DOWNLOAD_FILE_DIGEST_H
#define WEVELINK_DOWNLOAD_FILE_DIGEST_H

#include <windows.h>

#include "download/portable/distribution_list.h"

// Starts a digest of what the cacher writes to an output file from now on
// (one download at a time), until EndDownloadDigest.
void BeginDownloadDigest();

// The cacher's side, doing nothing without a digest begun: each attempt
// that empties its output file starts the digest afresh, each piece
// written is added. A piece is hashed late, at the next call of this
// module, so that the cacher can hash it while the next piece is on its
// way (HashPendingDigest): its bytes must stay as they are until then.
void RestartDownloadDigest();
void AddToDownloadDigest(const void* bytes, DWORD count);
void HashPendingDigest();

// What was added since the digest began: its size (saturated at
// 0xFFFFFFFF) and digest.
void FinishDownloadDigest(unsigned long* size, unsigned char digest[kSha256Bytes]);

void EndDownloadDigest();

#endif
