// IOleObject of COleControl: the client site, verbs, extent, advise sinks
// and status bits. Embedding features a control in a page never uses
// (monikers of its own, data transfer, colour schemes) answer E_NOTIMPL;
// user type and verbs come from the registry (OLE_S_USEREG).
#include "framework/ole_control.h"

STDMETHODIMP XOleObject::SetClientSite(IOleClientSite* site) {
  owner_->ChangeClientSite(site);
  return S_OK;
}

STDMETHODIMP XOleObject::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = owner_->clientSite_;
  if (*site != nullptr) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP XOleObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP XOleObject::Close(DWORD) {
  owner_->CloseObject();
  return S_OK;
}

STDMETHODIMP XOleObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP XOleObject::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) {
  if (moniker == nullptr) return E_POINTER;
  *moniker = nullptr;
  if (owner_->clientSite_ == nullptr) return E_UNEXPECTED;
  return owner_->clientSite_->GetMoniker(assign, which, moniker);
}

STDMETHODIMP XOleObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP XOleObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP XOleObject::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                LPCRECT) {
  return owner_->ExecuteVerb(verb, activeSite, parent);
}

STDMETHODIMP XOleObject::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  *verbs = nullptr;
  return OLE_S_USEREG;
}

STDMETHODIMP XOleObject::Update() { return S_OK; }

STDMETHODIMP XOleObject::IsUpToDate() { return S_OK; }

STDMETHODIMP XOleObject::GetUserClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  return owner_->GetClassID(clsid);
}

STDMETHODIMP XOleObject::GetUserType(DWORD, LPOLESTR* type) {
  if (type == nullptr) return E_POINTER;
  *type = nullptr;
  return OLE_S_USEREG;
}

STDMETHODIMP XOleObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size->cx <= 0 || size->cy <= 0) return E_INVALIDARG;
  owner_->extent_ = *size;
  return S_OK;
}

STDMETHODIMP XOleObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = owner_->extent_;
  return S_OK;
}

STDMETHODIMP XOleObject::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (owner_->adviseHolder_ == nullptr) {
    HRESULT hr = CreateOleAdviseHolder(&owner_->adviseHolder_);
    if (FAILED(hr)) {
      owner_->adviseHolder_ = nullptr;
      return hr;
    }
  }
  return owner_->adviseHolder_->Advise(sink, cookie);
}

STDMETHODIMP XOleObject::Unadvise(DWORD cookie) {
  if (owner_->adviseHolder_ == nullptr) return OLE_E_NOCONNECTION;
  return owner_->adviseHolder_->Unadvise(cookie);
}

STDMETHODIMP XOleObject::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises == nullptr) return E_POINTER;
  *advises = nullptr;
  if (owner_->adviseHolder_ == nullptr) return S_OK;  // no connections: no enumerator
  return owner_->adviseHolder_->EnumAdvise(advises);
}

STDMETHODIMP XOleObject::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? owner_->typeInfo_.miscStatus : 0;
  return S_OK;
}

STDMETHODIMP XOleObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }
