// In-place activation of COleControl: the verbs, the activation handshake
// with the container's IOleInPlaceSite (windowless through
// IOleInPlaceSiteWindowless when both sides allow it, otherwise with a
// child window of the site's window), UI activation and the way back.
//
// The state changes before each call into the container, because the
// container may call back into the control from inside any of them.
#include "framework/ole_control.h"

#include <olectl.h>

#include "framework/control_window.h"

HRESULT COleControl::ExecuteVerb(LONG verb, IOleClientSite* activeSite, HWND parent) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(true, activeSite);
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(false, activeSite);
    case OLEIVERB_HIDE:
      DeactivateUI();
      if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
      return S_OK;
    case OLEIVERB_PROPERTIES:
      return ShowPropertyPages(parent);
    default:
      return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
  }
}

HRESULT COleControl::ActivateInPlace(bool uiActivate, IOleClientSite* site) {
  if (!inPlaceActive_) {
    if (site == nullptr) site = clientSite_;
    if (site == nullptr) return E_UNEXPECTED;
    HRESULT hr = BeginInPlace(site);
    if (FAILED(hr)) return hr;
  }
  if (uiActivate && !uiActive_) ActivateUI();
  return S_OK;
}

HRESULT COleControl::BeginInPlace(IOleClientSite* site) {
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, (void**)&inPlaceSite_)) ||
      inPlaceSite_ == nullptr) {
    inPlaceSite_ = nullptr;
    return E_NOINTERFACE;
  }
  if (inPlaceSite_->CanInPlaceActivate() != S_OK) {
    ReleaseInterface(&inPlaceSite_);
    return E_FAIL;
  }
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSiteEx, (void**)&inPlaceSiteEx_))) {
    inPlaceSiteEx_ = nullptr;
  }
  IOleInPlaceSiteWindowless* windowless = nullptr;
  if ((GetControlFlags() & windowlessActivate) != 0 &&
      SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless, (void**)&windowless)) &&
      windowless != nullptr) {
    if (windowless->CanWindowlessActivate() == S_OK) {
      windowlessSite_ = windowless;
      windowless_ = true;
    } else {
      windowless->Release();
    }
  }

  HRESULT hr;
  if (windowlessSite_ != nullptr) {
    BOOL noRedraw = FALSE;
    hr = windowlessSite_->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
  } else if (inPlaceSiteEx_ != nullptr) {
    BOOL noRedraw = FALSE;
    hr = inPlaceSiteEx_->OnInPlaceActivateEx(&noRedraw, 0);
  } else {
    hr = inPlaceSite_->OnInPlaceActivate();
  }
  if (FAILED(hr)) {
    windowless_ = false;
    ReleaseInterface(&windowlessSite_);
    ReleaseInterface(&inPlaceSiteEx_);
    ReleaseInterface(&inPlaceSite_);
    return hr;
  }
  inPlaceActive_ = true;

  if (FAILED(inPlaceSite_->GetWindow(&siteWindow_))) siteWindow_ = nullptr;
  OLEINPLACEFRAMEINFO frameInfo = {};
  frameInfo.cb = sizeof frameInfo;
  RECT position = {};
  RECT clip = {};
  hr = inPlaceSite_->GetWindowContext(&frame_, &uiWindow_, &position, &clip, &frameInfo);
  if (FAILED(hr)) {
    frame_ = nullptr;
    uiWindow_ = nullptr;
    DeactivateInPlace();
    return hr;
  }
  position_ = position;

  if (!windowless_) {
    window_ = siteWindow_ != nullptr ? CreateControlWindow(this, siteWindow_, position_) : nullptr;
    if (window_ == nullptr) {
      DeactivateInPlace();
      return E_FAIL;
    }
  }
  return S_OK;
}

void COleControl::ActivateUI() {
  if (!inPlaceActive_ || uiActive_) return;
  uiActive_ = true;
  inPlaceSite_->OnUIActivate();
  if (frame_ != nullptr) {
    frame_->SetActiveObject(&inPlaceActiveObject_, nullptr);
    frame_->SetBorderSpace(nullptr);
  }
  if (uiWindow_ != nullptr) {
    uiWindow_->SetActiveObject(&inPlaceActiveObject_, nullptr);
    uiWindow_->SetBorderSpace(nullptr);
  }
  if (window_ != nullptr) {
    SetFocus(window_);
  } else if (windowlessSite_ != nullptr) {
    windowlessSite_->SetFocus(TRUE);
  }
}

void COleControl::DeactivateUI() {
  if (!uiActive_) return;
  uiActive_ = false;
  if (uiWindow_ != nullptr) uiWindow_->SetActiveObject(nullptr, nullptr);
  if (frame_ != nullptr) frame_->SetActiveObject(nullptr, nullptr);
  if (windowlessSite_ != nullptr) windowlessSite_->SetFocus(FALSE);
  if (inPlaceSite_ != nullptr) inPlaceSite_->OnUIDeactivate(FALSE);
}

void COleControl::DeactivateInPlace() {
  if (!inPlaceActive_) return;
  DeactivateUI();
  inPlaceActive_ = false;
  if (window_ != nullptr) {
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
  }
  ReleaseInterface(&frame_);
  ReleaseInterface(&uiWindow_);
  if (windowlessSite_ != nullptr) {
    windowlessSite_->OnInPlaceDeactivateEx(TRUE);
  } else if (inPlaceSiteEx_ != nullptr) {
    inPlaceSiteEx_->OnInPlaceDeactivateEx(TRUE);
  } else if (inPlaceSite_ != nullptr) {
    inPlaceSite_->OnInPlaceDeactivate();
  }
  windowless_ = false;
  siteWindow_ = nullptr;
  ReleaseInterface(&windowlessSite_);
  ReleaseInterface(&inPlaceSiteEx_);
  ReleaseInterface(&inPlaceSite_);
}

void COleControl::MoveInPlace(const RECT& position) {
  position_ = position;
  if (window_ != nullptr) {
    MoveWindow(window_, position.left, position.top, position.right - position.left,
               position.bottom - position.top, TRUE);
  }
}

HRESULT COleControl::ShowPropertyPages(HWND parent) {
  if (typeInfo_.propertyPageCount == 0) return OLEOBJ_S_CANNOT_DOVERB_NOW;
  if (parent == nullptr) parent = window_ != nullptr ? window_ : GetInPlaceSiteWindow();
  IUnknown* self = GetControllingUnknown();
  return OleCreatePropertyFrame(parent, 0, 0, nullptr, 1, &self, typeInfo_.propertyPageCount,
                                const_cast<CLSID*>(typeInfo_.propertyPages), LOCALE_USER_DEFAULT,
                                0, nullptr);
}
