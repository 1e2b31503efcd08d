// The container's windows: a top-level, browser-like frame window that
// lives for the whole run (title "Wevelink Host - <address>") and, per
// page, a container window that fills the frame's client area and holds
// that page's controls. The container window paints the page's controls
// and hands mouse and keyboard input to a windowless one (page_controls.h).
#ifndef WEVELINK_TOOLS_HOST_HOST_WINDOW_H
#define WEVELINK_TOOLS_HOST_HOST_WINDOW_H

#include <windows.h>

// Registers the classes and creates and shows the frame window. Null on
// failure.
HWND CreateFrameWindow(HINSTANCE instance);

// Creates the container window of a new page inside frame. Null on failure.
HWND CreateContainerWindow(HWND frame);

// Sets the frame's title for the page at address.
void SetFrameTitle(HWND frame, const wchar_t* address);

// Posts the command (host_options.h) to the frame of the host that is
// running; false when there is none or the command is not one.
bool SendHostCommand(const char* text);

// True once the user (or anyone) asked to close the frame, or a WM_QUIT
// arrived: the run ends after the current page.
bool CloseRequested();
void NoteQuitMessage();

#endif
