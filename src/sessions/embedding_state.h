// Process-wide state of sessions embedded in the page: whether and how the
// page asked for it, the window of the browser that holds the control, and
// the control's rectangle there. The session-list builder sets the mode and
// the window; the first paint while sited records the rectangle.
#ifndef WEVELINK_SESSIONS_EMBEDDING_STATE_H
#define WEVELINK_SESSIONS_EMBEDDING_STATE_H

#include <windows.h>

enum EmbedMode { kEmbedOff, kEmbedPosition, kEmbedFullScreen };

extern EmbedMode g_EmbedMode;       // kept from one deployment to the next
extern HWND g_ContainerWindow;      // null until a page embeds a session
extern RECT g_EmbedRect;

#endif
