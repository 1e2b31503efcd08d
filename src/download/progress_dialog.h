// The progress dialog shown while components are downloaded and installed,
// and the texts and bars that the download steps write into it. Its Cancel
// and close box make the cancel request of message_pump.h.
//
// Everything here runs on the user-interface thread that created the dialog. The dialog is modeless: it gets
// its messages from the browser's loop and from the waits in message_pump.h.
#ifndef WEVELINK_DOWNLOAD_PROGRESS_DIALOG_H
#define WEVELINK_DOWNLOAD_PROGRESS_DIALOG_H

#include <windows.h>

#include "resources/progress/progress_ids.h"

// The dialog, null while none is shown.
HWND ProgressDialogWindow();

// The window that was active when the dialog was first created in this
// deployment; disabled while the deployment runs.
HWND ProgressOwnerWindow();

// Cleared just before the dialog is destroyed, set by its last message.
bool ProgressDialogDestroyed();

// Overall progress of the deployment in steps; wraps at 256.
BYTE OverallProgressSteps();

// Start of a deployment: clears the cancel request and the step counter.
void ResetProgressForDeployment();

// Creates and shows the dialog unless it already exists: the desktop form
// (template 102, with the overall bar) or the web form (template 101).
// Registers "WevelinkDlgClass" and, if no owner is remembered yet, remembers
// and disables the active window. Returns false when the dialog could not be
// created; ProgressDialogWindow() then stays null and the deployment goes on.
bool CreateProgressDialog(bool desktopMode);

// Whether the dialog that exists (or was last created) is the desktop form.
bool IsProgressDialogDesktopMode();

// Destroys the dialog if there is one and forgets it. Its bitmap is freed by
// the destruction itself.
void CloseProgressDialog();

// End of a deployment: enables the remembered owner window again (if it still
// exists) and forgets it.
void EnableOwnerWindow();

// Module exit: destroys the dialog and pumps messages until its last message
// has arrived, then unregisters the window class (a module must not leave a
// class behind when it is unloaded). A dialog that belongs to another thread
// is asked to close itself, and the wait gives up after timeoutMs so that a
// blocked or vanished thread cannot hang the exit. Returns whether the
// dialog is gone; one that is not stays known to ProgressDialogGone.
bool DestroyProgressDialogAndWait(DWORD timeoutMs = 5000);

// Whether no dialog lives; when none does, the window class goes. Neither
// waits nor dispatches: the module's unload asks it.
bool ProgressDialogGone();

// The dialog procedure (platform signature), passed at creation.
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the status line (control 1006), then pumps messages for 100 ms so the
// text can be read. Nothing is written when there is no dialog or the form
// lacks the control.
void SetStatusText(const char* text);

// Advances the step counter by steps, one at a time; with a dialog each step
// moves the overall bar (which stops at 100) and shows the unclamped counter
// as "N% ", then pumps for 15 ms (35 ms above 60). Without a dialog the
// counter still advances and nothing waits.
void AdvanceOverallProgress(BYTE steps);

// Writes a control's text or a progress bar's position in the dialog; does
// nothing when there is no dialog or the form lacks the control.
void SetProgressItemText(int controlId, const char* text);
void SetProgressBarPosition(int controlId, int position);

#endif
