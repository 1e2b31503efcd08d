// Module start and exit, and DllMain. Start runs on the first request for
// a class object, and again after an exit. Exit runs on the container's
// thread when DllCanUnloadNow finds no object and no lock, which is where
// a container lets go of the module: ending the log, closing the progress
// dialog and waiting for it belong there, not under the loader lock.
// DllMain's detach only does what is safe there, for a container that
// frees the module without asking.
#include "control/module.h"

#include <windows.h>

#include "base/lifetime.h"
#include "download/lifetime.h"
#include "framework/module_state.h"
#include "sessions/lifetime.h"

namespace {

// Guards the start and exit against each other; never held while the
// exit dispatches messages.
SRWLOCK g_stateLock = SRWLOCK_INIT;
bool g_started = false;
bool g_exiting = false;

// The module's start: the framework first, then each layer bottom up.
bool InitInstance() {
  if (!StartFramework()) return false;
  if (!StartBase(GetModuleInstance())) return false;
  StartSessions();
  return true;
}

// The module's exit, the starts in reverse: sessions (the container hook,
// the session window table), download (the progress dialog, waited for),
// base (the event log, then what it left pending, the wake event), and last
// the framework's own.
void ExitInstance() {
  EndSessions();
  EndDownload();
  EndBase();
  EndFramework();
}

// What is safe under the loader lock: no waiting, no dispatching, no other
// thread's help. The log still gets its end banner, and the window class
// goes (it stays while a window of it lives).
void ExitUnderLoaderLock() {
  EndSessions();
  EndBaseUnderLoaderLock();
  EndFramework();
}

}  // namespace

bool EnsureModuleStarted() {
  AcquireSRWLockExclusive(&g_stateLock);
  bool started = g_started;
  if (!started && !g_exiting) started = g_started = InitInstance();
  ReleaseSRWLockExclusive(&g_stateLock);
  return started;
}

void ExitModule() {
  AcquireSRWLockExclusive(&g_stateLock);
  bool exit = g_started && !g_exiting;
  if (exit) g_exiting = true;
  ReleaseSRWLockExclusive(&g_stateLock);
  if (!exit) return;
  ExitInstance();
  AcquireSRWLockExclusive(&g_stateLock);
  g_started = false;
  g_exiting = false;
  ReleaseSRWLockExclusive(&g_stateLock);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      SetModuleInstance(instance);
      DisableThreadLibraryCalls(instance);
      break;
    case DLL_PROCESS_DETACH:
      if (reserved == nullptr) {
        // Freed without DllCanUnloadNow: the exit has not run.
        if (g_started && !g_exiting) ExitUnderLoaderLock();
      } else {
        // The process is ending: its windows and threads are gone, but the
        // administrator still gets a closed log with its end banner.
        EndBaseUnderLoaderLock();
      }
      break;
  }
  return TRUE;
}
