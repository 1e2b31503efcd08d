// IPersistPropertyBag and IPersistStreamInit of COleControl. Both end in
// the control's DoPropExchange (load and save) or OnResetState (InitNew);
// the store behind the exchange is the only difference.
#include "framework/ole_control.h"
#include "framework/prop_store.h"

HRESULT COleControl::LoadFromBag(IPropertyBag* bag, IErrorLog* errorLog) {
  BagPropertyStore store(bag, errorLog);
  CPropExchange exchange(CPropExchange::kLoad, &store);
  DoPropExchange(&exchange);
  return S_OK;
}

HRESULT COleControl::SaveToBag(IPropertyBag* bag) {
  BagPropertyStore store(bag, nullptr);
  CPropExchange exchange(CPropExchange::kSave, &store);
  DoPropExchange(&exchange);
  return exchange.HasWriteFailed() ? E_FAIL : S_OK;
}

HRESULT COleControl::LoadFromStream(IStream* stream) {
  StreamPropertyStore store(stream);
  HRESULT hr = store.Load();
  if (FAILED(hr)) return hr;
  CPropExchange exchange(CPropExchange::kLoad, &store);
  DoPropExchange(&exchange);
  return S_OK;
}

HRESULT COleControl::SaveToStream(IStream* stream) {
  StreamPropertyStore store(stream);
  HRESULT hr = store.BeginSave();
  if (FAILED(hr)) return hr;
  CPropExchange exchange(CPropExchange::kSave, &store);
  DoPropExchange(&exchange);
  return store.EndSave();
}

// InitNew (an OBJECT without PARAMs) runs the same deployment as a load:
// the same guard keeps the control alive through its message loop.
HRESULT COleControl::ResetState() {
  ExternalAddRef();
  OnResetState();
  ExternalRelease();  // may delete this object
  return S_OK;
}

STDMETHODIMP XPersistPropertyBag::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  return owner_->GetClassID(clsid);
}

STDMETHODIMP XPersistPropertyBag::InitNew() { return owner_->ResetState(); }

// A load may run a long nested message loop (the control's whole work), in
// which the container can let go of its last reference: the control stays
// alive until the load returns.
STDMETHODIMP XPersistPropertyBag::Load(IPropertyBag* bag, IErrorLog* errorLog) {
  if (bag == nullptr) return E_POINTER;
  COleControl* owner = owner_;
  owner->ExternalAddRef();
  HRESULT hr = owner->LoadFromBag(bag, errorLog);
  owner->ExternalRelease();  // may delete this object with its owner
  return hr;
}

STDMETHODIMP XPersistPropertyBag::Save(IPropertyBag* bag, BOOL, BOOL) {
  if (bag == nullptr) return E_POINTER;
  return owner_->SaveToBag(bag);
}

STDMETHODIMP XPersistStreamInit::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  return owner_->GetClassID(clsid);
}

// The control never changes its persistent properties by itself.
STDMETHODIMP XPersistStreamInit::IsDirty() { return S_FALSE; }

STDMETHODIMP XPersistStreamInit::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  COleControl* owner = owner_;
  owner->ExternalAddRef();  // as in XPersistPropertyBag::Load
  HRESULT hr = owner->LoadFromStream(stream);
  owner->ExternalRelease();
  return hr;
}

STDMETHODIMP XPersistStreamInit::Save(IStream* stream, BOOL) {
  if (stream == nullptr) return E_POINTER;
  return owner_->SaveToStream(stream);
}

STDMETHODIMP XPersistStreamInit::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  // The format's own limit: measuring would mean running the exchange.
  size->QuadPart = StreamPropertyStore::kMaxStreamBytes;
  return S_OK;
}

STDMETHODIMP XPersistStreamInit::InitNew() { return owner_->ResetState(); }
