// End of download and update: the progress dialog is destroyed and waited
// for, its window class goes, and so does the memory reads went to.
// Nothing needs starting.
#ifndef WEVELINK_DOWNLOAD_LIFETIME_H
#define WEVELINK_DOWNLOAD_LIFETIME_H

void EndDownload();
// False while a progress dialog lives that another thread has yet to
// destroy, or while WinINet may still call into the module or write into
// its memory: either is the module's own.
bool DownloadEnded();

#endif
