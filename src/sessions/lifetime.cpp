// Start and end of sessions; see lifetime.h.
#include "sessions/lifetime.h"

#include "sessions/container_hook.h"
#include "sessions/session_window_table.h"

void StartSessions() { OpenSessionWindowTable(); }

void EndSessions() {
  RemoveContainerHook();
  CloseSessionWindowTable();
}
