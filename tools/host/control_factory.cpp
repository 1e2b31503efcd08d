// Creating controls from the registration or a module file; see
// control_factory.h.
#include "control_factory.h"

#include "box_recorder.h"
#include "host_trace.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);

HMODULE g_module;
GetClassObjectFunction g_getClassObject;

// Boxes of modules that came in with the control are recorded too.
void PatchNewModules() {
  int patched = PatchLoadedModules();
  if (patched != 0) Trace("boxes patched=%d", patched);
}

}  // namespace

HRESULT LoadControlModule(const wchar_t* path) {
  HRESULT hr = S_OK;
  g_module = LoadLibraryW(path);
  if (g_module == nullptr) {
    hr = HRESULT_FROM_WIN32(GetLastError());
  } else {
    g_getClassObject = (GetClassObjectFunction)(void*)GetProcAddress(g_module, "DllGetClassObject");
    if (g_getClassObject == nullptr) hr = HRESULT_FROM_WIN32(GetLastError());
  }
  char field[600];
  TraceField(path, field, sizeof field);
  Trace("module %s hr=0x%08lX", field, (unsigned long)hr);
  PatchNewModules();
  return hr;
}

HRESULT CreateControl(REFCLSID clsid, IUnknown** control) {
  *control = nullptr;
  HRESULT hr;
  if (g_getClassObject != nullptr) {
    IClassFactory* factory = nullptr;
    hr = g_getClassObject(clsid, IID_IClassFactory, (void**)&factory);
    if (SUCCEEDED(hr)) {
      hr = factory->CreateInstance(nullptr, IID_IUnknown, (void**)control);
      factory->Release();
    }
  } else {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, (void**)control);
  }
  if (FAILED(hr)) *control = nullptr;
  Trace("create hr=0x%08lX", (unsigned long)hr);
  PatchNewModules();
  return hr;
}

void UnloadControlModule() {
  g_getClassObject = nullptr;
  if (g_module != nullptr) {
    // Asked first, as COM asks before it frees a library: the module ends
    // its work there rather than under the loader lock.
    typedef HRESULT(STDAPICALLTYPE * CanUnloadNowFn)();
    CanUnloadNowFn canUnloadNow =
        (CanUnloadNowFn)(void*)GetProcAddress(g_module, "DllCanUnloadNow");
    if (canUnloadNow != nullptr) {
      HRESULT hr = canUnloadNow();
      Trace("can unload hr=0x%08lX", (unsigned long)hr);
    }
    FreeLibrary(g_module);
  }
  g_module = nullptr;
}
