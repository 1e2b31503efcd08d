// Module start and exit, and DllMain. DllMain records the instance and, at
// an unload by FreeLibrary, runs the exit; at process termination the
// exit is skipped, since the process's other threads and windows are
// already gone and nothing of the module's state outlives the process.
#include "control/module.h"

#include <windows.h>

#include "control/event_log.h"
#include "control/module_state.h"
#include "download/message_pump.h"
#include "download/progress_dialog.h"
#include "framework/module_state.h"
#include "sessions/container_hook.h"
#include "sessions/session_window_table.h"

namespace {

INIT_ONCE g_startOnce = INIT_ONCE_STATIC_INIT;
bool g_started = false;

// The module's start: the framework first, then the module-wide folders.
bool InitInstance() {
  if (!StartFramework()) return false;
  if (!InitializeModuleFolders(GetModuleInstance())) return false;
  g_started = true;
  return true;
}

BOOL CALLBACK RunStart(PINIT_ONCE, PVOID, PVOID*) { return InitInstance() ? TRUE : FALSE; }

// The module's exit, in this order: end the event log (then let pending
// messages through), destroy the progress dialog and wait for its last
// message, close the session window table, and last the framework's own.
void ExitInstance() {
  if (IsEventLogOpen()) {
    EndEventLog();
    PumpMessages(100, true);
  }
  DestroyProgressDialogAndWait();
  // The browser's window must not call into a module that is gone.
  RemoveContainerHook();
  CloseWakeEvent();
  CloseSessionWindowTable();
  EndFramework();
}

}  // namespace

bool EnsureModuleStarted() {
  return InitOnceExecuteOnce(&g_startOnce, RunStart, nullptr, nullptr) != FALSE;
}

void ExitModule() {
  if (!g_started) return;
  g_started = false;
  ExitInstance();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      SetModuleInstance(instance);
      DisableThreadLibraryCalls(instance);
      break;
    case DLL_PROCESS_DETACH:
      if (reserved == nullptr) {
        ExitModule();
      } else {
        // The process is ending: its windows and threads are gone, but the
        // administrator still gets a closed log with its end banner.
        EndEventLogAtProcessExit();
      }
      break;
  }
  return TRUE;
}
