// COleControl: the base of an ActiveX control that a browser-grade
// container can create, site, load from a page's PARAMs, activate in place
// (windowless or with a child window) and draw.
//
// A control derives from it, passes a ControlTypeInfo describing its type
// library, interfaces and status bits, and overrides the virtual
// operations below. The COM interfaces (control_interfaces.h) are nested
// objects that call into the control; a derived class adds interfaces of
// its own by overriding GetExtraInterface.
//
// The order a container drives it in (the status bit
// OLEMISC_SETCLIENTSITEFIRST asks for the site first):
//   SetClientSite(site)  -> OnSetClientSite()      GetClientSite() is set
//   IPersistPropertyBag::Load(bag) -> DoPropExchange(load exchange)
//     (or InitNew -> OnResetState -> DoPropExchange(reset exchange))
//   DoVerb(OLEIVERB_INPLACEACTIVATE) -> in place, windowless when both the
//     control (GetControlFlags) and the site allow it
//   IViewObject::Draw or WM_PAINT -> OnDraw(dc, bounds, invalid)
//   Close -> deactivated;  SetClientSite(nullptr) -> OnSetClientSite()
//
// Everything runs on the thread that created the control.
#ifndef WEVELINK_FRAMEWORK_OLE_CONTROL_H
#define WEVELINK_FRAMEWORK_OLE_CONTROL_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "framework/control_interfaces.h"
#include "framework/prop_exchange.h"

// The identities and status a control class hands to the framework.
struct ControlTypeInfo {
  const GUID* libid;  // type library, looked up by LoadRegTypeLib first
  WORD libMajor;
  WORD libMinor;
  const IID* dispatchIid;  // the control's dispatch interface
  const IID* eventsIid;    // its event (source) dispinterface
  DWORD miscStatus;        // OLEMISC_ bits for DVASPECT_CONTENT
  const CLSID* propertyPages;
  ULONG propertyPageCount;
};

class COleControl {
 public:
  // Bits of GetControlFlags.
  enum ControlFlags {
    // The paint DC is clipped to the control's bounds before OnDraw.
    clipPaintDC = 0x0001,
    // Activate windowless when the site supports it.
    windowlessActivate = 0x0002,
  };

  explicit COleControl(const ControlTypeInfo& typeInfo);
  COleControl(const COleControl&) = delete;
  COleControl& operator=(const COleControl&) = delete;
  virtual ~COleControl();

  // ---- Operations a control overrides ----

  // Exchanges the persistent properties. The framework's own exchanges the
  // control's extent as "_ExtentX"/"_ExtentY" (HIMETRIC).
  virtual void DoPropExchange(CPropExchange* pPX);
  // Puts the properties to their defaults: the framework's runs
  // DoPropExchange with a reset exchange.
  virtual void OnResetState();
  // Draws the control. bounds is its rectangle in dc's coordinates,
  // invalid the part that needs painting. The framework's draws nothing.
  virtual void OnDraw(HDC dc, const RECT& bounds, const RECT& invalid);
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
  // Called after the client site was set or removed (GetClientSite tells
  // which). The framework's does nothing.
  virtual void OnSetClientSite();
  // ControlFlags bits; the framework's answer is clipPaintDC.
  virtual DWORD GetControlFlags();
  // An interface of the derived class (no added reference), or null.
  virtual IUnknown* GetExtraInterface(REFIID iid);

  // ---- Services for the control ----

  // The container's client site, without an added reference; null when
  // the control is not sited.
  IOleClientSite* GetClientSite() const { return clientSite_; }
  // The control's rectangle in the client coordinates of the in-place
  // site's window; false (rect untouched) when not active in place.
  bool GetRectInContainer(RECT* rect) const;
  // The control's own window: null when windowless or not active.
  HWND GetSafeHwnd() const { return window_; }
  // The window of the in-place site: the one recorded at activation, or
  // else the one the client site's IOleInPlaceSite gives now; null when
  // there is none.
  HWND GetInPlaceSiteWindow() const;
  bool IsInPlaceActive() const { return inPlaceActive_; }
  bool IsWindowless() const { return windowless_; }
  // A modal message box owned by the control's window, or when it has none
  // (windowless, or not yet active) by the in-place site's window, or
  // unowned when there is neither. (windows.h turns the name into
  // MessageBoxA here and at every call, so callers write MessageBox.)
  int MessageBox(const char* text, const char* caption, UINT type);
  // The version of the persisted properties (CPropExchange::ExchangeVersion);
  // also remembers it for GetVersionLoaded.
  bool ExchangeVersion(CPropExchange* pPX, DWORD versionDefault, bool convert = true);
  DWORD GetVersionLoaded() const { return versionLoaded_; }
  // Asks for a repaint of the control (all of it when rect is null; rect
  // in the container's coordinates when windowless).
  void InvalidateControl(const RECT* rect);

  // ---- COM identity, used by the nested interfaces ----
  HRESULT ExternalQueryInterface(REFIID iid, void** object);
  ULONG ExternalAddRef();
  ULONG ExternalRelease();
  IUnknown* GetControllingUnknown() { return &oleObject_; }

 private:
  friend class XOleObject;
  friend class XInPlaceObject;
  friend class XInPlaceActiveObject;
  friend class XViewObject;
  friend class XPersistPropertyBag;
  friend class XPersistStreamInit;
  friend class XOleControl;
  friend class XDispatch;
  friend class XProvideClassInfo;
  friend class XSpecifyPropertyPages;
  friend class XConnectionPointContainer;
  friend class ControlConnectionPoint;
  friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);

  IUnknown* FindInterface(REFIID iid);

  // Site and lifetime (ole_control.cpp).
  void ChangeClientSite(IOleClientSite* site);
  void CloseObject();
  // In-place activation (inplace_activation.cpp).
  HRESULT ExecuteVerb(LONG verb, IOleClientSite* activeSite, HWND parent);
  HRESULT ActivateInPlace(bool uiActivate, IOleClientSite* site);
  HRESULT BeginInPlace(IOleClientSite* site);
  void ActivateUI();
  void DeactivateUI();
  void DeactivateInPlace();
  void MoveInPlace(const RECT& position);
  HRESULT ShowPropertyPages(HWND parent);
  // Drawing (view_object.cpp).
  void DrawContent(HDC dc, const RECT& bounds);
  // Persistence (persist.cpp).
  HRESULT LoadFromBag(IPropertyBag* bag, IErrorLog* errorLog);
  HRESULT SaveToBag(IPropertyBag* bag);
  HRESULT LoadFromStream(IStream* stream);
  HRESULT SaveToStream(IStream* stream);
  HRESULT ResetState();
  // Type information (type_info.cpp).
  HRESULT GetTypeInfoOfGuid(const GUID& guid, LCID locale, ITypeInfo** info);

  const ControlTypeInfo& typeInfo_;
  LONG references_;

  IOleClientSite* clientSite_;
  IOleAdviseHolder* adviseHolder_;
  IAdviseSink* viewSink_;
  DWORD viewSinkAspects_;
  DWORD viewSinkFlags_;
  SIZEL extent_;  // HIMETRIC
  DWORD versionLoaded_;
  LONG eventsFrozen_;

  // In-place state.
  IOleInPlaceSite* inPlaceSite_;
  IOleInPlaceSiteEx* inPlaceSiteEx_;           // when the site has it
  IOleInPlaceSiteWindowless* windowlessSite_;  // only while windowless
  IOleInPlaceFrame* frame_;
  IOleInPlaceUIWindow* uiWindow_;
  bool inPlaceActive_;
  bool uiActive_;
  bool windowless_;
  HWND siteWindow_;
  HWND window_;
  RECT position_;

  XOleObject oleObject_;
  XInPlaceObject inPlaceObject_;
  XInPlaceActiveObject inPlaceActiveObject_;
  XViewObject viewObject_;
  XPersistPropertyBag persistPropertyBag_;
  XPersistStreamInit persistStreamInit_;
  XOleControl oleControl_;
  XDispatch dispatch_;
  XProvideClassInfo provideClassInfo_;
  XSpecifyPropertyPages specifyPropertyPages_;
  XConnectionPointContainer connectionPointContainer_;
  ControlConnectionPoint eventsPoint_;
  ControlConnectionPoint propertyNotifyPoint_;
};

#endif
