// The frame and document windows that the site hands to an in-place
// control (IOleInPlaceSite::GetWindowContext). The container has no menus,
// toolbars or borders to negotiate, so the object only answers, traces
// each call as "frame <Method>" and refuses border space.
#ifndef WEVELINK_TOOLS_HOST_INPLACE_FRAME_H
#define WEVELINK_TOOLS_HOST_INPLACE_FRAME_H

#include <windows.h>
#include <ole2.h>

// A new frame object for window with one reference, owned by the caller.
IOleInPlaceFrame* CreateInPlaceFrame(HWND window);

#endif
