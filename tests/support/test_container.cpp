// The control tests' container; see test_container.h.
#include "test_container.h"

#include <oleauto.h>
#include <wchar.h>

#include <algorithm>

#include "test_support.h"

namespace {

// One container window for the whole program: Wine without a window
// manager waits two seconds for every mapped top-level window it destroys.
HWND SiteWindow() {
  static HWND window = nullptr;
  if (window == nullptr || !IsWindow(window)) window = testsupport::TestContainerWindow();
  return window;
}

// The bag's entry with that name in any case, or null.
template <class Values>
auto FindValue(Values& values, const wchar_t* name) -> decltype(&values[0]) {
  for (auto& entry : values) {
    if (_wcsicmp(entry.first.c_str(), name) == 0) return &entry;
  }
  return nullptr;
}

}  // namespace

TestSite::TestSite(bool windowless, const RECT& position)
    : windowless_(windowless), position_(position), window_(SiteWindow()) {}

TestSite::~TestSite() {
  if (activeObject_ != nullptr) activeObject_->Release();
}

bool TestSite::Called(const std::string& call) const {
  return std::find(calls_.begin(), calls_.end(), call) != calls_.end();
}

STDMETHODIMP TestSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(static_cast<IOleInPlaceSiteWindowless*>(this));
  } else if (windowless_ && (IsEqualIID(iid, IID_IOleInPlaceSiteEx) ||
                             IsEqualIID(iid, IID_IOleInPlaceSiteWindowless))) {
    *object = static_cast<IOleInPlaceSiteWindowless*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceFrame) || IsEqualIID(iid, IID_IOleInPlaceUIWindow)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP TestSite::GetMoniker(DWORD, DWORD which, IMoniker** moniker) {
  if (moniker == nullptr) return E_POINTER;
  if (which != OLEWHICHMK_CONTAINER) {
    *moniker = nullptr;
    return E_FAIL;
  }
  return CreateFileMoniker(L"C:\\pages\\start.htm", moniker);
}

STDMETHODIMP TestSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                        LPRECT position, LPRECT clip,
                                        LPOLEINPLACEFRAMEINFO info) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
      info == nullptr) {
    return E_POINTER;
  }
  Noted("GetWindowContext");
  *frame = this;
  AddRef();
  *document = nullptr;
  *position = position_;
  *clip = position_;
  info->fMDIApp = FALSE;
  info->hwndFrame = window_;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  if (noRedraw != nullptr) *noRedraw = FALSE;
  return Noted((flags & ACTIVATE_WINDOWLESS) != 0 ? "OnInPlaceActivateEx(windowless)"
                                                  : "OnInPlaceActivateEx");
}

STDMETHODIMP TestSite::CanWindowlessActivate() {
  Noted("CanWindowlessActivate");
  return windowless_ ? S_OK : S_FALSE;
}

STDMETHODIMP TestSite::GetDC(LPCRECT, DWORD, HDC* dc) {
  if (dc == nullptr) return E_POINTER;
  *dc = ::GetDC(window_);
  return *dc != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TestSite::ReleaseDC(HDC dc) {
  ::ReleaseDC(window_, dc);
  return S_OK;
}

STDMETHODIMP TestSite::InvalidateRect(LPCRECT rect, BOOL erase) {
  ::InvalidateRect(window_, rect, erase);
  return S_OK;
}

STDMETHODIMP TestSite::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result != nullptr) *result = 0;
  return S_OK;
}

STDMETHODIMP TestSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  Noted(object != nullptr ? "SetActiveObject" : "SetActiveObject(null)");
  if (object != nullptr) object->AddRef();
  if (activeObject_ != nullptr) activeObject_->Release();
  activeObject_ = object;
  return S_OK;
}

void TestPropertyBag::Set(const std::wstring& name, const std::wstring& value) {
  if (auto* entry = FindValue(values_, name.c_str())) {
    entry->second = value;
  } else {
    values_.emplace_back(name, value);
  }
}

STDMETHODIMP TestPropertyBag::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
    *object = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  if (name == nullptr || value == nullptr) return E_POINTER;
  const auto* entry = FindValue(values_, name);
  if (entry == nullptr) return E_INVALIDARG;  // what browsers' bags say for a missing PARAM
  VARTYPE wanted = value->vt;
  value->vt = VT_BSTR;
  value->bstrVal = SysAllocStringLen(entry->second.data(), (UINT)entry->second.size());
  if (wanted == VT_EMPTY || wanted == VT_BSTR) return S_OK;
  return VariantChangeType(value, value, 0, wanted);
}

STDMETHODIMP TestPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  if (name == nullptr || value == nullptr) return E_POINTER;
  VARIANT text;
  VariantInit(&text);
  HRESULT hr = VariantChangeType(&text, value, 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  Set(name, std::wstring(text.bstrVal, SysStringLen(text.bstrVal)));
  VariantClear(&text);
  return S_OK;
}

std::string OcxPath() { return testsupport::WinPathFromUnix(WEVELINK_OCX_UNIX_PATH); }
