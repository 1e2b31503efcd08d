// The control's connection points: its event dispinterface (which has no
// events, but containers connect to it as a matter of course) and
// IPropertyNotifySink. Sinks are kept in a small fixed table; the cookie
// is the slot number plus one.
#include "framework/ole_control.h"

#include <new>

namespace {

// Enumerates the control's two connection points; holds a reference on
// the control for its own life.
class ConnectionPointEnumerator : public IEnumConnectionPoints {
 public:
  ConnectionPointEnumerator(COleControl* control, IConnectionPoint* first,
                            IConnectionPoint* second, ULONG position)
      : references_(1), control_(control), position_(position) {
    points_[0] = first;
    points_[1] = second;
    control_->ExternalAddRef();
  }
  ConnectionPointEnumerator(const ConnectionPointEnumerator&) = delete;
  ConnectionPointEnumerator& operator=(const ConnectionPointEnumerator&) = delete;
  virtual ~ConnectionPointEnumerator() { control_->ExternalRelease(); }

  STDMETHOD(QueryInterface)(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnectionPoints)) {
      *object = static_cast<IEnumConnectionPoints*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return (ULONG)InterlockedIncrement(&references_); }
  STDMETHOD_(ULONG, Release)() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return (ULONG)left;
  }
  STDMETHOD(Next)(ULONG count, IConnectionPoint** points, ULONG* fetched) override {
    if (points == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG given = 0;
    while (given < count && position_ < kPointCount) {
      points[given] = points_[position_++];
      points[given]->AddRef();
      ++given;
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  STDMETHOD(Skip)(ULONG count) override {
    ULONG left = kPointCount - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHOD(Reset)() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHOD(Clone)(IEnumConnectionPoints** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = new (std::nothrow)
        ConnectionPointEnumerator(control_, points_[0], points_[1], position_);
    return *copy != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  static const ULONG kPointCount = 2;
  LONG references_;
  COleControl* control_;
  IConnectionPoint* points_[kPointCount];
  ULONG position_;
};

}  // namespace

STDMETHODIMP XConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = new (std::nothrow) ConnectionPointEnumerator(owner_, &owner_->eventsPoint_,
                                                         &owner_->propertyNotifyPoint_, 0);
  return *points != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP XConnectionPointContainer::FindConnectionPoint(REFIID iid,
                                                            IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (IsEqualIID(iid, owner_->eventsPoint_.GetIID())) {
    *point = &owner_->eventsPoint_;
  } else if (IsEqualIID(iid, owner_->propertyNotifyPoint_.GetIID())) {
    *point = &owner_->propertyNotifyPoint_;
  } else {
    return CONNECT_E_NOCONNECTION;
  }
  (*point)->AddRef();
  return S_OK;
}

ControlConnectionPoint::ControlConnectionPoint(COleControl* owner, const IID* iid,
                                               bool dispatchSinks)
    : owner_(owner), iid_(iid != nullptr ? iid : &IID_NULL), dispatchSinks_(dispatchSinks) {
  for (IUnknown*& sink : sinks_) sink = nullptr;
}

ControlConnectionPoint::~ControlConnectionPoint() { ReleaseAll(); }

void ControlConnectionPoint::ReleaseAll() {
  for (IUnknown*& sink : sinks_) ReleaseInterface(&sink);
}

STDMETHODIMP ControlConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ControlConnectionPoint::AddRef() { return owner_->ExternalAddRef(); }

STDMETHODIMP_(ULONG) ControlConnectionPoint::Release() { return owner_->ExternalRelease(); }

STDMETHODIMP ControlConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = *iid_;
  return S_OK;
}

STDMETHODIMP ControlConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = &owner_->connectionPointContainer_;
  (*container)->AddRef();
  return S_OK;
}

STDMETHODIMP ControlConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  IUnknown* connected = nullptr;
  if (FAILED(sink->QueryInterface(*iid_, (void**)&connected)) || connected == nullptr) {
    connected = nullptr;
    if (!dispatchSinks_ ||
        FAILED(sink->QueryInterface(IID_IDispatch, (void**)&connected)) || connected == nullptr) {
      return CONNECT_E_CANNOTCONNECT;
    }
  }
  for (int i = 0; i < kMaxSinks; ++i) {
    if (sinks_[i] == nullptr) {
      sinks_[i] = connected;
      *cookie = (DWORD)(i + 1);
      return S_OK;
    }
  }
  connected->Release();
  return CONNECT_E_ADVISELIMIT;
}

STDMETHODIMP ControlConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > (DWORD)kMaxSinks || sinks_[cookie - 1] == nullptr) {
    return CONNECT_E_NOCONNECTION;
  }
  ReleaseInterface(&sinks_[cookie - 1]);
  return S_OK;
}

STDMETHODIMP ControlConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  return E_NOTIMPL;  // allowed for connection points; no container needs it
}
