// A small in-process container for the control tests: a client site that
// is also the in-place site (windowless-capable or not) and the in-place
// frame, over a real top-level window (one for the whole program, shared
// by every site); a property bag; and a record of the
// calls the control made, in order, so that tests can check the
// activation handshake.
#ifndef WEVELINK_TESTS_CONTROL_TEST_CONTAINER_H
#define WEVELINK_TESTS_CONTROL_TEST_CONTAINER_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

class TestSite : public IOleClientSite, public IOleInPlaceSiteWindowless, public IOleInPlaceFrame {
 public:
  // windowless: the site offers IOleInPlaceSiteWindowless (and Ex) and
  // allows windowless activation; otherwise it is a plain IOleInPlaceSite.
  TestSite(bool windowless, const RECT& position);
  virtual ~TestSite();

  HWND Window() const { return window_; }
  const std::vector<std::string>& Calls() const { return calls_; }
  bool Called(const std::string& call) const;
  void ClearCalls() { calls_.clear(); }
  IOleInPlaceActiveObject* ActiveObject() const { return activeObject_; }

  // IUnknown
  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  // IOleClientSite
  STDMETHOD(SaveObject)() override;
  STDMETHOD(GetMoniker)(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHOD(GetContainer)(IOleContainer** container) override;
  STDMETHOD(ShowObject)() override;
  STDMETHOD(OnShowWindow)(BOOL show) override;
  STDMETHOD(RequestNewObjectLayout)() override;
  // IOleWindow (shared by the site and the frame)
  STDMETHOD(GetWindow)(HWND* window) override;
  STDMETHOD(ContextSensitiveHelp)(BOOL enter) override;
  // IOleInPlaceSite
  STDMETHOD(CanInPlaceActivate)() override;
  STDMETHOD(OnInPlaceActivate)() override;
  STDMETHOD(OnUIActivate)() override;
  STDMETHOD(GetWindowContext)(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                              LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHOD(Scroll)(SIZE extent) override;
  STDMETHOD(OnUIDeactivate)(BOOL undoable) override;
  STDMETHOD(OnInPlaceDeactivate)() override;
  STDMETHOD(DiscardUndoState)() override;
  STDMETHOD(DeactivateAndUndo)() override;
  STDMETHOD(OnPosRectChange)(LPCRECT position) override;
  // IOleInPlaceSiteEx
  STDMETHOD(OnInPlaceActivateEx)(BOOL* noRedraw, DWORD flags) override;
  STDMETHOD(OnInPlaceDeactivateEx)(BOOL noRedraw) override;
  STDMETHOD(RequestUIActivate)() override;
  // IOleInPlaceSiteWindowless
  STDMETHOD(CanWindowlessActivate)() override;
  STDMETHOD(GetCapture)() override;
  STDMETHOD(SetCapture)(BOOL capture) override;
  STDMETHOD(GetFocus)() override;
  STDMETHOD(SetFocus)(BOOL focus) override;
  STDMETHOD(GetDC)(LPCRECT rect, DWORD flags, HDC* dc) override;
  STDMETHOD(ReleaseDC)(HDC dc) override;
  STDMETHOD(InvalidateRect)(LPCRECT rect, BOOL erase) override;
  STDMETHOD(InvalidateRgn)(HRGN region, BOOL erase) override;
  STDMETHOD(ScrollRect)(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
  STDMETHOD(AdjustRect)(LPRECT rect) override;
  STDMETHOD(OnDefWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) override;
  // IOleInPlaceUIWindow, IOleInPlaceFrame
  STDMETHOD(GetBorder)(LPRECT border) override;
  STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS widths) override;
  STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS widths) override;
  STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  STDMETHOD(InsertMenus)(HMENU menu, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHOD(SetMenu)(HMENU menu, HOLEMENU shared, HWND activeObject) override;
  STDMETHOD(RemoveMenus)(HMENU menu) override;
  STDMETHOD(SetStatusText)(LPCOLESTR text) override;
  STDMETHOD(EnableModeless)(BOOL enable) override;
  STDMETHOD(TranslateAccelerator)(LPMSG msg, WORD id) override;

 private:
  LONG references_;
  bool windowless_;
  RECT position_;
  HWND window_;
  IOleInPlaceActiveObject* activeObject_;
  std::vector<std::string> calls_;
};

// A property bag of text values, as a page's PARAM elements are; names
// match in any case. Records the names the control asked for.
class TestPropertyBag : public IPropertyBag {
 public:
  TestPropertyBag() : references_(1) {}
  virtual ~TestPropertyBag() {}

  void Set(const std::wstring& name, const std::wstring& value);
  // True and the value when the bag holds name.
  bool Get(const std::wstring& name, std::wstring* value) const;
  const std::vector<std::wstring>& Asked() const { return asked_; }

  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(Read)(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  STDMETHOD(Write)(LPCOLESTR name, VARIANT* value) override;

 private:
  LONG references_;
  std::vector<std::pair<std::wstring, std::wstring>> values_;
  std::vector<std::wstring> asked_;
};

// COM for the test's thread, initialised once per test and left as found.
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
