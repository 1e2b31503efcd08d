// See session_shutdown.h.
#include "sessions/session_shutdown.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/deployment_settings.h"
#include "base/event_log.h"
#include "base/message_pump.h"
#include "sessions/session_state.h"
#include "sessions/portable/launch_text.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"

namespace {

bool KeyExists(HKEY hive, const char* path) {
  ScopedKey key;
  if (RegOpenKeyExA(hive, path, 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS) return true;
  key.Release();  // not a key
  return false;
}

// How often the close wait looks at the slot: a session program in another
// process clears it without waking this thread.
const DWORD kClosePassMs = 50;

}  // namespace

bool InstanceConfigExists(const char* commandLine, int kind) {
  const bool desktop = Settings().DesktopMode;
  char line[kLaunchLineCapacity];
  CopyText(line, sizeof line, commandLine);
  if (!strstr(line, "/s") && !strstr(line, "/S")) {
    int free = FindFreeInstance(kind, desktop);
    if (free != 0) {
      char text[16];
      FormatText(text, sizeof text, " /s%d", free);
      AppendText(line, sizeof line, text);
    }
  }
  char instance[kLaunchLineCapacity];
  if (!InstanceTextOf(line, instance, sizeof instance)) return false;
  const char* const* prefixes = nullptr;
  int count = SessionConfigKeyPrefixes(kind, desktop, &prefixes);
  for (int i = 0; i < count; ++i) {
    char path[kSessionConfigKeyCapacity];
    if (!CopyText(path, sizeof path, prefixes[i]) || !AppendText(path, sizeof path, instance)) {
      continue;  // no such key can exist
    }
    if (KeyExists(HKEY_CURRENT_USER, path)) return true;
    if (Settings().BaseRegistry != 2 && KeyExists(HKEY_LOCAL_MACHINE, path)) return true;
  }
  return false;
}

bool FindEmbeddedSession(HWND container, int* kind, int* slot) {
  if (!SessionWindowTableIsOpen() || container == nullptr) return false;
  for (int k = 0; k < kSessionKinds; ++k) {
    int s = FindSessionSlotWithParent(k, container);
    if (s < 0) continue;
    *kind = k;
    *slot = s;
    return true;
  }
  return false;
}

void CloseEmbeddedSession() {
  int kind = 0;
  int slot = -1;
  if (!FindEmbeddedSession(ContainerWindow(), &kind, &slot)) return;
  HWND window = GetSessionWindow(kind, slot);
  WriteLogLineF("WM_CLOSE posted to window %d\r\n", (int)(INT_PTR)window);
  PostMessageA(window, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  while (GetSessionWindow(kind, slot) != nullptr) {
    if (GetTickCount() - start >= kEmbeddedCloseTimeoutMs) {
      WriteLogLineF("Window %d did not close within %d seconds; it is left running.\r\n",
                    (int)(INT_PTR)window, kEmbeddedCloseTimeoutMs / 1000);
      return;
    }
    WriteLogLine(". 2 .\r\n");
    PumpMessages(kClosePassMs, true);
  }
}
