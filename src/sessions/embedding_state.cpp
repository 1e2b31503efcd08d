// Home of the embedding state; see embedding_state.h.
#include "sessions/embedding_state.h"

EmbedMode g_EmbedMode = kEmbedOff;
HWND g_ContainerWindow = nullptr;
RECT g_EmbedRect = {0, 0, 0, 0};
