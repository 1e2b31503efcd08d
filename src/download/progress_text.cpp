// Writing into the progress dialog: texts, bars, the status line and the
// overall progress. Every write tolerates a missing dialog and a form that
// lacks the control, since the web form has no status line or overall bar.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"
#include "download/progress_dialog_private.h"

namespace {

HWND ProgressItem(int controlId) {
  HWND dialog = ProgressDialogWindow();
  return dialog ? GetDlgItem(dialog, controlId) : nullptr;
}

}  // namespace

void SetProgressItemText(int controlId, const char* text) {
  HWND item = ProgressItem(controlId);
  if (!item) return;
  if (!text) text = "";
  // The same text again is common (a kind's status line for each of its
  // files); setting it would repaint the item for nothing.
  char shown[512];
  int length = GetWindowTextA(item, shown, sizeof shown);
  if (length > 0 && length < (int)sizeof shown - 1 && strcmp(shown, text) == 0) return;
  SetWindowTextA(item, text);
}

void SetProgressBarPosition(int controlId, int position) {
  HWND item = ProgressItem(controlId);
  if (item) SendMessageA(item, PBM_SETPOS, (WPARAM)position, 0);
}

void SetStatusText(const char* text) {
  SetProgressItemText(IDC_STATUS_LINE, text);
  PumpMessages(100, true);
}

void AdvanceOverallProgress(BYTE steps) {
  for (unsigned step = 0; step < steps; ++step) {
    BYTE counter = StepOverallProgress();
    if (!ProgressDialogWindow()) continue;
    // The bar stops at its maximum; the text shows the counter as it is.
    SetProgressBarPosition(IDC_OVERALL_BAR, counter);
    char percentage[16];
    FormatText(percentage, sizeof percentage, "%d%% ", (int)counter);
    SetProgressItemText(IDC_PERCENTAGE, percentage);
    PumpMessages(counter > 60 ? 35 : 15, true);
  }
}
