// The child window of a control that is activated in place with a window
// of its own (containers that cannot host windowless controls). It only
// paints: WM_PAINT becomes the control's OnDraw with the client rectangle
// as bounds and the paint rectangle as the invalid area.
#ifndef WEVELINK_FRAMEWORK_CONTROL_WINDOW_H
#define WEVELINK_FRAMEWORK_CONTROL_WINDOW_H

#include <windows.h>

class COleControl;

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registered at the framework's start and removed at its end.
bool RegisterControlWindowClass(HINSTANCE instance);
void UnregisterControlWindowClass(HINSTANCE instance);

// A visible child of parent at position, clipped to its parent's siblings.
// Null when it cannot be made (the class is registered on demand when the
// framework's start has not run).
HWND CreateControlWindow(COleControl* control, HWND parent, const RECT& position);

#endif
