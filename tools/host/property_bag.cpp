// The PARAM property bag and its error log; see property_bag.h.
#include "property_bag.h"

#include "host_trace.h"

namespace {

// A BSTR of UTF-8 text; null when memory runs out.
BSTR AllocUtf8String(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 0) return SysAllocString(L"");
  BSTR result = SysAllocStringLen(nullptr, (UINT)(length - 1));
  if (result != nullptr) MultiByteToWideChar(CP_UTF8, 0, text, -1, result, length);
  return result;
}

class PageBag final : public IPropertyBag {
 public:
  PageBag() : references_(1), count_(0) {}

  bool Fill(const PageObjects* objects, int index) {
    for (int i = 0; i < objects->paramCount && count_ < kMaxPageParams; ++i) {
      const PageParam& param = objects->params[i];
      if (param.object != index) continue;
      names_[count_] = AllocUtf8String(PageText(objects, param.name));
      values_[count_] = AllocUtf8String(PageText(objects, param.value));
      ++count_;
      if (names_[count_ - 1] == nullptr || values_[count_ - 1] == nullptr) return false;
    }
    return true;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return (ULONG)left;
  }

  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override {
    VARTYPE asked = value ? value->vt : (VARTYPE)VT_EMPTY;
    HRESULT hr = ReadValue(name, value, log);
    char field[256];
    TraceField(name, field, sizeof field);
    Trace("bag Read %s vt=%u hr=0x%08lX", field, (unsigned)asked, (unsigned long)hr);
    return hr;
  }

  STDMETHODIMP Write(LPCOLESTR name, VARIANT*) override {
    char field[256];
    TraceField(name, field, sizeof field);
    Trace("bag Write %s", field);
    return E_NOTIMPL;  // a page is read-only
  }

 private:
  ~PageBag() {
    for (int i = 0; i < count_; ++i) {
      SysFreeString(names_[i]);
      SysFreeString(values_[i]);
    }
  }

  int Find(LPCOLESTR name) const {
    for (int i = 0; i < count_; ++i) {
      if (names_[i] && CompareStringOrdinal(names_[i], -1, name, -1, TRUE) == CSTR_EQUAL) {
        return i;
      }
    }
    return -1;
  }

  HRESULT ReadValue(LPCOLESTR name, VARIANT* value, IErrorLog* log) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    int index = Find(name);
    if (index < 0) return E_INVALIDARG;
    VARTYPE asked = value->vt;
    if (asked == VT_EMPTY || asked == VT_BSTR) {
      BSTR copy = SysAllocString(values_[index]);
      if (copy == nullptr) return E_OUTOFMEMORY;
      value->vt = VT_BSTR;
      value->bstrVal = copy;
      return S_OK;
    }
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = values_[index];  // borrowed: not cleared below
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeType(&converted, &text, 0, asked);
    if (FAILED(hr)) {
      if (log != nullptr) {
        EXCEPINFO error = {};
        error.scode = hr;
        log->AddError(name, &error);
      }
      return hr;
    }
    *value = converted;
    return S_OK;
  }

  LONG references_;
  int count_;
  BSTR names_[kMaxPageParams];
  BSTR values_[kMaxPageParams];
};

}  // namespace

IPropertyBag* CreatePageBag(const PageObjects* objects, int index) {
  PageBag* bag = new PageBag();
  if (!bag->Fill(objects, index)) {
    bag->Release();
    return nullptr;
  }
  return bag;
}
