// Life of the progress dialog: the home of its process-wide state, the
// window class, creation, closing, the owner window and the wait for its
// destruction at module exit.
#include "download/progress_dialog.h"

#include <commctrl.h>

#include "base/module_folders.h"
#include "base/message_pump.h"
#include "download/progress_dialog_private.h"

namespace {

HWND g_Dialog = nullptr;           // null while none is shown
HWND g_OwnerWindow = nullptr;      // disabled while the deployment runs
volatile LONG g_Destroyed = 0;     // set by the dialog's last message
BYTE g_OverallSteps = 0;           // 8 bits: wraps at 256

const char kDialogClassName[] = "WevelinkDlgClass";

bool g_DesktopMode = false;

// The dialog's class: the platform's dialog procedure with the dialog extra
// bytes, so the templates' CLASS can name it. Registering twice is harmless.
bool RegisterDialogClass() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = DefDlgProcA;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = ModuleResources();
  wc.hIcon = LoadIconA(ModuleResources(), MAKEINTRESOURCEA(IDI_WEVELINK));
  // The icon resource has its own 16 x 16 image for the caption.
  wc.hIconSm = (HICON)LoadImageA(ModuleResources(), MAKEINTRESOURCEA(IDI_WEVELINK), IMAGE_ICON,
                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                 LR_SHARED);
  wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kDialogClassName;
  if (RegisterClassExA(&wc)) return true;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The last message has arrived and the handle is gone; on another thread the
// flag is set a moment before DestroyWindow returns there.
bool IsDialogDestroyed(void* dialog) {
  return InterlockedCompareExchange(&g_Destroyed, 0, 0) != 0 && !IsWindow((HWND)dialog);
}

}  // namespace

void ResetProgressForDeployment() {
  ClearCancelRequest();
  g_OverallSteps = 0;
}

bool IsProgressDialogDesktopMode() { return g_DesktopMode; }

HWND ProgressDialogWindow() { return g_Dialog; }
HWND ProgressOwnerWindow() { return g_OwnerWindow; }
bool ProgressDialogDestroyed() { return InterlockedCompareExchange(&g_Destroyed, 0, 0) != 0; }
BYTE OverallProgressSteps() { return g_OverallSteps; }

BYTE StepOverallProgress() { return ++g_OverallSteps; }

void ForgetProgressDialog(HWND dialog, bool destroyed) {
  if (g_Dialog == dialog) {
    g_Dialog = nullptr;
    SetKeyboardDialog(nullptr);
    ForgetProgressItems();
  }
  InterlockedExchange(&g_Destroyed, destroyed ? 1 : 0);
}

bool CreateProgressDialog(bool desktopMode) {
  if (g_Dialog && IsWindow(g_Dialog)) return true;
  g_Dialog = nullptr;

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  RegisterDialogClass();  // a failure shows as a failed creation below

  if (!g_OwnerWindow) {
    HWND active = GetActiveWindow();
    if (active) {
      g_OwnerWindow = active;
      EnableWindow(active, FALSE);
    }
  }

  g_DesktopMode = desktopMode;
  int templateId = desktopMode ? IDD_PROGRESS_DESKTOP : IDD_PROGRESS_WEB;
  HWND dialog = CreateDialogParamA(ModuleResources(), MAKEINTRESOURCEA(templateId), nullptr,
                                   ProgressDialogProc, 0);
  if (!dialog) return false;
  g_Dialog = dialog;
  SetKeyboardDialog(dialog);
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  return true;
}

void CloseProgressDialog() {
  HWND dialog = g_Dialog;
  if (!dialog) return;
  ForgetProgressDialog(dialog, false);
  DestroyWindow(dialog);
}

void EnableOwnerWindow() {
  HWND owner = g_OwnerWindow;
  g_OwnerWindow = nullptr;
  if (owner && IsWindow(owner)) EnableWindow(owner, TRUE);
}

bool DestroyProgressDialogAndWait(DWORD timeoutMs) {
  HWND dialog = g_Dialog;
  bool gone = true;
  if (dialog && IsWindow(dialog)) {
    InterlockedExchange(&g_Destroyed, 0);
    // Only the dialog's own thread may destroy it; any other asks it to.
    if (GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId()) {
      DestroyWindow(dialog);
    } else {
      PostMessageA(dialog, WM_PROGRESS_DESTROY, 0, 0);
    }
    gone = WaitWhilePumping(IsDialogDestroyed, dialog, timeoutMs, 0) == kWaitDone;
  }
  // One its thread has yet to destroy stays known: the module must not be freed under it.
  return gone && ProgressDialogGone();
}

bool ProgressDialogGone() {
  if (g_Dialog && IsWindow(g_Dialog)) return false;
  g_Dialog = nullptr;
  SetKeyboardDialog(nullptr);
  UnregisterClassA(kDialogClassName, ModuleResources());
  return true;
}
