// hostfixture.dll: a minimal in-process control for testing the container
// without the product. It answers the interfaces a page's control needs
// (IOleObject, IPersistPropertyBag, IObjectSafety, IViewObject,
// IOleInPlaceObject) the way the product's control does (misc status
// 0x20191, safe for untrusted data on its persistence) and appends what it
// receives, one line each, to the file named by WEVELINK_FIXTURE_RECORD:
//   create instance=N pid=P         N counts creations in this module load
//   safety set mask=0x.. enabled=0x..
//   setclientsite site=1|0
//   moniker hr=0x.. name=NAME       asked in Load, as the product does
//   read NAME hr=0x.. vt=N value=V  the names listed in PARAM ReadNames
//                                   ("i:NAME" reads as VT_I4)
//   box result=N                    PARAM Box: MessageBoxA on this thread
//   workerbox result=N              PARAM WorkerBox: MessageBoxA on a worker
//   activate windowless=0|1 window=valid|invalid pos=l,t,r,b clip=l,t,r,b
//   draw rect=l,t,r,b
//   close sited=0|1
// WEVELINK_FIXTURE_UNSAFE=1 makes it refuse to be safe for initialization.
#include <windows.h>
#include <ole2.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include "base/portable/bounded_text.h"

namespace {

// The fixture's own class, and the product's class for --module runs.
const CLSID kFixtureClsid = {0x5d3c6b1e, 0x7a41, 0x4f0b, {0x9c, 0x2e, 0x3b, 0x8f, 0x1a, 0x6d, 0x0c, 0x52}};
const CLSID kControlClsid = {0x01d62088, 0xdb72, 0x4d35, {0xae, 0x5c, 0xe5, 0x86, 0x19, 0x04, 0xb6, 0x75}};
const DWORD kMiscStatus = 0x20191;

LONG g_objects;
LONG g_locks;
LONG g_created;

void Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char* format, ...) {
  char path[MAX_PATH];
  if (!GetEnvironmentVariableA("WEVELINK_FIXTURE_RECORD", path, sizeof path)) return;
  char line[2048];
  va_list args;
  va_start(args, format);
  FormatTextV(line, sizeof line - 1, format, args);
  va_end(args);
  AppendText(line, sizeof line, "\n");
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, (DWORD)lstrlenA(line), &written, nullptr);
  CloseHandle(file);
}

// UTF-8 with CR and LF escaped, for one-line records.
void Field(const wchar_t* text, char* out, int capacity) {
  char utf8[1024] = "";
  if (text) WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
  out[0] = '\0';
  for (const char* c = utf8; *c; ++c) {
    const char* piece = *c == '\r' ? "\\r" : *c == '\n' ? "\\n" : nullptr;
    char one[2] = {*c, 0};
    AppendText(out, capacity, piece ? piece : one);
  }
}

bool IsUnsafe() {
  char value[8];
  return GetEnvironmentVariableA("WEVELINK_FIXTURE_UNSAFE", value, sizeof value) && value[0] == '1';
}

struct WorkerBox {
  char text[512];
  volatile LONG done;
  int result;
};

DWORD WINAPI ShowWorkerBox(void* parameter) {
  WorkerBox* box = (WorkerBox*)parameter;
  box->result = MessageBoxA(nullptr, box->text, "Fixture Worker", MB_OK | MB_ICONINFORMATION);
  InterlockedExchange(&box->done, 1);
  return 0;
}

class FixtureControl final : public IOleObject,
                             public IPersistPropertyBag,
                             public IObjectSafety,
                             public IViewObject,
                             public IOleInPlaceObject {
 public:
  FixtureControl() {
    InterlockedIncrement(&g_objects);
    Record("create instance=%ld pid=%lu", InterlockedIncrement(&g_created), GetCurrentProcessId());
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject)) {
      *object = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(iid, IID_IPersistPropertyBag) || IsEqualIID(iid, IID_IPersist)) {
      *object = static_cast<IPersistPropertyBag*>(this);
    } else if (IsEqualIID(iid, IID_IObjectSafety)) {
      *object = static_cast<IObjectSafety*>(this);
    } else if (IsEqualIID(iid, IID_IViewObject)) {
      *object = static_cast<IViewObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceObject) || IsEqualIID(iid, IID_IOleWindow)) {
      *object = static_cast<IOleInPlaceObject*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return (ULONG)left;
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    Record("setclientsite site=%d", site ? 1 : 0);
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    Record("close sited=%d", site_ ? 1 : 0);
    InPlaceDeactivate();
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* active, LONG, HWND, LPCRECT) override {
    if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW) return OLEOBJ_S_INVALIDVERB;
    return Activate(active ? active : site_);
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IPersistPropertyBag
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = kFixtureClsid;
    return S_OK;
  }
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override {
    if (!bag) return E_POINTER;
    RecordMoniker();
    VARIANT names;
    VariantInit(&names);
    names.vt = VT_BSTR;
    if (SUCCEEDED(bag->Read(L"ReadNames", &names, log)) && names.vt == VT_BSTR) {
      ReadListed(bag, log, names.bstrVal);
    }
    VariantClear(&names);
    ShowBoxes(bag, log);
    return S_OK;
  }
  STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

  // IObjectSafety: the same answers as the product's control.
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
    if (!supported || !enabled) return E_POINTER;
    *supported = IsUnsafe() ? INTERFACESAFE_FOR_UNTRUSTED_CALLER
                            : INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    *enabled = 0;
    if (IsEqualIID(iid, IID_IPersistPropertyBag) && !IsUnsafe()) {
      *enabled = INTERFACESAFE_FOR_UNTRUSTED_DATA;
    }
    return S_OK;
  }
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override {
    Record("safety set mask=0x%lX enabled=0x%lX", mask, enabled);
    if (IsUnsafe()) return E_FAIL;
    return (mask == INTERFACESAFE_FOR_UNTRUSTED_DATA && enabled == INTERFACESAFE_FOR_UNTRUSTED_DATA &&
            IsEqualIID(iid, IID_IPersistPropertyBag))
               ? S_OK
               : E_FAIL;
  }

  // IViewObject
  STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (!dc || !bounds) return E_INVALIDARG;
    RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    HBRUSH brush = CreateSolidBrush(RGB(0, 96, 160));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    Record("draw rect=%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right, rect.bottom);
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
  STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND*) override { return E_FAIL; }  // windowless
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (!active_) return S_OK;
    active_ = false;
    if (inPlaceSite_) {
      inPlaceSite_->OnInPlaceDeactivate();
      inPlaceSite_->Release();
      inPlaceSite_ = nullptr;
    }
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override { return pos ? S_OK : E_POINTER; }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

 private:
  ~FixtureControl() {
    InPlaceDeactivate();
    if (site_) site_->Release();
    InterlockedDecrement(&g_objects);
  }

  void RecordMoniker() {
    IMoniker* moniker = nullptr;
    HRESULT hr = site_ ? site_->GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER, &moniker)
                       : E_UNEXPECTED;
    char name[1024] = "";
    if (SUCCEEDED(hr) && moniker) {
      LPOLESTR display = nullptr;
      if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &display))) {
        Field(display, name, sizeof name);
        CoTaskMemFree(display);
      }
      moniker->Release();
    }
    Record("moniker hr=0x%08lX name=%s", (unsigned long)hr, name);
  }

  void ReadListed(IPropertyBag* bag, IErrorLog* log, const wchar_t* list) {
    wchar_t names[1024];
    lstrcpynW(names, list, ARRAYSIZE(names));
    for (wchar_t* name = names; name && *name;) {
      wchar_t* comma = wcschr(name, L',');
      if (comma) *comma = L'\0';
      VARIANT value;
      VariantInit(&value);
      bool asNumber = name[0] == L'i' && name[1] == L':';
      if (asNumber) name += 2;
      value.vt = asNumber ? VT_I4 : VT_BSTR;
      HRESULT hr = bag->Read(name, &value, log);
      char nameField[256], valueField[1024] = "";
      Field(name, nameField, sizeof nameField);
      if (SUCCEEDED(hr) && value.vt == VT_BSTR) Field(value.bstrVal, valueField, sizeof valueField);
      if (SUCCEEDED(hr) && value.vt == VT_I4) FormatText(valueField, sizeof valueField, "%ld", value.lVal);
      Record("read %s hr=0x%08lX vt=%u value=%s", nameField, (unsigned long)hr,
             SUCCEEDED(hr) ? (unsigned)value.vt : 0u, valueField);
      VariantClear(&value);
      name = comma ? comma + 1 : nullptr;
    }
  }

  // Reads a string PARAM into ANSI text; false when absent.
  bool ReadText(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, char* text, int capacity) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    bool found = SUCCEEDED(bag->Read(name, &value, log)) && value.vt == VT_BSTR;
    if (found) {
      WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, text, capacity, nullptr, nullptr);
      text[capacity - 1] = '\0';
    }
    VariantClear(&value);
    return found;
  }

  // A box on this thread, and one on a worker while this thread pumps
  // messages, as the product's threaded box does.
  void ShowBoxes(IPropertyBag* bag, IErrorLog* log) {
    char text[512];
    if (ReadText(bag, log, L"Box", text, sizeof text)) {
      int result = MessageBoxA(nullptr, text, "Fixture Box", MB_ICONEXCLAMATION | MB_SETFOREGROUND);
      Record("box result=%d", result);
    }
    static WorkerBox worker;
    if (ReadText(bag, log, L"WorkerBox", worker.text, sizeof worker.text)) {
      worker.done = 0;
      worker.result = 0;
      HANDLE thread = CreateThread(nullptr, 0, ShowWorkerBox, &worker, 0, nullptr);
      if (thread) {
        CloseHandle(thread);
        while (!worker.done) {
          MSG message;
          while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
          }
          Sleep(10);
        }
      }
      Record("workerbox result=%d", worker.result);
    }
  }

  HRESULT Activate(IOleClientSite* site) {
    if (active_) return S_OK;
    if (!site) return E_UNEXPECTED;
    IOleInPlaceSiteWindowless* windowless = nullptr;
    site->QueryInterface(IID_IOleInPlaceSiteWindowless, (void**)&windowless);
    if (windowless && windowless->CanWindowlessActivate() == S_OK) {
      BOOL noRedraw = FALSE;
      windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
      inPlaceSite_ = windowless;
      windowless_ = true;
    } else {
      if (windowless) windowless->Release();
      IOleInPlaceSite* plain = nullptr;
      if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, (void**)&plain))) return E_NOINTERFACE;
      if (plain->CanInPlaceActivate() != S_OK) {
        plain->Release();
        return E_FAIL;
      }
      plain->OnInPlaceActivate();
      inPlaceSite_ = plain;
    }
    active_ = true;
    HWND window = nullptr;
    inPlaceSite_->GetWindow(&window);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT pos = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    inPlaceSite_->GetWindowContext(&frame, &document, &pos, &clip, &info);
    if (frame) frame->Release();
    if (document) document->Release();
    Record("activate windowless=%d window=%s pos=%ld,%ld,%ld,%ld clip=%ld,%ld,%ld,%ld", windowless_ ? 1 : 0,
           IsWindow(window) ? "valid" : "invalid", pos.left, pos.top, pos.right, pos.bottom, clip.left,
           clip.top, clip.right, clip.bottom);
    return S_OK;
  }

  LONG references_ = 1;
  IOleClientSite* site_ = nullptr;
  IOleInPlaceSite* inPlaceSite_ = nullptr;
  bool active_ = false;
  bool windowless_ = false;
};

class FixtureFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // static object
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    FixtureControl* control = new FixtureControl();
    HRESULT hr = control->QueryInterface(iid, object);
    control->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) InterlockedIncrement(&g_locks);
    else InterlockedDecrement(&g_locks);
    return S_OK;
  }
};

FixtureFactory g_factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, kFixtureClsid) && !IsEqualCLSID(clsid, kControlClsid)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return g_factory.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  Record("canunloadnow objects=%ld", g_objects);
  return (g_objects == 0 && g_locks == 0) ? S_OK : S_FALSE;
}
