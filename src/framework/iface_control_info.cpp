// The descriptive interfaces of COleControl: IOleControl, the empty
// IDispatch (its type information is the dispinterface of the type
// library), IProvideClassInfo2 and ISpecifyPropertyPages.
#include "framework/ole_control.h"
#include "framework/type_library.h"

HRESULT COleControl::GetTypeInfoOfGuid(const GUID& guid, LCID locale, ITypeInfo** info) {
  *info = nullptr;
  if (typeInfo_.libid == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  ITypeLib* library = nullptr;
  HRESULT hr = LoadControlTypeLib(*typeInfo_.libid, typeInfo_.libMajor, typeInfo_.libMinor,
                                  locale, &library);
  if (FAILED(hr)) return hr;
  hr = library->GetTypeInfoOfGuid(guid, info);
  library->Release();
  if (FAILED(hr)) *info = nullptr;
  return hr;
}

STDMETHODIMP XOleControl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->cb = sizeof *info;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP XOleControl::OnMnemonic(MSG* msg) {
  if (msg == nullptr) return E_POINTER;
  return S_OK;  // no mnemonics: nothing to do
}

STDMETHODIMP XOleControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP XOleControl::FreezeEvents(BOOL freeze) {
  if (freeze) {
    ++owner_->eventsFrozen_;
  } else if (owner_->eventsFrozen_ > 0) {
    --owner_->eventsFrozen_;
  }
  return S_OK;
}

STDMETHODIMP XDispatch::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP XDispatch::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (owner_->typeInfo_.dispatchIid == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  return owner_->GetTypeInfoOfGuid(*owner_->typeInfo_.dispatchIid, locale, info);
}

STDMETHODIMP XDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;  // no properties, no methods
}

STDMETHODIMP XDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP XProvideClassInfo::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  CLSID clsid;
  HRESULT hr = owner_->GetClassID(&clsid);
  if (FAILED(hr)) return hr;
  return owner_->GetTypeInfoOfGuid(clsid, LOCALE_USER_DEFAULT, info);
}

STDMETHODIMP XProvideClassInfo::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID || owner_->typeInfo_.eventsIid == nullptr) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = *owner_->typeInfo_.eventsIid;
  return S_OK;
}

STDMETHODIMP XSpecifyPropertyPages::GetPages(CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = nullptr;
  ULONG count = owner_->typeInfo_.propertyPageCount;
  if (count == 0) return S_OK;
  pages->pElems = (GUID*)CoTaskMemAlloc(count * sizeof(GUID));
  if (pages->pElems == nullptr) return E_OUTOFMEMORY;
  for (ULONG i = 0; i < count; ++i) pages->pElems[i] = owner_->typeInfo_.propertyPages[i];
  pages->cElems = count;
  return S_OK;
}
