// Between the progress dialog's lifecycle and its dialog procedure only.
#ifndef WEVELINK_DOWNLOAD_PROGRESS_DIALOG_PRIVATE_H
#define WEVELINK_DOWNLOAD_PROGRESS_DIALOG_PRIVATE_H

#include <windows.h>

// Posted by DestroyProgressDialogAndWait when it runs on another thread than
// the dialog: the dialog destroys itself without setting CancelRequested.
const UINT WM_PROGRESS_DESTROY = WM_APP + 0x0101;

#endif
