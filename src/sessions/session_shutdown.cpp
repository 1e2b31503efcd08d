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
  return OpenRegKey(&key, hive, path, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

struct SlotWatch {
  int kind, slot;
  HWND window;
};

bool IsSlotCleared(void* context) {
  const SlotWatch* watch = (const SlotWatch*)context;
  return GetSessionWindow(watch->kind, watch->slot) != watch->window;
}

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

bool CloseSessionAndWait(int kind, int slot, const char* passLine) {
  HWND window = GetSessionWindow(kind, slot);
  if (!window) return true;
  PostMessageA(window, WM_CLOSE, 0, 0);
  SlotWatch watch = {kind, slot, window};
  const DWORD start = GetTickCount();
  while (!IsSlotCleared(&watch)) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= kEmbeddedCloseTimeoutMs) return false;
    WriteLogLine(passLine);
    DWORD left = kEmbeddedCloseTimeoutMs - elapsed;
    const DWORD pass = kEmbeddedClosePassMs;
    WaitWhilePumping(IsSlotCleared, &watch, left < pass ? left : pass, 0);
  }
  return true;
}

void CloseEmbeddedSession() {
  int kind = 0;
  int slot = -1;
  if (!FindEmbeddedSession(ContainerWindow(), &kind, &slot)) return;
  HWND window = GetSessionWindow(kind, slot);
  WriteLogLineF("WM_CLOSE posted to window %d\r\n", (int)(INT_PTR)window);
  if (!CloseSessionAndWait(kind, slot, ". 2 .\r\n")) {
    WriteLogLineF("Window %d did not close within %d seconds; it is left running.\r\n",
                  (int)(INT_PTR)window, kEmbeddedCloseTimeoutMs / 1000);
  }
}
