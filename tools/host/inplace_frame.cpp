// The in-place frame and document window objects; see inplace_frame.h.
#include "inplace_frame.h"

#include "host_trace.h"

namespace {

class InPlaceFrame final : public IOleInPlaceFrame {
 public:
  explicit InPlaceFrame(HWND window) : references_(1), window_(window) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
        IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
      *object = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return (ULONG)left;
  }

  STDMETHODIMP GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

  STDMETHODIMP GetBorder(LPRECT border) override {
    Trace("frame GetBorder");
    if (border == nullptr) return E_POINTER;
    return ::GetClientRect(window_, border) ? S_OK : E_FAIL;
  }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override {
    Trace("frame RequestBorderSpace");
    return INPLACE_E_NOTOOLSPACE;
  }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override {
    Trace("frame SetBorderSpace");
    return widths == nullptr ? S_OK : OLE_E_INVALIDRECT;
  }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR name) override {
    Trace("frame SetActiveObject %s", active ? "object" : "null");
    return S_OK;
  }

  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
    Trace("frame InsertMenus");
    return S_OK;
  }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override {
    Trace("frame SetMenu");
    return S_OK;
  }
  STDMETHODIMP RemoveMenus(HMENU) override {
    Trace("frame RemoveMenus");
    return S_OK;
  }
  STDMETHODIMP SetStatusText(LPCOLESTR text) override {
    char field[512];
    TraceField(text, field, sizeof field);
    Trace("frame SetStatusText %s", field);
    return S_OK;
  }
  STDMETHODIMP EnableModeless(BOOL enable) override {
    Trace("frame EnableModeless %d", enable ? 1 : 0);
    return S_OK;
  }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~InPlaceFrame() = default;
  LONG references_;
  HWND window_;
};

}  // namespace

IOleInPlaceFrame* CreateInPlaceFrame(HWND window) {
  return new InPlaceFrame(window);
}
