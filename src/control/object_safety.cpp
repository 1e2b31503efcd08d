// IObjectSafety of the control; see object_safety.h. Which interfaces the
// control implements is asked of the control itself, so the answer follows
// its interface table rather than a list kept here.
#include "control/object_safety.h"

namespace {

const DWORD kSupportedOptions =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

bool IsPersistenceInterface(REFIID iid) {
  return IsEqualIID(iid, IID_IPersistPropertyBag) || IsEqualIID(iid, IID_IPersistStreamInit) ||
         IsEqualIID(iid, IID_IPersistStorage) || IsEqualIID(iid, IID_IPersistMemory);
}

}  // namespace

SafetyKind ClassifySafetyInterface(COleControl* control, REFIID iid) {
  IUnknown* answer = nullptr;
  if (FAILED(control->ExternalQueryInterface(iid, (void**)&answer)) || answer == nullptr) {
    return SafetyKind::kNotImplemented;
  }
  answer->Release();
  if (IsEqualIID(iid, IID_IDispatch)) return SafetyKind::kDispatch;
  if (IsPersistenceInterface(iid)) return SafetyKind::kPersistence;
  return SafetyKind::kOther;
}

HRESULT GetSafetyOptions(SafetyKind kind, DWORD* supported, DWORD* enabled) {
  *supported = kSupportedOptions;
  *enabled = 0;
  switch (kind) {
    case SafetyKind::kDispatch:
      return S_OK;
    case SafetyKind::kPersistence:
      *enabled = INTERFACESAFE_FOR_UNTRUSTED_DATA;
      return S_OK;
    case SafetyKind::kNotImplemented:
    case SafetyKind::kOther:
      break;
  }
  return E_NOINTERFACE;
}

HRESULT SetSafetyOptions(SafetyKind kind, DWORD optionSetMask, DWORD enabledOptions) {
  if (optionSetMask == 0 && enabledOptions == 0) return S_OK;
  if (kind == SafetyKind::kPersistence && optionSetMask == INTERFACESAFE_FOR_UNTRUSTED_DATA &&
      enabledOptions == INTERFACESAFE_FOR_UNTRUSTED_DATA) {
    return S_OK;
  }
  return E_FAIL;
}

STDMETHODIMP XObjectSafety::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                      DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  return GetSafetyOptions(ClassifySafetyInterface(owner_, iid), supported, enabled);
}

STDMETHODIMP XObjectSafety::SetInterfaceSafetyOptions(REFIID iid, DWORD optionSetMask,
                                                      DWORD enabledOptions) {
  return SetSafetyOptions(ClassifySafetyInterface(owner_, iid), optionSetMask, enabledOptions);
}
