// The client site of one control; see container_site.h.
#include "container_site.h"

#include <olectl.h>

#include "base/portable/bounded_text.h"
#include "host_trace.h"
#include "inplace_frame.h"

namespace {

// "l,t,r,b" for trace lines.
struct RectField {
  char text[64];
  explicit RectField(const RECT* rect) {
    if (rect == nullptr) {
      CopyText(text, sizeof text, "null");
    } else {
      FormatText(text, sizeof text, "%ld,%ld,%ld,%ld", rect->left, rect->top, rect->right,
                 rect->bottom);
    }
  }
};

}  // namespace

ContainerSite* ContainerSite::Create(HWND frame, HWND container, const RECT& rect,
                                     IMoniker* moniker) {
  return new ContainerSite(frame, container, rect, moniker);
}

ContainerSite::ContainerSite(HWND frame, HWND container, const RECT& rect, IMoniker* moniker)
    : references_(1),
      frame_(frame),
      container_(container),
      rect_(rect),
      moniker_(moniker),
      inPlaceActive_(false),
      windowless_(false),
      uiActive_(false),
      capture_(false),
      focus_(false) {
  if (moniker_) moniker_->AddRef();
}

ContainerSite::~ContainerSite() {
  if (moniker_) moniker_->Release();
}

// ---- IUnknown --------------------------------------------------------------

bool g_windowedSites = false;
bool g_lateWindow = false;

void ContainerSite::PlayBrowser(bool windowed, bool lateWindow) {
  g_windowedSites = windowed;
  g_lateWindow = lateWindow;
}

STDMETHODIMP ContainerSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite) ||
             IsEqualIID(iid, IID_IOleInPlaceSiteEx) ||
             (IsEqualIID(iid, IID_IOleInPlaceSiteWindowless) && !g_windowedSites)) {
    *object = static_cast<IOleInPlaceSiteWindowless*>(this);
  } else if (IsEqualIID(iid, IID_IOleControlSite)) {
    *object = static_cast<IOleControlSite*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(iid, IID_IServiceProvider)) {
    *object = static_cast<IServiceProvider*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ContainerSite::AddRef() {
  return (ULONG)InterlockedIncrement(&references_);
}

STDMETHODIMP_(ULONG) ContainerSite::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return (ULONG)left;
}

// ---- IOleClientSite --------------------------------------------------------

STDMETHODIMP ContainerSite::SaveObject() {
  Trace("site SaveObject");
  return S_OK;
}

// The container's moniker is the page's address; the object has no name of
// its own inside the page.
STDMETHODIMP ContainerSite::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) {
  HRESULT hr;
  if (moniker == nullptr) {
    hr = E_POINTER;
  } else {
    *moniker = nullptr;
    if (which == OLEWHICHMK_CONTAINER && moniker_ != nullptr) {
      *moniker = moniker_;
      moniker_->AddRef();
      hr = S_OK;
    } else {
      hr = E_FAIL;
    }
  }
  Trace("site GetMoniker assign=%lu which=%lu hr=0x%08lX", assign, which, (unsigned long)hr);
  return hr;
}

STDMETHODIMP ContainerSite::GetContainer(IOleContainer** container) {
  Trace("site GetContainer");
  if (container == nullptr) return E_POINTER;
  *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ContainerSite::ShowObject() {
  Trace("site ShowObject");
  return S_OK;
}

STDMETHODIMP ContainerSite::OnShowWindow(BOOL show) {
  Trace("site OnShowWindow show=%d", show ? 1 : 0);
  return S_OK;
}

STDMETHODIMP ContainerSite::RequestNewObjectLayout() {
  Trace("site RequestNewObjectLayout");
  return E_NOTIMPL;
}

// ---- IOleWindow ------------------------------------------------------------

STDMETHODIMP ContainerSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  if (g_lateWindow && !windowKnown_) {
    Trace("site GetWindow hwnd=0x0 (not laid out)");
    *window = nullptr;
    return E_FAIL;
  }
  Trace("site GetWindow hwnd=0x%lX", (unsigned long)(ULONG_PTR)container_);
  *window = container_;
  return S_OK;
}

STDMETHODIMP ContainerSite::ContextSensitiveHelp(BOOL enter) {
  Trace("site ContextSensitiveHelp");
  return S_OK;
}

// ---- IOleInPlaceSite -------------------------------------------------------

STDMETHODIMP ContainerSite::CanInPlaceActivate() {
  Trace("site CanInPlaceActivate");
  return S_OK;
}

STDMETHODIMP ContainerSite::OnInPlaceActivate() {
  Trace("site OnInPlaceActivate");
  inPlaceActive_ = true;
  windowless_ = false;
  return S_OK;
}

STDMETHODIMP ContainerSite::OnUIActivate() {
  Trace("site OnUIActivate");
  uiActive_ = true;
  return S_OK;
}

STDMETHODIMP ContainerSite::GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  RectField rect(&rect_);
  Trace("site GetWindowContext pos=%s clip=%s", rect.text, rect.text);
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr) {
    return E_POINTER;
  }
  *frame = CreateInPlaceFrame(frame_);
  *document = CreateInPlaceFrame(container_);
  *position = rect_;
  *clip = rect_;
  if (info != nullptr) {
    info->fMDIApp = FALSE;
    info->hwndFrame = frame_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP ContainerSite::Scroll(SIZE extent) {
  Trace("site Scroll");
  return E_NOTIMPL;
}

STDMETHODIMP ContainerSite::OnUIDeactivate(BOOL undoable) {
  Trace("site OnUIDeactivate");
  uiActive_ = false;
  return S_OK;
}

STDMETHODIMP ContainerSite::OnInPlaceDeactivate() {
  Trace("site OnInPlaceDeactivate");
  inPlaceActive_ = false;
  windowless_ = false;
  return S_OK;
}

STDMETHODIMP ContainerSite::DiscardUndoState() {
  Trace("site DiscardUndoState");
  return S_OK;
}

STDMETHODIMP ContainerSite::DeactivateAndUndo() {
  Trace("site DeactivateAndUndo");
  return S_OK;
}

STDMETHODIMP ContainerSite::OnPosRectChange(LPCRECT position) {
  RectField rect(position);
  Trace("site OnPosRectChange rect=%s", rect.text);
  if (position == nullptr) return E_POINTER;
  // The page lays its objects out from the OBJECT tags and keeps them there.
  return S_OK;
}

// ---- IOleInPlaceSiteEx -----------------------------------------------------

STDMETHODIMP ContainerSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  Trace("site OnInPlaceActivateEx flags=0x%lX", flags);
  if (noRedraw != nullptr) *noRedraw = FALSE;
  inPlaceActive_ = true;
  windowless_ = (flags & ACTIVATE_WINDOWLESS) != 0;
  return S_OK;
}

STDMETHODIMP ContainerSite::OnInPlaceDeactivateEx(BOOL noRedraw) {
  Trace("site OnInPlaceDeactivateEx");
  inPlaceActive_ = false;
  windowless_ = false;
  return S_OK;
}

STDMETHODIMP ContainerSite::RequestUIActivate() {
  Trace("site RequestUIActivate");
  return S_OK;
}

// ---- IOleInPlaceSiteWindowless ---------------------------------------------

STDMETHODIMP ContainerSite::CanWindowlessActivate() {
  Trace("site CanWindowlessActivate");
  return S_OK;
}

STDMETHODIMP ContainerSite::GetCapture() {
  return capture_ ? S_OK : S_FALSE;
}

STDMETHODIMP ContainerSite::SetCapture(BOOL capture) {
  Trace("site SetCapture capture=%d", capture ? 1 : 0);
  capture_ = capture != FALSE;
  if (capture_) {
    ::SetCapture(container_);
  } else if (::GetCapture() == container_) {
    ::ReleaseCapture();
  }
  return S_OK;
}

STDMETHODIMP ContainerSite::GetFocus() {
  return focus_ ? S_OK : S_FALSE;
}

STDMETHODIMP ContainerSite::SetFocus(BOOL focus) {
  Trace("site SetFocus focus=%d", focus ? 1 : 0);
  focus_ = focus != FALSE;
  if (focus_) ::SetFocus(container_);
  return S_OK;
}

// A DC of the container window clipped to the object (or to rect).
STDMETHODIMP ContainerSite::GetDC(LPCRECT rect, DWORD flags, HDC* dc) {
  Trace("site GetDC flags=0x%lX", flags);
  if (dc == nullptr) return E_POINTER;
  *dc = ::GetDC(container_);
  if (*dc == nullptr) return E_FAIL;
  const RECT& clip = rect ? *rect : rect_;
  IntersectClipRect(*dc, clip.left, clip.top, clip.right, clip.bottom);
  return S_OK;
}

STDMETHODIMP ContainerSite::ReleaseDC(HDC dc) {
  Trace("site ReleaseDC");
  return ::ReleaseDC(container_, dc) ? S_OK : E_FAIL;
}

STDMETHODIMP ContainerSite::InvalidateRect(LPCRECT rect, BOOL erase) {
  RectField field(rect);
  Trace("site InvalidateRect rect=%s", field.text);
  ::InvalidateRect(container_, rect ? rect : &rect_, erase);
  return S_OK;
}

STDMETHODIMP ContainerSite::InvalidateRgn(HRGN region, BOOL erase) {
  Trace("site InvalidateRgn");
  if (region != nullptr) {
    ::InvalidateRgn(container_, region, erase);
  } else {
    ::InvalidateRect(container_, &rect_, erase);
  }
  return S_OK;
}

STDMETHODIMP ContainerSite::ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) {
  Trace("site ScrollRect");
  ::InvalidateRect(container_, &rect_, FALSE);
  return S_OK;
}

STDMETHODIMP ContainerSite::AdjustRect(LPRECT rect) {
  Trace("site AdjustRect");
  return rect == nullptr ? E_INVALIDARG : S_OK;
}

STDMETHODIMP ContainerSite::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                               LRESULT* result) {
  Trace("site OnDefWindowMessage msg=0x%X", message);
  if (result == nullptr) return E_POINTER;
  *result = DefWindowProcW(container_, message, wParam, lParam);
  return S_OK;
}

// ---- IOleControlSite -------------------------------------------------------

STDMETHODIMP ContainerSite::OnControlInfoChanged() {
  Trace("site OnControlInfoChanged");
  return S_OK;
}

STDMETHODIMP ContainerSite::LockInPlaceActive(BOOL lock) {
  Trace("site LockInPlaceActive lock=%d", lock ? 1 : 0);
  return S_OK;
}

STDMETHODIMP ContainerSite::GetExtendedControl(IDispatch** control) {
  Trace("site GetExtendedControl");
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  return E_NOTIMPL;
}

// HIMETRIC and container pixels at the screen's resolution.
STDMETHODIMP ContainerSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
  Trace("site TransformCoords flags=0x%lX", flags);
  if (himetric == nullptr || container == nullptr) return E_POINTER;
  HDC screen = ::GetDC(nullptr);
  int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container->x = (float)himetric->x * dpiX / 2540.0f;
    container->y = (float)himetric->y * dpiY / 2540.0f;
  } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
    himetric->x = (LONG)(container->x * 2540.0f / dpiX + 0.5f);
    himetric->y = (LONG)(container->y * 2540.0f / dpiY + 0.5f);
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

STDMETHODIMP ContainerSite::TranslateAccelerator(MSG* message, DWORD modifiers) {
  return S_FALSE;
}

STDMETHODIMP ContainerSite::OnFocus(BOOL gotFocus) {
  Trace("site OnFocus focus=%d", gotFocus ? 1 : 0);
  return S_OK;
}

STDMETHODIMP ContainerSite::ShowPropertyFrame() {
  Trace("site ShowPropertyFrame");
  return E_NOTIMPL;
}

// ---- IDispatch: ambient properties -----------------------------------------

STDMETHODIMP ContainerSite::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP ContainerSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ContainerSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; ids != nullptr && i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

// The ambients a browser page gives: user mode, not UI-dead, no hatching
// or grab handles, the user's locale; anything else is not a member.
STDMETHODIMP ContainerSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) {
  HRESULT hr = S_OK;
  VARIANT value;
  VariantInit(&value);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      value.vt = VT_BOOL;
      value.boolVal = VARIANT_TRUE;
      break;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      value.vt = VT_BOOL;
      value.boolVal = VARIANT_FALSE;
      break;
    case DISPID_AMBIENT_LOCALEID:
      value.vt = VT_I4;
      value.lVal = (LONG)GetUserDefaultLCID();
      break;
    default:
      hr = DISP_E_MEMBERNOTFOUND;
      break;
  }
  if (SUCCEEDED(hr) && !(flags & DISPATCH_PROPERTYGET)) hr = DISP_E_MEMBERNOTFOUND;
  Trace("site ambient %ld hr=0x%08lX", (long)id, (unsigned long)hr);
  if (SUCCEEDED(hr) && result != nullptr) *result = value;
  return hr;
}

// ---- IServiceProvider ------------------------------------------------------

STDMETHODIMP ContainerSite::QueryService(REFGUID service, REFIID iid, void** object) {
  wchar_t name[64] = L"";
  StringFromGUID2(service, name, ARRAYSIZE(name));
  char field[80];
  TraceField(name, field, sizeof field);
  Trace("site QueryService %s", field);
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return E_NOINTERFACE;
}
