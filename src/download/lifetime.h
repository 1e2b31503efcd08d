// End of download and update: the progress dialog is destroyed and waited
// for, and its window class goes. Nothing needs starting.
#ifndef WEVELINK_DOWNLOAD_LIFETIME_H
#define WEVELINK_DOWNLOAD_LIFETIME_H

void EndDownload();
// False while a progress dialog lives that another thread has yet to
// destroy: its procedure is the module's code.
bool DownloadEnded();

#endif
