// Life of the progress dialog: the home of its process-wide state, the
// window class, creation, closing, the owner window and the wait for its
// destruction at module exit.
#include "download/progress_dialog.h"

#include <commctrl.h>

#include "control/module_state.h"
#include "download/message_pump.h"
#include "download/progress_dialog_private.h"

HWND ProgressDialog = nullptr;
volatile BYTE CancelRequested = 0;
HWND ProgressOwnerWindow = nullptr;
volatile BYTE ProgressDestroyed = 0;
BYTE OverallProgressSteps = 0;

namespace {

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
  wc.hInstance = g_ModuleInstance;
  wc.hIcon = LoadIconA(g_ModuleInstance, MAKEINTRESOURCEA(IDI_WEVELINK));
  // The icon resource has its own 16 x 16 image for the caption.
  wc.hIconSm = (HICON)LoadImageA(g_ModuleInstance, MAKEINTRESOURCEA(IDI_WEVELINK), IMAGE_ICON,
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
  return ProgressDestroyed != 0 && !IsWindow((HWND)dialog);
}

}  // namespace

void ResetProgressForDeployment() {
  CancelRequested = 0;
  OverallProgressSteps = 0;
}

bool IsProgressDialogDesktopMode() { return g_DesktopMode; }

bool CreateProgressDialog(bool desktopMode) {
  if (ProgressDialog && IsWindow(ProgressDialog)) return true;
  ProgressDialog = nullptr;

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  RegisterDialogClass();  // a failure shows as a failed creation below

  if (!ProgressOwnerWindow) {
    HWND active = GetActiveWindow();
    if (active) {
      ProgressOwnerWindow = active;
      EnableWindow(active, FALSE);
    }
  }

  g_DesktopMode = desktopMode;
  int templateId = desktopMode ? IDD_PROGRESS_DESKTOP : IDD_PROGRESS_WEB;
  HWND dialog = CreateDialogParamA(g_ModuleInstance, MAKEINTRESOURCEA(templateId), nullptr,
                                   ProgressDialogProc, 0);
  if (!dialog) return false;
  ProgressDialog = dialog;
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  return true;
}

void CloseProgressDialog() {
  HWND dialog = ProgressDialog;
  if (!dialog) return;
  ProgressDestroyed = 0;
  ProgressDialog = nullptr;
  DestroyWindow(dialog);
}

void EnableOwnerWindow() {
  HWND owner = ProgressOwnerWindow;
  ProgressOwnerWindow = nullptr;
  if (owner && IsWindow(owner)) EnableWindow(owner, TRUE);
}

bool DestroyProgressDialogAndWait(DWORD timeoutMs) {
  HWND dialog = ProgressDialog;
  bool gone = true;
  if (dialog && IsWindow(dialog)) {
    ProgressDestroyed = 0;
    // Only the dialog's own thread may destroy it; any other asks it to.
    if (GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId()) {
      DestroyWindow(dialog);
    } else {
      PostMessageA(dialog, WM_PROGRESS_DESTROY, 0, 0);
    }
    gone = WaitWhilePumping(IsDialogDestroyed, dialog, timeoutMs, 0) == kWaitDone;
  }
  ProgressDialog = nullptr;
  if (gone) UnregisterClassA(kDialogClassName, g_ModuleInstance);
  return gone;
}
