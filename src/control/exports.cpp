// The module's four exports over its table of class objects: the control
// and its property page.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "control/module.h"
#include "control/wevelink_ctrl.h"
#include "control/wevelink_ids.h"
#include "control/wevelink_proppage.h"
#include "download/lifetime.h"
#include "framework/class_factory.h"
#include "framework/registration.h"

namespace {

COleObjectFactory g_ctrlFactory(CLSID_WevelinkCtrl, CreateWevelinkCtrl,
                                UpdateWevelinkCtrlRegistry);
COleObjectFactory g_propPageFactory(CLSID_WevelinkPropPage, CreateWevelinkPropPage,
                                    UpdateWevelinkPropPageRegistry);
COleObjectFactory* const g_factories[] = {&g_ctrlFactory, &g_propPageFactory};

}  // namespace

STDAPI DllCanUnloadNow() {
  if (CanUnloadModule() != S_OK) return S_FALSE;
  // The container may free the module next: end it here, not in DllMain.
  ExitModule();
  if (!DownloadEnded()) return S_FALSE;
  return CanUnloadModule();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!EnsureModuleStarted()) return E_UNEXPECTED;
  return GetClassObjectFrom(g_factories, ARRAYSIZE(g_factories), clsid, iid, object);
}

STDAPI DllRegisterServer() {
  if (!RegisterModuleTypeLib(LIBID_WEVELINKLib)) return SELFREG_E_TYPELIB;
  if (!UpdateRegistryAll(g_factories, ARRAYSIZE(g_factories), true)) return SELFREG_E_CLASS;
  return S_OK;
}

STDAPI DllUnregisterServer() {
  if (!UnregisterModuleTypeLib(LIBID_WEVELINKLib, kWevelinkLibMajor, kWevelinkLibMinor)) {
    return SELFREG_E_TYPELIB;
  }
  if (!UpdateRegistryAll(g_factories, ARRAYSIZE(g_factories), false)) return SELFREG_E_CLASS;
  return S_OK;
}
