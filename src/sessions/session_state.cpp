// Home of the sessions' process-wide state; see session_state.h.
#include "sessions/session_state.h"

namespace {

SessionList g_SessionList;
EmbedMode g_EmbedMode = kEmbedOff;
HWND g_ContainerWindow = nullptr;
RECT g_EmbedRect = {0, 0, 0, 0};
bool g_ControlSited = false;
ControlRectReader g_ReadControlRect = nullptr;
void* g_EmbeddingControl = nullptr;

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
bool IsControlSited() { return g_ControlSited; }
void SetControlSited(bool sited) { g_ControlSited = sited; }

void RememberEmbeddingControl(ControlRectReader read, void* control) {
  g_ReadControlRect = read;
  g_EmbeddingControl = control;
}

void ForgetEmbeddingControl(void* control) {
  if (g_EmbeddingControl != control) return;
  g_ReadControlRect = nullptr;
  g_EmbeddingControl = nullptr;
}

bool ReadEmbeddingControlRect(RECT* rect) {
  return g_ReadControlRect && g_EmbeddingControl && g_ReadControlRect(g_EmbeddingControl, rect);
}
