// Process-wide state of sessions: the session list the page names, and
// sessions embedded in the page: whether and how the page asked for it,
// the window of the browser that holds the control, and the control's
// rectangle there. The session-list builder sets the list, the mode and
// the window; the first paint while sited records the rectangle.
#ifndef WEVELINK_SESSIONS_SESSION_STATE_H
#define WEVELINK_SESSIONS_SESSION_STATE_H

#include <windows.h>

#include "sessions/portable/session_list.h"

enum EmbedMode { kEmbedOff, kEmbedPosition, kEmbedFullScreen };

// Kept from one deployment to the next.
EmbedMode CurrentEmbedMode();
void SetEmbedMode(EmbedMode mode);

// Null until a page embeds a session.
HWND ContainerWindow();
void SetContainerWindow(HWND window);

RECT EmbedRect();
void SetEmbedRect(const RECT& rect);

// Set while the control has a client site (its OnSetClientSite).
bool IsControlSited();
void SetControlSited(bool sited);

// The control whose rectangle embedded windows follow, remembered by its
// first paint: read(control, rect) gives its rectangle in the container's
// client coordinates. Forgotten when that control goes.
typedef bool (*ControlRectReader)(void* control, RECT* rect);
void RememberEmbeddingControl(ControlRectReader read, void* control);
void ForgetEmbeddingControl(void* control);
// The remembered control's rectangle; false when none is known.
bool ReadEmbeddingControlRect(RECT* rect);

// The session list of the current deployment.
const SessionList& CurrentSessionList();
void ClearSessionList();
// The list for the builder to fill.
SessionList* SessionListToBuild();

#endif
