// Between the progress dialog's lifecycle and its dialog procedure only.
#ifndef WEVELINK_DOWNLOAD_PROGRESS_DIALOG_PRIVATE_H
#define WEVELINK_DOWNLOAD_PROGRESS_DIALOG_PRIVATE_H

#include <windows.h>

// Posted by DestroyProgressDialogAndWait when it runs on another thread than
// the dialog: the dialog destroys itself without a cancel request.
const UINT WM_PROGRESS_DESTROY = WM_APP + 0x0101;

// The dialog's timer that shows the progress values held back to spare
// repaints (progress_text.cpp); ShowWaitingProgress shows them at once.
const UINT_PTR kProgressRefreshTimer = 1;
void ShowWaitingProgress();
// Drops the held-back values and the controls they belong to, when the
// dialog goes (a later dialog could be given the same handle).
void ForgetProgressItems();

// The dialog procedure lets go of its dialog: forgotten when it is the one
// shown, and the destruction flag set (its last message) or cleared (it is
// about to be destroyed).
void ForgetProgressDialog(HWND dialog, bool destroyed);

// Advances the overall step counter by one and returns it.
BYTE StepOverallProgress();

#endif
