// The progress dialog's procedure: its picture, the green version label, and
// Cancel. One switch calling a short handler per message.
#include <windows.h>
#include <commctrl.h>

#include "base/module_folders.h"
#include "base/centre_window.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"
#include "download/progress_dialog_private.h"
#include "download/transparent_bitmap.h"

namespace {

struct Picture {
  int resourceId;
  int x;
  int y;
  COLORREF transparent;
};

const Picture kWebPicture = {IDB_PROGRESS_WEB, 8, 6, RGB(255, 255, 255)};
const Picture kDesktopPicture = {IDB_PROGRESS_DESKTOP, 14, 13, RGB(255, 0, 0)};
const COLORREF kVersionLabelColour = RGB(0, 128, 0);

// Lives from WM_INITDIALOG to WM_NCDESTROY; null when the resource is missing.
HBITMAP g_DialogBitmap = nullptr;

const Picture& CurrentPicture() {
  return IsProgressDialogDesktopMode() ? kDesktopPicture : kWebPicture;
}

void InitialiseBar(HWND dialog, int controlId) {
  SendDlgItemMessageA(dialog, controlId, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendDlgItemMessageA(dialog, controlId, PBM_SETSTEP, 1, 0);
}

void DeleteDialogBitmap() {
  if (g_DialogBitmap) DeleteObject(g_DialogBitmap);
  g_DialogBitmap = nullptr;
}

INT_PTR OnInitDialog(HWND dialog) {
  DeleteDialogBitmap();
  g_DialogBitmap = LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(CurrentPicture().resourceId));
  InitialiseBar(dialog, IDC_DOWNLOAD_BAR);
  if (IsProgressDialogDesktopMode()) InitialiseBar(dialog, IDC_OVERALL_BAR);
  CentreWindow(dialog);
  return TRUE;
}

void DrawPicture(HDC dc) {
  const Picture& picture = CurrentPicture();
  DrawTransparentBitmap(dc, g_DialogBitmap, picture.x, picture.y, picture.transparent);
}

INT_PTR OnPaint(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  if (dc) {
    DrawPicture(dc);
    EndPaint(dialog, &paint);
  }
  return TRUE;
}

// Printing the client area (PrintWindow, WM_PRINT) should show the picture
// as painting does; the background was erased before this arrives.
INT_PTR OnPrintClient(HDC dc) {
  DrawPicture(dc);
  return TRUE;
}

INT_PTR OnCtlColorStatic(HDC dc, HWND control) {
  if (IsProgressDialogDesktopMode() || GetDlgCtrlID(control) != IDC_VERSION_LABEL) return FALSE;
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, kVersionLabelColour);
  return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

// Cancel button, close box and Esc: the deployment stops at its next poll.
INT_PTR OnCancel(HWND dialog) {
  RequestCancel();  // wakes a wait on another thread of the process too
  ForgetProgressDialog(dialog, false);
  DestroyWindow(dialog);
  return TRUE;
}

INT_PTR OnNcDestroy(HWND dialog) {
  DeleteDialogBitmap();
  ForgetProgressDialog(dialog, true);
  SignalWake();  // DestroyProgressDialogAndWait may wait on another thread
  return FALSE;  // the platform frees its own dialog data
}

}  // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_PAINT:
      return OnPaint(dialog);
    case WM_PRINTCLIENT:
      return OnPrintClient((HDC)wParam);
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic((HDC)wParam, (HWND)lParam);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) return OnCancel(dialog);
      return FALSE;
    case WM_CLOSE:
      return OnCancel(dialog);
    case WM_TIMER:
      if (wParam != kProgressRefreshTimer) return FALSE;
      ShowWaitingProgress();
      return TRUE;
    case WM_PROGRESS_DESTROY:
      DestroyWindow(dialog);
      return TRUE;
    case WM_NCDESTROY:
      return OnNcDestroy(dialog);
    default:
      return FALSE;
  }
}
