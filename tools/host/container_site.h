// The client site that the container gives each control: the control's
// way back into the page. One COM object answers IOleClientSite,
// IOleInPlaceSite(Ex/Windowless), IOleControlSite, IDispatch (ambient
// properties) and IServiceProvider; every call the control makes is traced
// as "site <Method> ...". The site keeps what it learns about its control
// (in-place active, windowless, rectangle) for the page to read, so the
// page never depends on the control calling in at the right moment.
#ifndef WEVELINK_TOOLS_HOST_CONTAINER_SITE_H
#define WEVELINK_TOOLS_HOST_CONTAINER_SITE_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <servprov.h>

class ContainerSite final : public IOleClientSite,
                      public IOleInPlaceSiteWindowless,
                      public IOleControlSite,
                      public IDispatch,
                      public IServiceProvider {
 public:
  // A new site with one reference, owned by the caller. moniker (the
  // page's address) is held by the site; it may be null.
  static ContainerSite* Create(HWND frame, HWND container, const RECT& rect, IMoniker* moniker);

  // How the browser being played sites its controls: without a windowless
  // site (--windowed), and with no window to give until the page is laid
  // out (--late-window; WindowKnown ends it for this site).
  static void PlayBrowser(bool windowed, bool lateWindow);
  void WindowKnown() { windowKnown_ = true; }
  // The page scrolled: the object is at rect now.
  void MoveTo(const RECT& rect) { rect_ = rect; }

  // What the control told the site.
  bool InPlaceActive() const { return inPlaceActive_; }
  bool Windowless() const { return windowless_; }
  RECT Rect() const { return rect_; }
  // The page's current reference count on the site is the caller's own
  // reference plus whatever the control still holds.
  ULONG References() const { return references_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;

  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL noRedraw) override;
  STDMETHODIMP RequestUIActivate() override;

  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override;
  STDMETHODIMP GetCapture() override;
  STDMETHODIMP SetCapture(BOOL capture) override;
  STDMETHODIMP GetFocus() override;
  STDMETHODIMP SetFocus(BOOL focus) override;
  STDMETHODIMP GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
  STDMETHODIMP ReleaseDC(HDC dc) override;
  STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL erase) override;
  STDMETHODIMP InvalidateRgn(HRGN region, BOOL erase) override;
  STDMETHODIMP ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
  STDMETHODIMP AdjustRect(LPRECT rect) override;
  STDMETHODIMP OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result) override;

  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL lock) override;
  STDMETHODIMP GetExtendedControl(IDispatch** control) override;
  STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  STDMETHODIMP TranslateAccelerator(MSG* message, DWORD modifiers) override;
  STDMETHODIMP OnFocus(BOOL gotFocus) override;
  STDMETHODIMP ShowPropertyFrame() override;

  // IDispatch: the ambient properties
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IServiceProvider
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;

 private:
  ContainerSite(HWND frame, HWND container, const RECT& rect, IMoniker* moniker);
  ~ContainerSite();

  LONG references_;
  HWND frame_;
  HWND container_;
  RECT rect_;
  IMoniker* moniker_;
  bool inPlaceActive_;
  bool windowless_;
  bool windowKnown_ = false;
  bool uiActive_;
  bool capture_;
  bool focus_;
};

#endif
