// The verified flags in memory, for the download subsystem's own files
// (and tests).
#ifndef WEVELINK_DOWNLOAD_VERIFIED_FLAG_PRIVATE_H
#define WEVELINK_DOWNLOAD_VERIFIED_FLAG_PRIVATE_H

#include "download/verified_flag.h"

// 0 or 1 per session kind (0 to 5).
extern BYTE VerifiedFlag[kVerifiedKinds];

#endif
