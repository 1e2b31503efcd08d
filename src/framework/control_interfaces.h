// The COM interfaces of COleControl, each a small object nested in the
// control (com_object.h). Every method checks its pointers and calls one
// plain operation of the control; the control's state lives in the
// control. Included by ole_control.h only.
#ifndef WEVELINK_FRAMEWORK_CONTROL_INTERFACES_H
#define WEVELINK_FRAMEWORK_CONTROL_INTERFACES_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include "framework/com_object.h"

class COleControl;

class XOleObject : public NestedInterface<IOleObject, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(SetClientSite)(IOleClientSite* site) override;
  STDMETHOD(GetClientSite)(IOleClientSite** site) override;
  STDMETHOD(SetHostNames)(LPCOLESTR app, LPCOLESTR object) override;
  STDMETHOD(Close)(DWORD saveOption) override;
  STDMETHOD(SetMoniker)(DWORD which, IMoniker* moniker) override;
  STDMETHOD(GetMoniker)(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHOD(InitFromData)(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHOD(GetClipboardData)(DWORD reserved, IDataObject** data) override;
  STDMETHOD(DoVerb)(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                    LPCRECT position) override;
  STDMETHOD(EnumVerbs)(IEnumOLEVERB** verbs) override;
  STDMETHOD(Update)() override;
  STDMETHOD(IsUpToDate)() override;
  STDMETHOD(GetUserClassID)(CLSID* clsid) override;
  STDMETHOD(GetUserType)(DWORD form, LPOLESTR* type) override;
  STDMETHOD(SetExtent)(DWORD aspect, SIZEL* size) override;
  STDMETHOD(GetExtent)(DWORD aspect, SIZEL* size) override;
  STDMETHOD(Advise)(IAdviseSink* sink, DWORD* cookie) override;
  STDMETHOD(Unadvise)(DWORD cookie) override;
  STDMETHOD(EnumAdvise)(IEnumSTATDATA** advises) override;
  STDMETHOD(GetMiscStatus)(DWORD aspect, DWORD* status) override;
  STDMETHOD(SetColorScheme)(LOGPALETTE* palette) override;
};

class XInPlaceObject : public NestedInterface<IOleInPlaceObjectWindowless, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetWindow)(HWND* window) override;
  STDMETHOD(ContextSensitiveHelp)(BOOL enter) override;
  STDMETHOD(InPlaceDeactivate)() override;
  STDMETHOD(UIDeactivate)() override;
  STDMETHOD(SetObjectRects)(LPCRECT position, LPCRECT clip) override;
  STDMETHOD(ReactivateAndUndo)() override;
  STDMETHOD(OnWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT* result) override;
  STDMETHOD(GetDropTarget)(IDropTarget** target) override;
};

class XInPlaceActiveObject : public NestedInterface<IOleInPlaceActiveObject, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetWindow)(HWND* window) override;
  STDMETHOD(ContextSensitiveHelp)(BOOL enter) override;
  STDMETHOD(TranslateAccelerator)(LPMSG msg) override;
  STDMETHOD(OnFrameWindowActivate)(BOOL activate) override;
  STDMETHOD(OnDocWindowActivate)(BOOL activate) override;
  STDMETHOD(ResizeBorder)(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
  STDMETHOD(EnableModeless)(BOOL enable) override;
};

class XViewObject : public NestedInterface<IViewObject2, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(Draw)(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                  HDC targetDc, HDC drawDc, LPCRECTL bounds, LPCRECTL metafileBounds,
                  BOOL(STDMETHODCALLTYPE* keepGoing)(ULONG_PTR), ULONG_PTR keepGoingArg) override;
  STDMETHOD(GetColorSet)(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                         HDC targetDc, LOGPALETTE** colors) override;
  STDMETHOD(Freeze)(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  STDMETHOD(Unfreeze)(DWORD freeze) override;
  STDMETHOD(SetAdvise)(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHOD(GetAdvise)(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHOD(GetExtent)(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
};

class XPersistPropertyBag : public NestedInterface<IPersistPropertyBag, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetClassID)(CLSID* clsid) override;
  STDMETHOD(InitNew)() override;
  STDMETHOD(Load)(IPropertyBag* bag, IErrorLog* errorLog) override;
  STDMETHOD(Save)(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
};

class XPersistStreamInit : public NestedInterface<IPersistStreamInit, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetClassID)(CLSID* clsid) override;
  STDMETHOD(IsDirty)() override;
  STDMETHOD(Load)(IStream* stream) override;
  STDMETHOD(Save)(IStream* stream, BOOL clearDirty) override;
  STDMETHOD(GetSizeMax)(ULARGE_INTEGER* size) override;
  STDMETHOD(InitNew)() override;
};

class XOleControl : public NestedInterface<IOleControl, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetControlInfo)(CONTROLINFO* info) override;
  STDMETHOD(OnMnemonic)(MSG* msg) override;
  STDMETHOD(OnAmbientPropertyChange)(DISPID id) override;
  STDMETHOD(FreezeEvents)(BOOL freeze) override;
};

class XDispatch : public NestedInterface<IDispatch, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetTypeInfoCount)(UINT* count) override;
  STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                           DISPID* ids) override;
  STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                    VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
};

class XProvideClassInfo : public NestedInterface<IProvideClassInfo2, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetClassInfo)(ITypeInfo** info) override;
  STDMETHOD(GetGUID)(DWORD kind, GUID* guid) override;
};

class XSpecifyPropertyPages : public NestedInterface<ISpecifyPropertyPages, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetPages)(CAUUID* pages) override;
};

class XConnectionPointContainer : public NestedInterface<IConnectionPointContainer, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints** points) override;
  STDMETHOD(FindConnectionPoint)(REFIID iid, IConnectionPoint** point) override;
};

// One outgoing interface of the control. Its own QueryInterface answers
// IUnknown and IConnectionPoint (a connection point is an object of its
// own); its references keep the control alive. Up to kMaxSinks sinks.
class ControlConnectionPoint : public IConnectionPoint {
 public:
  static const int kMaxSinks = 8;

  ControlConnectionPoint(COleControl* owner, const IID* iid, bool dispatchSinks);
  ControlConnectionPoint(const ControlConnectionPoint&) = delete;
  ControlConnectionPoint& operator=(const ControlConnectionPoint&) = delete;
  ~ControlConnectionPoint();

  const IID& GetIID() const { return *iid_; }
  void ReleaseAll();

  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(GetConnectionInterface)(IID* iid) override;
  STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer** container) override;
  STDMETHOD(Advise)(IUnknown* sink, DWORD* cookie) override;
  STDMETHOD(Unadvise)(DWORD cookie) override;
  STDMETHOD(EnumConnections)(IEnumConnections** connections) override;

 private:
  COleControl* owner_;
  const IID* iid_;
  bool dispatchSinks_;  // a dispinterface: sinks may answer only IDispatch
  IUnknown* sinks_[kMaxSinks];
};

#endif
