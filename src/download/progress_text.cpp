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

// Under Wine a control's repaint costs about 0.3 ms (a line) to 0.9 ms (a
// bar), and a fast download changes the bar and the lines several times per
// file: drawn at once, that was a third of a fast first load. Each control
// is therefore drawn at most once per interval; a value set sooner is kept
// and shown by the dialog's timer, so what shows is at most one interval old.
const DWORD kRefreshIntervalMs = 50;

struct ShownItem {
  int controlId;  // 0: a free slot
  HWND item;
  bool isBar;
  bool waiting;   // a newer value than the one shown
  DWORD shownAt;  // tick of the last drawing
  int position;   // the bar's newest value
  char text[512];  // the line's newest value
};

ShownItem g_Items[8];
HWND g_ItemsDialog = nullptr;  // the dialog the items belong to
bool g_TimerSet = false;

void Show(ShownItem& slot) {
  if (slot.isBar) {
    SendMessageA(slot.item, PBM_SETPOS, (WPARAM)slot.position, 0);
  } else {
    SetWindowTextA(slot.item, slot.text);
  }
  slot.waiting = false;
  slot.shownAt = GetTickCount();
}

// The slot of a control of the dialog shown; a new dialog starts afresh.
ShownItem* SlotFor(HWND dialog, int controlId, bool isBar) {
  if (dialog != g_ItemsDialog) {
    ForgetProgressItems();
    g_ItemsDialog = dialog;
  }
  for (ShownItem& slot : g_Items) {
    if (slot.controlId == controlId) return slot.item ? &slot : nullptr;
  }
  for (ShownItem& slot : g_Items) {
    if (slot.controlId != 0) continue;
    slot.controlId = controlId;
    slot.item = GetDlgItem(dialog, controlId);  // null: the form lacks it
    slot.isBar = isBar;
    if (!slot.item) return nullptr;
    if (isBar) {
      slot.position = (int)SendMessageA(slot.item, PBM_GETPOS, 0, 0);
    } else {
      GetWindowTextA(slot.item, slot.text, sizeof slot.text);
    }
    slot.shownAt = GetTickCount() - kRefreshIntervalMs;  // the first value shows at once
    return &slot;
  }
  return nullptr;
}

// The held-back values belong to the dialog's thread, which owns its timer;
// another thread's value is set at once, as the platform hands it over.
bool OnDialogThread(HWND dialog) {
  return GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId();
}

// Shows the value at once when the control's interval has passed; otherwise
// leaves it to the timer.
void ShowOrWait(HWND dialog, ShownItem& slot) {
  if (GetTickCount() - slot.shownAt >= kRefreshIntervalMs) {
    Show(slot);
    return;
  }
  slot.waiting = true;
  if (!g_TimerSet)
    g_TimerSet = SetTimer(dialog, kProgressRefreshTimer, kRefreshIntervalMs, nullptr) != 0;
  if (!g_TimerSet) Show(slot);
}

}  // namespace

void ForgetProgressItems() {
  memset(g_Items, 0, sizeof g_Items);
  g_ItemsDialog = nullptr;
  g_TimerSet = false;  // the timer goes with its window
}

void ShowWaitingProgress() {
  HWND dialog = g_ItemsDialog;
  if (!dialog || !OnDialogThread(dialog)) return;
  if (g_TimerSet) KillTimer(dialog, kProgressRefreshTimer);
  g_TimerSet = false;
  if (dialog != ProgressDialogWindow()) return;
  for (ShownItem& slot : g_Items) {
    if (slot.item && slot.waiting) Show(slot);
  }
}

void SetProgressItemText(int controlId, const char* text) {
  HWND dialog = ProgressDialogWindow();
  if (!dialog) return;
  if (!text) text = "";
  if (!OnDialogThread(dialog)) {
    HWND item = GetDlgItem(dialog, controlId);
    if (item) SetWindowTextA(item, text);
    return;
  }
  ShownItem* slot = SlotFor(dialog, controlId, false);
  // The same text again is common (a kind's status line for each of its
  // files); setting it would repaint the item for nothing.
  if (!slot || strcmp(slot->text, text) == 0) return;
  CopyText(slot->text, sizeof slot->text, text);
  ShowOrWait(dialog, *slot);
}

void SetProgressBarPosition(int controlId, int position) {
  HWND dialog = ProgressDialogWindow();
  if (!dialog) return;
  if (!OnDialogThread(dialog)) {
    SendDlgItemMessageA(dialog, controlId, PBM_SETPOS, (WPARAM)position, 0);
    return;
  }
  ShownItem* slot = SlotFor(dialog, controlId, true);
  if (!slot || slot->position == position) return;
  slot->position = position;
  ShowOrWait(dialog, *slot);
}

// Both pause to let the step be seen: what waits is shown first.
void SetStatusText(const char* text) {
  SetProgressItemText(IDC_STATUS_LINE, text);
  ShowWaitingProgress();
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
    ShowWaitingProgress();
    PumpMessages(counter > 60 ? 35 : 15, true);
  }
}
