// IClassFactory for the module's classes and the walks over the module's
// factory table; see class_factory.h.
#include "framework/class_factory.h"

COleObjectFactory::COleObjectFactory(const CLSID& clsid, CreateObjectFn create,
                                     UpdateRegistryFn update)
    : clsid_(clsid), create_(create), update_(update) {}

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

// Static objects: reference counts are not kept.
STDMETHODIMP_(ULONG) COleObjectFactory::AddRef() { return 2; }

STDMETHODIMP_(ULONG) COleObjectFactory::Release() { return 1; }

STDMETHODIMP COleObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return create_(iid, object);
}

STDMETHODIMP COleObjectFactory::LockServer(BOOL lock) {
  LockModule(lock != FALSE);
  return S_OK;
}

HRESULT GetClassObjectFrom(COleObjectFactory* const* factories, size_t count,
                           REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (size_t i = 0; i < count; ++i) {
    if (IsEqualCLSID(clsid, factories[i]->GetClassID())) {
      return factories[i]->QueryInterface(iid, object);
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool UpdateRegistryAll(COleObjectFactory* const* factories, size_t count, bool registering) {
  bool allDone = true;
  for (size_t i = 0; i < count; ++i) {
    if (!factories[i]->UpdateRegistry(registering)) allDone = false;
  }
  return allDone;
}
