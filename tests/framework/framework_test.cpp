// The control framework driven through its COM interfaces from the test container's own site and
// property bag, with a probe control of the test's own that records what the framework handed it.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <shlwapi.h>
#include <string.h>

#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "container_site.h"
#include "framework/ole_control.h"
#include "host_run.h"
#include "host_trace.h"
#include "page_bag.h"
#include "test_support.h"

const IID kProbeEventsIid = {
    0x5a1e0002, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const ControlTypeInfo kProbeTypeInfo = {
    nullptr, 1, 0, nullptr, &kProbeEventsIid, 0x20191, nullptr, 0};
const RECT kPosition = {10, 20, 110, 70};
const size_t kRoom = CPropText::kCapacity - 1;

int g_probesDestroyed = 0;

// A windowless-capable control that keeps what the framework gave it.
class ProbeControl : public COleControl {
 public:
  ProbeControl() : COleControl(kProbeTypeInfo) { Forget(); }
  ~ProbeControl() override { ++g_probesDestroyed; }
  void Forget() {
    exchanges = 0;
    iniFile.Set("keep-me");
    logEvents.Set("untouched");
  }
  void DoPropExchange(CPropExchange* pPX) override {
    if (duringExchange) duringExchange();
    ++exchanges;
    ExchangeVersion(pPX, MAKELONG(0, 1), true);
    COleControl::DoPropExchange(pPX);
    iniFileFound = PX_String(pPX, "IniFile", &iniFile);
    PX_String(pPX, "LogEvents", &logEvents);
  }
  void OnDraw(HDC dc, const RECT& bounds, const RECT&) override {
    drawBounds = bounds;
    // Paints far past its bounds: the framework's clipping must hold it in.
    RECT everything = {-1000, -1000, 1000, 1000};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &everything, red);
    DeleteObject(red);
  }
  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = CLSID_NULL;
    return S_OK;
  }
  DWORD GetControlFlags() override { return COleControl::GetControlFlags() | windowlessActivate; }
  std::function<void()> duringExchange;  // what the container does meanwhile
  int exchanges = 0;
  CPropText iniFile;
  bool iniFileFound = false;
  CPropText logEvents;
  RECT drawBounds = {};
};

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

std::string Le32(size_t n) { return testsupport::LittleEndian32((long)n); }

// One record of the stream format: name length, name, value length, value.
std::string Record(const std::string& name, const std::string& value) {
  return Le32(name.size()) + name + Le32(value.size()) + value;
}

const wchar_t kTrace[] = L"framework-trace.txt";

bool Traced(const std::string& call) {
  return testsupport::HasLine(testsupport::ReadLines("framework-trace.txt"), call);
}

// One container window for all: without a window manager Wine waits 2 s per top-level it destroys.
HWND SiteWindow() {
  static HWND window = testsupport::TestContainerWindow();
  return window;
}

// A page's site over the container window at kPosition, offering windowless activation or not.
ContainerSite* NewSite(bool windowless) {
  ContainerSite::PlayBrowser(!windowless, false);
  return ContainerSite::Create(SiteWindow(), SiteWindow(), kPosition, nullptr);
}

// One probe per test, held only through object_; at the end it is closed and let go of its site.
class FrameworkTest : public ::testing::Test {
 protected:
  FrameworkTest() {
    EXPECT_EQ(S_OK, probe_->ExternalQueryInterface(IID_IOleObject, (void**)&object_.p));
    probe_->ExternalRelease();
    DeleteFileW(kTrace);
    OpenTrace(kTrace);
  }
  ~FrameworkTest() override {
    if (object_.p == nullptr) return;
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  template <class T>
  T* As(REFIID iid) {
    T* object = nullptr;
    EXPECT_EQ(S_OK, probe_->ExternalQueryInterface(iid, (void**)&object));
    return object;
  }
  HRESULT Activate(ContainerSite* site, LONG verb = OLEIVERB_INPLACEACTIVATE) {
    HRESULT hr = object_->SetClientSite(site);
    if (FAILED(hr)) return hr;
    return object_->DoVerb(verb, nullptr, site, 0, SiteWindow(), &kPosition);
  }
  ScopedOle ole_;
  Held<ContainerSite> site_{NewSite(true)};
  ProbeControl* probe_ = new ProbeControl;
  Held<IOleObject> object_;
};

// A load, or InitNew for an OBJECT without PARAMs, runs the control's whole work with messages
// dispatched; if the container lets go meanwhile, the control lives until the call returns.
TEST_F(FrameworkTest, ContainerLettingGoDuringTheLoadKeepsTheControlUntilItReturns) {
  for (bool initNew : {false, true}) {
    SCOPED_TRACE(initNew ? "InitNew" : "Load");
    if (initNew) {
      probe_ = new ProbeControl;
      EXPECT_EQ(S_OK, probe_->ExternalQueryInterface(IID_IOleObject, (void**)&object_.p));
      probe_->ExternalRelease();
    }
    IPersistPropertyBag* bag = As<IPersistPropertyBag>(IID_IPersistPropertyBag);
    object_->Release();
    object_.p = nullptr;
    const int destroyedBefore = g_probesDestroyed;
    bool aliveAfterRelease = false;
    probe_->duringExchange = [&] {
      bag->Release();
      aliveAfterRelease = g_probesDestroyed == destroyedBefore;
    };
    Held<IPropertyBag> values(PageBag(""));
    EXPECT_EQ(S_OK, initNew ? bag->InitNew() : bag->Load(values.p, nullptr));
    EXPECT_TRUE(aliveAfterRelease);
    EXPECT_EQ(destroyedBefore + 1, g_probesDestroyed);
  }
}

// Before Windows 8.1 a VARIANT holds whatever its stack held, and a browser's bag leaves it so for
// a missing PARAM: the control must not clear what it did not get.
TEST_F(FrameworkTest, AMissingParamLeavesTheBagsVariantAlone) {
  struct Leftover : IUnknown {
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return ++references; }
    STDMETHOD_(ULONG, Release)() override { return --references; }
    ULONG references = 1;
  } leftover;
  struct PlantingBag : IPropertyBag {
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(Read)(LPCOLESTR name, VARIANT* value, IErrorLog* log) override {
      HRESULT hr = page->Read(name, value, log);
      if (hr != E_INVALIDARG) return hr;
      value->vt = VT_UNKNOWN;
      value->punkVal = planted;
      return hr;
    }
    STDMETHOD(Write)(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
    Held<IPropertyBag> page{PageBag("<param name=IniFile value=site.ini>")};
    IUnknown* planted = nullptr;
  } bag;
  bag.planted = &leftover;
  Held<IPersistPropertyBag> persist(As<IPersistPropertyBag>(IID_IPersistPropertyBag));
  ASSERT_EQ(S_OK, persist->Load(&bag, nullptr));
  EXPECT_STREQ("untouched", probe_->logEvents.Text());
  EXPECT_EQ(1u, leftover.references);
}

// A PARAM is handed over whole up to the capacity and cut cleanly past it, its real length kept;
// one not given leaves the text alone.
TEST_F(FrameworkTest, SitedLoadFromTheBagUpToTheCapacity) {
  ASSERT_EQ(S_OK, object_->SetClientSite(site_.p));
  Held<IPersistPropertyBag> persist(As<IPersistPropertyBag>(IID_IPersistPropertyBag));
  const struct {
    const char* name;  // names match in any case, as in HTML
    std::string value;
    bool iniFound;
    size_t length;  // of IniFile
  } rows[] = {
      {"inifile", "site.ini", true, 8},
      {"LogEvents", "", false, 7},
      {"IniFile", std::string(kRoom, 'x'), true, kRoom},
      {"IniFile", std::string(kRoom + 1, 'x'), true, kRoom + 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.name << " " << row.length);
    probe_->Forget();
    Held<IPropertyBag> bag(
        PageBag(std::string("<param name=") + row.name + " value=\"" + row.value + "\">"));
    ASSERT_EQ(S_OK, persist->Load(bag.p, nullptr));
    EXPECT_EQ(row.iniFound, probe_->iniFileFound);
    EXPECT_EQ(row.length, probe_->iniFile.Length());
    std::string text = row.iniFound ? row.value : "keep-me";
    EXPECT_EQ(text.substr(0, kRoom), probe_->iniFile.Text());
  }
}

// A stream is checked whole before any property reaches the control. The first row is a save with
// a text at the capacity: a save writes the current texts, whether or not it ever loaded them.
TEST_F(FrameworkTest, StreamUpToItsBoundsIsTakenAndAnyOtherIsRefusedBeforeTheExchange) {
  const std::string full(kRoom, 'x');
  Held<IPersistStreamInit> persist(As<IPersistStreamInit>(IID_IPersistStreamInit));
  Held<IStream> saved;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &saved.p));
  probe_->iniFile.Set(full.c_str());
  ASSERT_EQ(S_OK, persist->Save(saved.p, TRUE));
  HGLOBAL memory = nullptr;
  ASSERT_EQ(S_OK, GetHGlobalFromStream(saved.p, &memory));
  std::string save((const char*)GlobalLock(memory), GlobalSize(memory));
  GlobalUnlock(memory);
  std::string overSize = "WVPX";
  for (int i = 0; i < 16; ++i) overSize += Record("A", full);
  const struct {
    const char* name;
    std::string bytes;
    HRESULT result;
  } rows[] = {
      {"saved by the control", save, S_OK},
      {"ends inside a name", "WVPX" + Le32(7) + "Ini", STG_E_READFAULT},
      {"name longer than allowed", "WVPX" + Record(std::string(256, 'n'), "") + Le32(0),
       STG_E_READFAULT},
      {"value past the capacity", "WVPX" + Record("IniFile", full + "x") + Le32(0),
       STG_E_READFAULT},
      {"set past the size limit", overSize + Le32(0), STG_E_READFAULT},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    probe_->Forget();
    Held<IStream> stream(SHCreateMemStream((const BYTE*)row.bytes.data(), row.bytes.size()));
    ASSERT_NE(nullptr, stream.p);
    EXPECT_EQ(row.result, persist->Load(stream.p));
    EXPECT_EQ(row.result == S_OK ? 1 : 0, probe_->exchanges);
    EXPECT_STREQ(row.result == S_OK ? full.c_str() : "keep-me", probe_->iniFile.Text());
  }
}

// A hook on this thread notes the owner of the box and closes it, so the modal loop ends by itself.
HWND g_boxOwner = nullptr;

LRESULT CALLBACK CloseBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  char className[16] = {};
  if (code == HCBT_ACTIVATE && GetClassNameA((HWND)wParam, className, sizeof className) &&
      strcmp(className, "#32770") == 0) {
    g_boxOwner = GetWindow((HWND)wParam, GW_OWNER);
    PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND OwnerOfABox(ProbeControl* control) {
  g_boxOwner = (HWND)1;
  HHOOK hook = SetWindowsHookExA(WH_CBT, CloseBoxHook, nullptr, GetCurrentThreadId());
  EXPECT_EQ(IDOK, control->MessageBox("text", "caption", MB_OK | MB_ICONEXCLAMATION));
  UnhookWindowsHookEx(hook);
  return g_boxOwner;
}

// Never without a site; windowless when control and site allow it, else a child window of the
// site's at the position, painted by OnDraw. Boxes belong to the page's window; none before a site.
TEST_F(FrameworkTest, InPlaceWithOrWithoutAWindowOfItsOwn) {
  EXPECT_EQ(E_UNEXPECTED,
            object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &kPosition));
  EXPECT_EQ(nullptr, OwnerOfABox(probe_));
  {
    // A page torn down under the control: its box is still shown.
    HWND dead = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(dead);
    Held<ContainerSite> gone(ContainerSite::Create(dead, dead, kPosition, nullptr));
    ASSERT_EQ(S_OK, object_->SetClientSite(gone.p));
    EXPECT_EQ(nullptr, OwnerOfABox(probe_));
  }
  ASSERT_EQ(S_OK, object_->SetClientSite(site_.p));
  EXPECT_EQ(SiteWindow(), OwnerOfABox(probe_));
  for (bool windowless : {false, true}) {
    SCOPED_TRACE(windowless ? "windowless" : "in a window");
    Held<ContainerSite> site(NewSite(windowless));
    DeleteFileW(kTrace);
    ASSERT_EQ(S_OK, Activate(site.p, OLEIVERB_UIACTIVATE));
    EXPECT_EQ(windowless, Traced("site OnInPlaceActivateEx flags=0x1"));
    EXPECT_TRUE(Traced("frame SetActiveObject object"));
    EXPECT_EQ(SiteWindow(), OwnerOfABox(probe_));  // through the site's window or its own
    Held<IOleInPlaceObject> inPlace(As<IOleInPlaceObject>(IID_IOleInPlaceObject));
    HWND window = nullptr;
    EXPECT_EQ(windowless ? E_FAIL : S_OK, inPlace->GetWindow(&window));
    if (!windowless) {
      ASSERT_TRUE(IsWindow(window));
      EXPECT_EQ(SiteWindow(), GetParent(window));
      EXPECT_TRUE(IsWindowVisible(window));
      RECT rect = {};
      GetWindowRect(window, &rect);
      MapWindowPoints(nullptr, SiteWindow(), (POINT*)&rect, 2);
      EXPECT_EQ(RectText(kPosition), RectText(rect));
      InvalidateRect(window, nullptr, TRUE);
      UpdateWindow(window);
      EXPECT_EQ("0,0,100,50", RectText(probe_->drawBounds));
    }
    ASSERT_EQ(S_OK, inPlace->UIDeactivate());
    EXPECT_TRUE(Traced("frame SetActiveObject null"));
    ASSERT_EQ(S_OK, object_->Close(OLECLOSE_NOSAVE));
    EXPECT_TRUE(Traced("site OnInPlaceDeactivateEx"));
    EXPECT_FALSE(window != nullptr && IsWindow(window));
  }
}

// The control paints everything red; only the part within both its bounds and the DC's clipping may
// change. Without bounds only a windowless control active in place can draw: at its position.
TEST_F(FrameworkTest, DrawingIsClippedToTheBoundsAndTheDcsClipping) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, 200, 100};
  FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
  Held<IViewObject2> view(As<IViewObject2>(IID_IViewObject2));
  const RECTL bounds = {10, 10, 60, 40};
  IntersectClipRect(dc, 0, 0, 30, 30);
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                             nullptr, nullptr, 0));
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 10, 10));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 9, 10));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 40, 20));  // inside the bounds, outside the clip
  EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc,
                                     nullptr, nullptr, nullptr, 0));
  ASSERT_EQ(S_OK, Activate(site_.p));
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, nullptr,
                             nullptr, nullptr, 0));
  EXPECT_EQ(RectText(kPosition), RectText(probe_->drawBounds));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
