// End of download and update: the progress dialog is destroyed and waited
// for, and its window class goes. Nothing needs starting.
#ifndef WEVELINK_DOWNLOAD_LIFETIME_H
#define WEVELINK_DOWNLOAD_LIFETIME_H

void EndDownload();

#endif
