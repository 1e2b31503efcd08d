// Home of the sessions' process-wide state; see session_state.h.
#include "sessions/session_state.h"

namespace {

SessionList g_SessionList;
EmbedMode g_EmbedMode = kEmbedOff;
HWND g_ContainerWindow = nullptr;
RECT g_EmbedRect = {0, 0, 0, 0};

}  // namespace

EmbedMode CurrentEmbedMode() { return g_EmbedMode; }
void SetEmbedMode(EmbedMode mode) { g_EmbedMode = mode; }
HWND ContainerWindow() { return g_ContainerWindow; }
void SetContainerWindow(HWND window) { g_ContainerWindow = window; }
RECT EmbedRect() { return g_EmbedRect; }
void SetEmbedRect(const RECT& rect) { g_EmbedRect = rect; }
const SessionList& CurrentSessionList() { return g_SessionList; }
void ClearSessionList() { g_SessionList.Count = 0; }
SessionList* SessionListToBuild() { return &g_SessionList; }
