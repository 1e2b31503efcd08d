// Module-wide instance handle, path and object/lock counts; see
// module_state.h. The counts are interlocked because COM may ask
// DllCanUnloadNow from any thread, even though every object of an
// apartment-threaded server lives on the thread that created it.
#include "framework/module_state.h"

#include "base/portable/bounded_text.h"
#include "framework/control_window.h"

namespace {

HINSTANCE g_instance = nullptr;
volatile LONG g_objectCount = 0;
volatile LONG g_lockCount = 0;

}  // namespace

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE GetModuleInstance() { return g_instance; }

bool GetModulePath(char* path, size_t capacity) {
  if (capacity == 0) return false;
  path[0] = '\0';
  if (g_instance == nullptr || capacity > MAXDWORD) return false;
  DWORD length = GetModuleFileNameA(g_instance, path, (DWORD)capacity);
  // A path that fills the buffer was cut (the platform may leave it
  // unterminated on older systems).
  if (length == 0 || length >= capacity) {
    path[0] = '\0';
    return false;
  }
  return true;
}

void AddModuleObject() { InterlockedIncrement(&g_objectCount); }

void ReleaseModuleObject() { InterlockedDecrement(&g_objectCount); }

void LockModule(bool lock) {
  if (lock) {
    InterlockedIncrement(&g_lockCount);
  } else {
    InterlockedDecrement(&g_lockCount);
  }
}

HRESULT CanUnloadModule() {
  return (g_objectCount == 0 && g_lockCount == 0) ? S_OK : S_FALSE;
}

bool StartFramework() { return RegisterControlWindowClass(g_instance); }

void EndFramework() { UnregisterControlWindowClass(g_instance); }
