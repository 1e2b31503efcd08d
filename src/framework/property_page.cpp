// See property_page.h. The page's size for GetPageInfo is measured by the
// dialog manager itself: the template is created hidden once (as a child
// of the desktop when the page is not active), so the dialog units of its
// font are converted exactly as when it is shown.
#include "framework/property_page.h"

#include <string.h>

#include "framework/com_object.h"
#include "framework/module_state.h"

namespace {

const int kCaptionCapacity = 128;

INT_PTR CALLBACK PageDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  // Nothing to edit: the dialog manager does everything else.
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

HINSTANCE ResourceInstance() {
  HINSTANCE instance = GetModuleInstance();
  return instance != nullptr ? instance : GetModuleHandleA(nullptr);
}

}  // namespace

COlePropertyPage::COlePropertyPage(UINT dialogId, UINT captionId)
    : dialogId_(dialogId),
      captionId_(captionId),
      references_(1),
      site_(nullptr),
      dialog_(nullptr),
      objectCount_(0) {
  for (IUnknown*& object : objects_) object = nullptr;
  AddModuleObject();
}

COlePropertyPage::~COlePropertyPage() {
  if (dialog_ != nullptr) DestroyWindow(dialog_);
  ReleaseObjects();
  ReleaseInterface(&site_);
  ReleaseModuleObject();
}

HRESULT COlePropertyPage::ExternalQueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage)) {
    *object = static_cast<IPropertyPage*>(this);
    ExternalAddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG COlePropertyPage::ExternalAddRef() { return (ULONG)InterlockedIncrement(&references_); }

ULONG COlePropertyPage::ExternalRelease() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return (ULONG)left;
}

STDMETHODIMP COlePropertyPage::QueryInterface(REFIID iid, void** object) {
  return ExternalQueryInterface(iid, object);
}

STDMETHODIMP_(ULONG) COlePropertyPage::AddRef() { return ExternalAddRef(); }

STDMETHODIMP_(ULONG) COlePropertyPage::Release() { return ExternalRelease(); }

HWND COlePropertyPage::CreatePageDialog(HWND parent) {
  return CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(dialogId_), parent,
                            PageDialogProc, (LPARAM)this);
}

bool COlePropertyPage::MeasureDialog(SIZE* size) {
  HWND dialog = dialog_;
  bool temporary = dialog == nullptr;
  if (temporary) dialog = CreatePageDialog(GetDesktopWindow());
  if (dialog == nullptr) return false;
  RECT rect;
  bool measured = GetWindowRect(dialog, &rect) != FALSE;
  if (measured) {
    size->cx = rect.right - rect.left;
    size->cy = rect.bottom - rect.top;
  }
  if (temporary) DestroyWindow(dialog);
  return measured;
}

void COlePropertyPage::ReleaseObjects() {
  for (ULONG i = 0; i < objectCount_; ++i) ReleaseInterface(&objects_[i]);
  objectCount_ = 0;
}

STDMETHODIMP COlePropertyPage::SetPageSite(IPropertyPageSite* site) {
  AssignInterface(&site_, site);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
  if (rect == nullptr) return E_POINTER;
  if (dialog_ != nullptr) return E_UNEXPECTED;
  dialog_ = CreatePageDialog(parent);
  if (dialog_ == nullptr) return E_FAIL;
  MoveWindow(dialog_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             FALSE);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::Deactivate() {
  if (dialog_ == nullptr) return E_UNEXPECTED;
  HWND dialog = dialog_;
  dialog_ = nullptr;
  DestroyWindow(dialog);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::GetPageInfo(PROPPAGEINFO* info) {
  if (info == nullptr) return E_POINTER;
  char caption[kCaptionCapacity];
  WCHAR wideCaption[kCaptionCapacity];
  SIZE size = {0, 0};
  if (LoadStringA(ResourceInstance(), captionId_, caption, kCaptionCapacity) <= 0 ||
      MultiByteToWideChar(CP_ACP, 0, caption, -1, wideCaption, kCaptionCapacity) == 0 ||
      !MeasureDialog(&size)) {
    return E_FAIL;
  }
  size_t bytes = (size_t)(lstrlenW(wideCaption) + 1) * sizeof(WCHAR);
  LPOLESTR title = (LPOLESTR)CoTaskMemAlloc(bytes);
  if (title == nullptr) return E_OUTOFMEMORY;
  memcpy(title, wideCaption, bytes);
  info->cb = sizeof *info;
  info->pszTitle = title;
  info->size = size;
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  return S_OK;
}

STDMETHODIMP COlePropertyPage::SetObjects(ULONG count, IUnknown** objects) {
  if (count > 0 && objects == nullptr) return E_POINTER;
  if (count > kMaxObjects) return E_OUTOFMEMORY;
  ReleaseObjects();
  for (ULONG i = 0; i < count; ++i) {
    objects_[i] = objects[i];
    if (objects_[i] != nullptr) objects_[i]->AddRef();
  }
  objectCount_ = count;
  OnObjectsChanged();
  return S_OK;
}

STDMETHODIMP COlePropertyPage::Show(UINT command) {
  if (dialog_ == nullptr) return E_UNEXPECTED;
  ShowWindow(dialog_, (int)command);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::Move(LPCRECT rect) {
  if (rect == nullptr) return E_POINTER;
  if (dialog_ == nullptr) return E_UNEXPECTED;
  MoveWindow(dialog_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             TRUE);
  return S_OK;
}

STDMETHODIMP COlePropertyPage::IsPageDirty() { return S_FALSE; }

STDMETHODIMP COlePropertyPage::Apply() { return S_OK; }

STDMETHODIMP COlePropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP COlePropertyPage::TranslateAccelerator(MSG* msg) {
  if (msg == nullptr) return E_POINTER;
  return (dialog_ != nullptr && IsDialogMessageA(dialog_, msg)) ? S_OK : S_FALSE;
}
