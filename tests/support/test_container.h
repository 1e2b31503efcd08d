// An in-process container: one object is the client site, the in-place site (windowless or not) and
// frame over one shared window, and records the calls the control made; and a property bag.
#ifndef WEVELINK_TESTS_CONTROL_TEST_CONTAINER_H
#define WEVELINK_TESTS_CONTROL_TEST_CONTAINER_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

// An interface pointer the test holds, released at the end of its scope.
template <class T>
struct Held {
  explicit Held(T* p = nullptr) : p(p) {}
  ~Held() {
    if (p != nullptr) p->Release();
  }
  T* operator->() { return p; }
  T** out() { return &p; }
  T* p;
};

class TestSite : public IOleClientSite, public IOleInPlaceSiteWindowless, public IOleInPlaceFrame {
 public:
  // windowless: it offers IOleInPlaceSiteWindowless and Ex, and allows it.
  TestSite(bool windowless, const RECT& position);
  virtual ~TestSite();

  HWND Window() const { return window_; }
  bool Called(const std::string& call) const;
  IOleInPlaceActiveObject* ActiveObject() const { return activeObject_; }

  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override { return (ULONG)InterlockedIncrement(&references_); }
  // Owned by the test (on its stack); the count only has to stay sane.
  STDMETHOD_(ULONG, Release)() override { return (ULONG)InterlockedDecrement(&references_); }
  // IOleClientSite
  STDMETHOD(SaveObject)() override { return E_NOTIMPL; }
  STDMETHOD(GetMoniker)(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHOD(GetContainer)(IOleContainer** container) override;
  STDMETHOD(ShowObject)() override { return S_OK; }
  STDMETHOD(OnShowWindow)(BOOL) override { return S_OK; }
  STDMETHOD(RequestNewObjectLayout)() override { return E_NOTIMPL; }
  // IOleWindow (shared by the site and the frame)
  STDMETHOD(GetWindow)(HWND* window) override;
  STDMETHOD(ContextSensitiveHelp)(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHOD(CanInPlaceActivate)() override { return Noted("CanInPlaceActivate"); }
  STDMETHOD(OnInPlaceActivate)() override { return Noted("OnInPlaceActivate"); }
  STDMETHOD(OnUIActivate)() override { return Noted("OnUIActivate"); }
  STDMETHOD(GetWindowContext)(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                              LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHOD(Scroll)(SIZE) override { return E_NOTIMPL; }
  STDMETHOD(OnUIDeactivate)(BOOL) override { return Noted("OnUIDeactivate"); }
  STDMETHOD(OnInPlaceDeactivate)() override { return Noted("OnInPlaceDeactivate"); }
  STDMETHOD(DiscardUndoState)() override { return E_NOTIMPL; }
  STDMETHOD(DeactivateAndUndo)() override { return E_NOTIMPL; }
  STDMETHOD(OnPosRectChange)(LPCRECT) override { return S_OK; }
  // IOleInPlaceSiteEx
  STDMETHOD(OnInPlaceActivateEx)(BOOL* noRedraw, DWORD flags) override;
  STDMETHOD(OnInPlaceDeactivateEx)(BOOL) override { return Noted("OnInPlaceDeactivateEx"); }
  STDMETHOD(RequestUIActivate)() override { return S_OK; }
  // IOleInPlaceSiteWindowless
  STDMETHOD(CanWindowlessActivate)() override;
  STDMETHOD(GetCapture)() override { return S_FALSE; }
  STDMETHOD(SetCapture)(BOOL) override { return S_OK; }
  STDMETHOD(GetFocus)() override { return S_FALSE; }
  STDMETHOD(SetFocus)(BOOL focus) override { return Noted(focus ? "SetFocus(1)" : "SetFocus(0)"); }
  STDMETHOD(GetDC)(LPCRECT rect, DWORD flags, HDC* dc) override;
  STDMETHOD(ReleaseDC)(HDC dc) override;
  STDMETHOD(InvalidateRect)(LPCRECT rect, BOOL erase) override;
  STDMETHOD(InvalidateRgn)(HRGN, BOOL) override { return S_OK; }
  STDMETHOD(ScrollRect)(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
  STDMETHOD(AdjustRect)(LPRECT) override { return S_OK; }
  STDMETHOD(OnDefWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) override;
  // IOleInPlaceUIWindow, IOleInPlaceFrame
  STDMETHOD(GetBorder)(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  STDMETHOD(InsertMenus)(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHOD(SetMenu)(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHOD(RemoveMenus)(HMENU) override { return E_NOTIMPL; }
  STDMETHOD(SetStatusText)(LPCOLESTR) override { return S_OK; }
  STDMETHOD(EnableModeless)(BOOL) override { return S_OK; }
  STDMETHOD(TranslateAccelerator)(LPMSG, WORD) override { return S_FALSE; }

 private:
  HRESULT Noted(const char* call) {
    calls_.push_back(call);
    return S_OK;
  }
  LONG references_ = 1;
  bool windowless_;
  RECT position_;
  HWND window_;
  IOleInPlaceActiveObject* activeObject_ = nullptr;
  std::vector<std::string> calls_;
};

// Text values, as a page's PARAMs; names match in any case.
class TestPropertyBag : public IPropertyBag {
 public:
  virtual ~TestPropertyBag() {}

  void Set(const std::wstring& name, const std::wstring& value);

  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override { return (ULONG)InterlockedIncrement(&references_); }
  STDMETHOD_(ULONG, Release)() override { return (ULONG)InterlockedDecrement(&references_); }
  STDMETHOD(Read)(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  STDMETHOD(Write)(LPCOLESTR name, VARIANT* value) override;

 private:
  LONG references_ = 1;
  std::vector<std::pair<std::wstring, std::wstring>> values_;
};

// OLE for the test's thread, left as found.
class ScopedOle {
 public:
  ScopedOle() : hr_(OleInitialize(nullptr)) {}
  ~ScopedOle() {
    if (SUCCEEDED(hr_)) OleUninitialize();
  }
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

// The Linux build path of WEVELINK.OCX mapped into the prefix.
std::string OcxPath();

#endif
