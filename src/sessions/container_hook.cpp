// The container window's hook; see container_hook.h.
#include "sessions/container_hook.h"

#include "sessions/session_state.h"

namespace {

WNDPROC g_ContainerProc = nullptr;
HWND g_HookedWindow = nullptr;

}  // namespace

bool IsContainerHookInstalled() { return g_ContainerProc != nullptr; }

bool InstallContainerHook(HWND window) {
  if (g_ContainerProc != nullptr) return true;
  if (!window || !IsWindow(window)) return false;
  SetLastError(0);
  WNDPROC previous =
      (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)ClientWndProc);
  if (!previous && GetLastError() != 0) return false;
  g_ContainerProc = previous;
  g_HookedWindow = window;
  return true;
}

void RemoveContainerHook() {
  if (!g_ContainerProc) return;
  if (IsWindow(g_HookedWindow) &&
      (WNDPROC)GetWindowLongPtrA(g_HookedWindow, GWLP_WNDPROC) == ClientWndProc) {
    SetWindowLongPtrA(g_HookedWindow, GWLP_WNDPROC, (LONG_PTR)g_ContainerProc);
  }
  g_ContainerProc = nullptr;
  g_HookedWindow = nullptr;
}

LRESULT CALLBACK ClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC container = g_ContainerProc;
  if (message == WM_NCDESTROY) {
    // The window's last message: hand it its own procedure back first.
    RemoveContainerHook();
    if (ContainerWindow() == window) SetContainerWindow(nullptr);
  }
  if (!container) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(container, window, message, wParam, lParam);
}
