// The procedure the control puts on the browser window that holds it when a
// page embeds its sessions, so that the embedded session windows can follow
// that window. The container's own procedure is recorded once and called
// for every message; the hook takes itself off when the window goes, and at
// module exit, so the window never calls into an unloaded module.
#ifndef WEVELINK_SESSIONS_CONTAINER_HOOK_H
#define WEVELINK_SESSIONS_CONTAINER_HOOK_H

#include <windows.h>

// Installs the hook on window unless a container procedure is recorded
// already. False when the window's procedure could not be replaced.
bool InstallContainerHook(HWND window);

// Puts the container's own procedure back, once, and only while the hook
// is still the container's procedure: when something subclassed the
// container after us, the chain is left as it is (and logged).
void RemoveContainerHook();

// The hook itself: WM_SIZE (FullScreen sizes the embedded session to the
// container's client area), WM_PAINT (Position moves it to the control's
// rectangle, keeping its size; ". skip ." while a deployment runs),
// WM_SETFOCUS and WM_KILLFOCUS (relayed in FullScreen, the focus followed
// by the session's refresh message), WM_DESTROY (the embedded session is
// asked to close and waited for, at most 10 seconds, then the container's
// own procedure goes back). Each of the five is logged on entry and exit;
// every other message goes on to the container's procedure unchanged.
LRESULT CALLBACK ClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
