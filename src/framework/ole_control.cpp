// COleControl's identity, lifetime, client site and the services it offers
// to the derived control; see ole_control.h. Activation, drawing,
// persistence and type information live in their own files.
#include "framework/ole_control.h"

#include "framework/module_state.h"

namespace {

// 1 by 0.5 inches until the container says otherwise.
const LONG kDefaultExtentX = 2540;
const LONG kDefaultExtentY = 1270;

}  // namespace

COleControl::COleControl(const ControlTypeInfo& typeInfo)
    : typeInfo_(typeInfo),
      references_(1),
      clientSite_(nullptr),
      adviseHolder_(nullptr),
      viewSink_(nullptr),
      viewSinkAspects_(0),
      viewSinkFlags_(0),
      versionLoaded_(0),
      eventsFrozen_(0),
      inPlaceSite_(nullptr),
      inPlaceSiteEx_(nullptr),
      windowlessSite_(nullptr),
      frame_(nullptr),
      uiWindow_(nullptr),
      inPlaceActive_(false),
      uiActive_(false),
      windowless_(false),
      siteWindow_(nullptr),
      window_(nullptr),
      oleObject_(this),
      inPlaceObject_(this),
      inPlaceActiveObject_(this),
      viewObject_(this),
      persistPropertyBag_(this),
      persistStreamInit_(this),
      oleControl_(this),
      dispatch_(this),
      provideClassInfo_(this),
      specifyPropertyPages_(this),
      connectionPointContainer_(this),
      eventsPoint_(this, typeInfo.eventsIid, true),
      propertyNotifyPoint_(this, &IID_IPropertyNotifySink, false) {
  extent_.cx = kDefaultExtentX;
  extent_.cy = kDefaultExtentY;
  position_.left = position_.top = position_.right = position_.bottom = 0;
  AddModuleObject();
}

COleControl::~COleControl() { ReleaseModuleObject(); }

IUnknown* COleControl::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject)) return &oleObject_;
  if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject) ||
      IsEqualIID(iid, IID_IOleInPlaceObjectWindowless)) {
    return &inPlaceObject_;
  }
  if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) return &inPlaceActiveObject_;
  if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2)) return &viewObject_;
  if (IsEqualIID(iid, IID_IPersistPropertyBag)) return &persistPropertyBag_;
  if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
    return &persistStreamInit_;
  }
  if (IsEqualIID(iid, IID_IOleControl)) return &oleControl_;
  if (IsEqualIID(iid, IID_IDispatch) ||
      (typeInfo_.dispatchIid != nullptr && IsEqualIID(iid, *typeInfo_.dispatchIid))) {
    return &dispatch_;
  }
  if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
    return &provideClassInfo_;
  }
  if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) return &specifyPropertyPages_;
  if (IsEqualIID(iid, IID_IConnectionPointContainer)) return &connectionPointContainer_;
  return GetExtraInterface(iid);
}

HRESULT COleControl::ExternalQueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  IUnknown* found = FindInterface(iid);
  *object = found;
  if (found == nullptr) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

ULONG COleControl::ExternalAddRef() { return (ULONG)InterlockedIncrement(&references_); }

ULONG COleControl::ExternalRelease() {
  LONG left = InterlockedDecrement(&references_);
  if (left != 0) return (ULONG)left;
  // Hold one reference while letting go of the container, so that the
  // AddRef/Release pairs its callbacks make cannot reach zero again.
  references_ = 1;
  DeactivateInPlace();
  eventsPoint_.ReleaseAll();
  propertyNotifyPoint_.ReleaseAll();
  ReleaseInterface(&viewSink_);
  ReleaseInterface(&adviseHolder_);
  ReleaseInterface(&clientSite_);
  delete this;
  return 0;
}

void COleControl::ChangeClientSite(IOleClientSite* site) {
  // A container that takes the site away while the control is active has
  // skipped Close; deactivate while the in-place site is still held.
  if (site == nullptr) DeactivateInPlace();
  AssignInterface(&clientSite_, site);
  OnSetClientSite();
}

void COleControl::CloseObject() {
  DeactivateInPlace();
  if (adviseHolder_ != nullptr) adviseHolder_->SendOnClose();
}

HWND COleControl::GetInPlaceSiteWindow() const {
  if (inPlaceActive_ && siteWindow_ != nullptr) return siteWindow_;
  if (clientSite_ == nullptr) return nullptr;
  IOleInPlaceSite* site = nullptr;
  if (FAILED(clientSite_->QueryInterface(IID_IOleInPlaceSite, (void**)&site)) || site == nullptr) {
    return nullptr;
  }
  HWND window = nullptr;
  if (FAILED(site->GetWindow(&window))) window = nullptr;
  site->Release();
  return window;
}

bool COleControl::GetRectInContainer(RECT* rect) const {
  if (rect == nullptr || !inPlaceActive_) return false;
  *rect = position_;
  return true;
}

int COleControl::MessageBox(const char* text, const char* caption, UINT type) {
  HWND owner = window_ != nullptr ? window_ : GetInPlaceSiteWindow();
  // A page torn down while the control works leaves a dead window: the box
  // would then not be shown at all.
  if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
  return ::MessageBoxA(owner, text, caption, type);
}

bool COleControl::ExchangeVersion(CPropExchange* pPX, DWORD versionDefault, bool convert) {
  if (pPX == nullptr) return false;
  bool done = pPX->ExchangeVersion(&versionLoaded_, versionDefault, convert);
  return done;
}

void COleControl::InvalidateControl(const RECT* rect) {
  if (window_ != nullptr) {
    InvalidateRect(window_, rect, TRUE);
  } else if (windowlessSite_ != nullptr) {
    windowlessSite_->InvalidateRect(rect != nullptr ? rect : &position_, TRUE);
  } else if (viewSink_ != nullptr) {
    viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
}

void COleControl::DoPropExchange(CPropExchange* pPX) {
  if (pPX == nullptr) return;
  LONG x = extent_.cx;
  LONG y = extent_.cy;
  PX_Long(pPX, "_ExtentX", &x, kDefaultExtentX);
  PX_Long(pPX, "_ExtentY", &y, kDefaultExtentY);
  // A stored extent must be a size; anything else keeps the current one.
  if (x > 0 && y > 0) {
    extent_.cx = x;
    extent_.cy = y;
  }
}

void COleControl::OnResetState() {
  CPropExchange exchange(CPropExchange::kReset, nullptr);
  DoPropExchange(&exchange);
}

void COleControl::OnDraw(HDC, const RECT&, const RECT&) {}

void COleControl::OnSetClientSite() {}

DWORD COleControl::GetControlFlags() { return clipPaintDC; }

IUnknown* COleControl::GetExtraInterface(REFIID) { return nullptr; }
