// The cacher's buffer, for the download subsystem's own files (and tests).
#ifndef WEVELINK_DOWNLOAD_CACHE_FILE_PRIVATE_H
#define WEVELINK_DOWNLOAD_CACHE_FILE_PRIVATE_H

#include "download/cache_file.h"

extern char TransferBuffer[kTransferBufferSize + 1];

#endif
