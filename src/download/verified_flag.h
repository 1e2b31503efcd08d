// Which session kinds' programs have passed the publisher check since a
// file of that kind was last fetched. The flags live in memory and, so that
// a later page in another process can skip the check too, as one-byte
// REG_BINARY values under "Software\MARROCK\Kestrava Web" in the hive that
// BaseRegistry chooses (in both modes).
#ifndef WEVELINK_DOWNLOAD_VERIFIED_FLAG_H
#define WEVELINK_DOWNLOAD_VERIFIED_FLAG_H

#include <windows.h>

#include "base/portable/session_kinds.h"

enum { kVerifiedKinds = kSessionKinds };

// The kind's flag in memory: 0 or 1 (0 for a kind outside 0-5),
// process-wide, initially 0.
BYTE VerifiedFlagOf(int kind);

// The key that holds the flags; each kind's value is named by the kinds'
// table (SessionVerifiedValueName: "KvmdVerified" ... "KvvtVerified").
extern const char kVerifiedFlagKey[];

// Sets the kind's flag in memory, then writes it to the registry, creating
// the key if needed. When the key cannot be opened or created only memory
// changes; the registry's error code is returned (ERROR_SUCCESS when
// written). A kind above 5 changes nothing and gives
// ERROR_INVALID_PARAMETER.
LONG StoreVerifiedFlag(int kind, BYTE value);

// Reads the kind's stored byte into memory. A missing key or value (or one
// that is not a single byte) leaves the flag as it was. A kind above 5 does
// nothing.
void LoadVerifiedFlag(int kind);

#endif
