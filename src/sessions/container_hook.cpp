// The container window's hook; see container_hook.h.
#include "sessions/container_hook.h"

#include "base/event_log.h"
#include "sessions/session_shutdown.h"
#include "sessions/session_state.h"
#include "sessions/session_window_table.h"

namespace {

WNDPROC g_ContainerProc = nullptr;
HWND g_HookedWindow = nullptr;

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC container = g_ContainerProc;
  if (!container) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(container, window, message, wParam, lParam);
}

BOOL CALLBACK InvalidateChildWindow(HWND window, LPARAM) {
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

void OnPaint(HWND session) {
  if (GetDeploymentBusy() != 0) {
    WriteLogLine(". skip .\r\n");
    return;
  }
  if (!IsControlSited() || CurrentEmbedMode() != kEmbedPosition) return;
  EnumChildWindows(session, InvalidateChildWindow, 0);
  RECT rect;
  if (ReadEmbeddingControlRect(&rect)) SetEmbedRect(rect);
  rect = EmbedRect();
  SetWindowPos(session, nullptr, rect.left, rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_ASYNCWINDOWPOS);
}

LRESULT HandleContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  const bool passedFirst = message == WM_SIZE || message == WM_SETFOCUS;
  if (passedFirst) result = PassOn(window, message, wParam, lParam);
  int kind = 0, slot = -1;
  HWND session = nullptr;
  if (FindEmbeddedSession(ContainerWindow(), &kind, &slot)) session = GetSessionWindow(kind, slot);
  const bool fullScreen = CurrentEmbedMode() == kEmbedFullScreen;
  switch (message) {
    case WM_SIZE:
      if (session && fullScreen) {
        RECT client;
        if (GetClientRect(ContainerWindow(), &client)) {
          SetWindowPos(session, nullptr, 0, 0, client.right - client.left,
                       client.bottom - client.top, SWP_NOMOVE | SWP_NOZORDER);
        }
      }
      break;
    case WM_PAINT:
      if (session) OnPaint(session);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (session && fullScreen) {
        SendMessageA(session, message, 0, 0);
        if (message == WM_SETFOCUS) PostMessageA(session, WM_SESSION_REFRESH, 0, 0);
      }
      break;
    case WM_DESTROY:
      // The container is going: a session that does not close in time
      // must not hang the browser.
      if (session && !CloseSessionAndWait(kind, slot, ". 1 .\r\n")) {
        WriteLogLineF("Window %d did not close within %d seconds; the container goes on without it.\r\n",
                      (int)(INT_PTR)session, kEmbeddedCloseTimeoutMs / 1000);
      }
      break;
  }
  if (!passedFirst) result = PassOn(window, message, wParam, lParam);
  // The container's own procedure goes back once its destruction has been
  // passed on.
  if (message == WM_DESTROY) {
    RemoveContainerHook();
    if (ContainerWindow() == window) SetContainerWindow(nullptr);
  }
  return result;
}

}  // namespace

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
      (WNDPROC)GetWindowLongPtrA(g_HookedWindow, GWLP_WNDPROC) != ClientWndProc) {
    // Someone subclassed the container after us and calls us on: putting
    // our recorded procedure back would cut that one off, so the chain
    // stays and we go on passing messages to the container's procedure.
    WriteLogLine("The container window was subclassed after the control; its procedure is left in place.\r\n");
    return;
  }
  if (IsWindow(g_HookedWindow)) {
    SetWindowLongPtrA(g_HookedWindow, GWLP_WNDPROC, (LONG_PTR)g_ContainerProc);
  }
  g_ContainerProc = nullptr;
  g_HookedWindow = nullptr;
}

LRESULT CALLBACK ClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_PAINT: {
      WriteLogLineF("Entering ClientWndProc( ) ... %u\r\n", message);
      LRESULT result = HandleContainerMessage(window, message, wParam, lParam);
      WriteLogLine("... Leaving ClientWndProc( )\r\n");
      return result;
    }
    case WM_NCDESTROY: {
      // The window's last message: hand it its own procedure back first.
      LRESULT result = PassOn(window, message, wParam, lParam);
      if (g_HookedWindow == window) {
        g_ContainerProc = nullptr;
        g_HookedWindow = nullptr;
      }
      if (ContainerWindow() == window) SetContainerWindow(nullptr);
      return result;
    }
    default:
      return PassOn(window, message, wParam, lParam);
  }
}
