// Home of the sessions' process-wide state: the embedding state
// (embedding_state.h) and the session list (session_list.h).
#include "sessions/embedding_state.h"

#include "sessions/session_list.h"

SessionList g_SessionList;

EmbedMode g_EmbedMode = kEmbedOff;
HWND g_ContainerWindow = nullptr;
RECT g_EmbedRect = {0, 0, 0, 0};
