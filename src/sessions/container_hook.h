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

// Whether a container procedure is recorded (the hook is in place).
bool IsContainerHookInstalled();

// Puts the container's own procedure back, if the hook is still in place.
void RemoveContainerHook();

// The hook itself. The embedded sessions' sizing, focus and closing join
// here; until then every message goes on to the container's procedure.
LRESULT CALLBACK ClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
