// Class objects of the module. Each creatable class has one static
// COleObjectFactory that knows its CLSID, how to make an instance and how
// to write or remove its registry entries. The module lists its factories
// in one table; DllGetClassObject and DllRegisterServer walk that table.
//
// Class objects are static and do not keep the module loaded by their
// references; only IClassFactory::LockServer and live objects do (COM's
// usual rule for in-process servers).
#ifndef WEVELINK_FRAMEWORK_CLASS_FACTORY_H
#define WEVELINK_FRAMEWORK_CLASS_FACTORY_H

#include <windows.h>
#include <ole2.h>

#include <new>

#include "framework/module_state.h"

// Makes a new object and queries it for iid. The new object starts with
// one reference, which the function drops after the query.
typedef HRESULT (*CreateObjectFn)(REFIID iid, void** object);
// Writes (registering true) or removes the class's registry entries.
typedef bool (*UpdateRegistryFn)(bool registering);

class COleObjectFactory : public IClassFactory {
 public:
  COleObjectFactory(const CLSID& clsid, CreateObjectFn create, UpdateRegistryFn update);

  const CLSID& GetClassID() const { return clsid_; }
  bool UpdateRegistry(bool registering) const { return update_(registering); }

  // IUnknown
  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  // IClassFactory
  STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** object) override;
  STDMETHOD(LockServer)(BOOL lock) override;

 private:
  const CLSID& clsid_;
  CreateObjectFn create_;
  UpdateRegistryFn update_;
};

// DllGetClassObject over the module's table of factories.
HRESULT GetClassObjectFrom(COleObjectFactory* const* factories, size_t count,
                           REFCLSID clsid, REFIID iid, void** object);

// Registers or unregisters every class in the table, in order. Goes on
// after a failure so that unregistering removes as much as it can; the
// result is false when any class failed.
bool UpdateRegistryAll(COleObjectFactory* const* factories, size_t count, bool registering);

// CreateObjectFn for a class T with a default constructor and the
// ExternalQueryInterface/ExternalRelease pair of the framework's objects.
template <class T>
HRESULT CreateObjectOf(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  T* created = new (std::nothrow) T();
  if (created == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = created->ExternalQueryInterface(iid, object);
  created->ExternalRelease();
  return hr;
}

#endif
