// The control framework driven through its COM interfaces by the test
// container, with a control of the test's own that records what the
// framework handed it: the property exchange (load, save, reset, stream),
// the order of site and properties, in-place activation with and without
// a window, drawing and the owner of the control's message boxes.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>

#include "framework/ole_control.h"
#include "test_container.h"

namespace {

const CLSID kProbeClsid = {0x5a1e0001, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kProbeEventsIid = {0x5a1e0002, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const ControlTypeInfo kProbeTypeInfo = {nullptr, 1, 0, nullptr, &kProbeEventsIid, 0x20191, nullptr, 0};
const RECT kPosition = {10, 20, 110, 70};

int g_probesDestroyed = 0;

// A windowless-capable control that keeps what the framework gave it.
class ProbeControl : public COleControl {
 public:
  ProbeControl() : COleControl(kProbeTypeInfo) {
    iniFile.Set("keep-me");
    logEvents.Set("untouched");
  }
  ~ProbeControl() override { ++g_probesDestroyed; }

  void DoPropExchange(CPropExchange* pPX) override {
    if (duringExchange) duringExchange();
    ++exchanges;
    mode = pPX->GetMode();
    sitedDuringExchange = GetClientSite() != nullptr;
    ExchangeVersion(pPX, MAKELONG(0, 1), true);
    COleControl::DoPropExchange(pPX);
    iniFileFound = PX_String(pPX, "IniFile", &iniFile);
    logEventsFound = PX_String(pPX, "LogEvents", &logEvents);
  }
  void OnSetClientSite() override {
    siteNotifications += GetClientSite() != nullptr ? "S" : "-";
    COleControl::OnSetClientSite();
  }
  void OnDraw(HDC dc, const RECT& bounds, const RECT& invalid) override {
    ++draws;
    drawBounds = bounds;
    drawInvalid = invalid;
    // Paints far past its bounds: the framework's clipping must hold it in.
    RECT everything = {-1000, -1000, 1000, 1000};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &everything, red);
    DeleteObject(red);
  }
  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = kProbeClsid;
    return S_OK;
  }
  DWORD GetControlFlags() override { return COleControl::GetControlFlags() | windowlessActivate; }

  std::function<void()> duringExchange;  // what the container does meanwhile
  int exchanges = 0;
  CPropExchange::Mode mode = CPropExchange::kReset;
  bool sitedDuringExchange = false;
  CPropText iniFile;
  bool iniFileFound = false;
  CPropText logEvents;
  bool logEventsFound = false;
  std::string siteNotifications;
  int draws = 0;
  RECT drawBounds = {};
  RECT drawInvalid = {};
};

// Releases a COM pointer at scope end.
template <class T>
struct Held {
  explicit Held(T* p = nullptr) : p(p) {}
  ~Held() {
    if (p != nullptr) p->Release();
  }
  T* operator->() { return p; }
  T* p;
};

// A new probe's interface; the interface holds the only reference.
template <class T>
T* NewProbe(REFIID iid, ProbeControl** probe) {
  *probe = new ProbeControl;
  T* object = nullptr;
  EXPECT_EQ(S_OK, (*probe)->ExternalQueryInterface(iid, (void**)&object));
  (*probe)->ExternalRelease();
  return object;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// A memory stream holding the bytes, positioned at its start.
IStream* StreamOf(const void* bytes, ULONG size) {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
  if (size > 0) stream->Write(bytes, size, nullptr);
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return stream;
}

// One probe per test and the container's two kinds of site; the probe is
// closed and let go of its site at the end.
class FrameworkTest : public ::testing::Test {
 protected:
  ~FrameworkTest() override {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }

  template <class T>
  T* As(REFIID iid) {
    T* object = nullptr;
    EXPECT_EQ(S_OK, probe_->ExternalQueryInterface(iid, (void**)&object));
    return object;
  }
  HRESULT Load(TestPropertyBag* bag) {
    Held<IPersistPropertyBag> persist(As<IPersistPropertyBag>(IID_IPersistPropertyBag));
    return persist->Load(bag, nullptr);
  }
  // Sites the probe and runs the verb at kPosition.
  HRESULT Activate(TestSite* site, LONG verb = OLEIVERB_INPLACEACTIVATE) {
    HRESULT hr = object_->SetClientSite(site);
    if (FAILED(hr)) return hr;
    return object_->DoVerb(verb, nullptr, site, 0, site->Window(), &kPosition);
  }

  ScopedOle ole_;
  TestSite windowlessSite_{true, kPosition};
  TestSite plainSite_{false, kPosition};
  ProbeControl* probe_ = nullptr;
  Held<IOleObject> object_{NewProbe<IOleObject>(IID_IOleObject, &probe_)};
};

// A load runs the control's whole work with messages dispatched; a
// container may let go of its last reference meanwhile. The control lives
// until the load returns, then goes.
TEST(FrameworkLifetime, ContainerLettingGoDuringTheLoadKeepsTheControlUntilItReturns) {
  ScopedOle ole;
  ProbeControl* probe = nullptr;
  IPersistPropertyBag* bag = NewProbe<IPersistPropertyBag>(IID_IPersistPropertyBag, &probe);
  const int destroyedBefore = g_probesDestroyed;
  bool aliveAfterRelease = false;
  probe->duringExchange = [&] {
    bag->Release();
    aliveAfterRelease = g_probesDestroyed == destroyedBefore;
  };
  TestPropertyBag values;
  values.Set(L"IniFile", L"site.ini");
  EXPECT_EQ(S_OK, bag->Load(&values, nullptr));
  EXPECT_TRUE(aliveAfterRelease);
  EXPECT_EQ(destroyedBefore + 1, g_probesDestroyed);
}

TEST_F(FrameworkTest, LoadGivesPresentParamsAndLeavesAbsentOnesUntouched) {
  TestPropertyBag bag;
  bag.Set(L"inifile", L"site.ini");  // names match in any case, as in HTML
  ASSERT_EQ(S_OK, Load(&bag));
  EXPECT_EQ(1, probe_->exchanges);
  EXPECT_EQ(CPropExchange::kLoad, probe_->mode);
  EXPECT_TRUE(probe_->iniFileFound);
  EXPECT_STREQ("site.ini", probe_->iniFile.Text());
  EXPECT_EQ(8u, probe_->iniFile.Length());
  EXPECT_FALSE(probe_->logEventsFound);
  EXPECT_STREQ("untouched", probe_->logEvents.Text());
  // No "_Version" among the PARAMs: the control's own version applies.
  EXPECT_EQ((DWORD)MAKELONG(0, 1), probe_->GetVersionLoaded());
}

TEST_F(FrameworkTest, LoadTakesEmptyAndOverLongValuesAndTheStoredVersionAndExtent) {
  TestPropertyBag bag;
  bag.Set(L"LogEvents", L"");
  bag.Set(L"IniFile", std::wstring(5000, L'x'));
  bag.Set(L"_Version", L"131072");
  bag.Set(L"_ExtentX", L"5000");
  bag.Set(L"_ExtentY", L"2500");
  ASSERT_EQ(S_OK, Load(&bag));
  EXPECT_TRUE(probe_->logEventsFound);  // empty is present
  EXPECT_STREQ("", probe_->logEvents.Text());
  EXPECT_EQ(0u, probe_->logEvents.Length());
  // Over-long: the full length is kept with a clean prefix.
  ASSERT_TRUE(probe_->iniFileFound);
  EXPECT_EQ(5000u, probe_->iniFile.Length());
  EXPECT_TRUE(probe_->iniFile.IsCut());
  EXPECT_EQ(CPropText::kCapacity - 1, strlen(probe_->iniFile.Text()));
  EXPECT_EQ(0x20000u, probe_->GetVersionLoaded());
  SIZEL extent = {};
  ASSERT_EQ(S_OK, object_->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(5000, extent.cx);
  EXPECT_EQ(2500, extent.cy);
}

TEST_F(FrameworkTest, WideTextBecomesAnsiCodePageText) {
  if (GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
  TestPropertyBag bag;
  bag.Set(L"IniFile", L"caf\u00e9.ini");
  ASSERT_EQ(S_OK, Load(&bag));
  EXPECT_STREQ("caf\xe9.ini", probe_->iniFile.Text());
}

TEST_F(FrameworkTest, SaveWritesVersionExtentAndTexts) {
  SIZEL extent = {3000, 1500};
  ASSERT_EQ(S_OK, object_->SetExtent(DVASPECT_CONTENT, &extent));
  TestPropertyBag bag;
  Held<IPersistPropertyBag> persist(As<IPersistPropertyBag>(IID_IPersistPropertyBag));
  ASSERT_EQ(S_OK, persist->Save(&bag, TRUE, TRUE));
  EXPECT_EQ(CPropExchange::kSave, probe_->mode);
  std::wstring value;
  ASSERT_TRUE(bag.Get(L"_Version", &value));
  EXPECT_EQ(L"65536", value);
  ASSERT_TRUE(bag.Get(L"_ExtentX", &value));
  EXPECT_EQ(L"3000", value);
  ASSERT_TRUE(bag.Get(L"IniFile", &value));
  EXPECT_EQ(L"keep-me", value);
}

TEST_F(FrameworkTest, InitNewResetsWithoutGivingAnyText) {
  Held<IPersistStreamInit> persist(As<IPersistStreamInit>(IID_IPersistStreamInit));
  ASSERT_EQ(S_OK, persist->InitNew());
  EXPECT_EQ(1, probe_->exchanges);
  EXPECT_EQ(CPropExchange::kReset, probe_->mode);
  EXPECT_FALSE(probe_->iniFileFound);
  EXPECT_STREQ("keep-me", probe_->iniFile.Text());
}

TEST_F(FrameworkTest, StreamKeepsWhatWasSaved) {
  Held<IStream> stream(StreamOf(nullptr, 0));
  ASSERT_NE(nullptr, stream.p);
  {
    ProbeControl* first = nullptr;
    Held<IPersistStreamInit> persist(NewProbe<IPersistStreamInit>(IID_IPersistStreamInit, &first));
    first->iniFile.Set("http://server/cfg/site.ini");
    ASSERT_EQ(S_OK, persist->Save(stream.p, TRUE));
  }
  LARGE_INTEGER start = {};
  ASSERT_EQ(S_OK, stream->Seek(start, STREAM_SEEK_SET, nullptr));
  Held<IPersistStreamInit> persist(As<IPersistStreamInit>(IID_IPersistStreamInit));
  ASSERT_EQ(S_OK, persist->Load(stream.p));
  EXPECT_TRUE(probe_->iniFileFound);
  EXPECT_STREQ("http://server/cfg/site.ini", probe_->iniFile.Text());
  // A save writes the control's current texts, whether or not it ever
  // loaded them.
  EXPECT_TRUE(probe_->logEventsFound);
  EXPECT_STREQ("untouched", probe_->logEvents.Text());
  EXPECT_EQ((DWORD)MAKELONG(0, 1), probe_->GetVersionLoaded());
}

TEST_F(FrameworkTest, MalformedStreamIsRefusedBeforeTheExchange) {
  const struct {
    const char* name;
    unsigned char bytes[16];
    ULONG size;
  } cases[] = {
      {"not the format", {'N', 'O', 'P', 'E'}, 4},
      {"ends inside a name", {'W', 'V', 'P', 'X', 7, 0, 0, 0, 'I', 'n', 'i'}, 11},
      {"name longer than allowed", {'W', 'V', 'P', 'X', 0xFF, 0xFF, 0, 0}, 8},
  };
  Held<IPersistStreamInit> persist(As<IPersistStreamInit>(IID_IPersistStreamInit));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Held<IStream> stream(StreamOf(c.bytes, c.size));
    ASSERT_NE(nullptr, stream.p);
    EXPECT_EQ(STG_E_READFAULT, persist->Load(stream.p));
    EXPECT_EQ(0, probe_->exchanges);
  }
}

TEST_F(FrameworkTest, ClientSiteIsKnownBeforeThePropertiesLoadAndEveryChangeIsTold) {
  DWORD status = 0;
  ASSERT_EQ(S_OK, object_->GetMiscStatus(DVASPECT_CONTENT, &status));
  ASSERT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
  ASSERT_EQ(S_OK, object_->SetClientSite(&windowlessSite_));
  EXPECT_EQ(static_cast<IOleClientSite*>(&windowlessSite_), probe_->GetClientSite());
  TestPropertyBag bag;
  ASSERT_EQ(S_OK, Load(&bag));
  EXPECT_TRUE(probe_->sitedDuringExchange);

  // The site's moniker is what the control will read the page address from.
  IMoniker* moniker = nullptr;
  ASSERT_EQ(S_OK, object_->GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER, &moniker));
  Held<IMoniker> heldMoniker(moniker);
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, moniker->GetDisplayName(nullptr, nullptr, &name));
  EXPECT_STREQ(L"C:\\pages\\start.htm", name);
  CoTaskMemFree(name);

  ASSERT_EQ(S_OK, object_->SetClientSite(nullptr));
  EXPECT_EQ(nullptr, probe_->GetClientSite());
  EXPECT_EQ("S-", probe_->siteNotifications);
}

TEST_F(FrameworkTest, WindowlessWhenControlAndSiteAllowItAndNeverWithoutASite) {
  EXPECT_EQ(E_UNEXPECTED,
            object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &kPosition));
  EXPECT_FALSE(probe_->IsInPlaceActive());

  TestSite& site = windowlessSite_;
  ASSERT_EQ(S_OK, Activate(&site));
  EXPECT_TRUE(site.Called("CanInPlaceActivate"));
  EXPECT_TRUE(site.Called("CanWindowlessActivate"));
  EXPECT_TRUE(site.Called("OnInPlaceActivateEx(windowless)"));
  EXPECT_TRUE(site.Called("GetWindowContext"));
  EXPECT_FALSE(site.Called("OnUIActivate"));
  EXPECT_TRUE(probe_->IsInPlaceActive());
  EXPECT_TRUE(probe_->IsWindowless());
  EXPECT_EQ(nullptr, probe_->GetSafeHwnd());
  EXPECT_EQ(site.Window(), probe_->GetInPlaceSiteWindow());
  RECT rect = {};
  ASSERT_TRUE(probe_->GetRectInContainer(&rect));
  EXPECT_EQ(RectText(kPosition), RectText(rect));

  Held<IOleInPlaceObject> inPlace(As<IOleInPlaceObject>(IID_IOleInPlaceObject));
  HWND window = (HWND)1;
  EXPECT_EQ(E_FAIL, inPlace->GetWindow(&window));
  const RECT moved = {30, 40, 90, 80};
  ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
  ASSERT_TRUE(probe_->GetRectInContainer(&rect));
  EXPECT_EQ(RectText(moved), RectText(rect));

  ASSERT_EQ(S_OK, object_->Close(OLECLOSE_NOSAVE));
  EXPECT_TRUE(site.Called("OnInPlaceDeactivateEx"));
  EXPECT_FALSE(probe_->IsInPlaceActive());
  EXPECT_FALSE(probe_->GetRectInContainer(&rect));
}

TEST_F(FrameworkTest, ChildWindowAtThePositionWhenTheSiteIsNotWindowless) {
  TestSite& site = plainSite_;
  ASSERT_EQ(S_OK, Activate(&site));
  EXPECT_TRUE(site.Called("OnInPlaceActivate"));
  EXPECT_FALSE(probe_->IsWindowless());

  Held<IOleInPlaceObject> inPlace(As<IOleInPlaceObject>(IID_IOleInPlaceObject));
  HWND window = nullptr;
  ASSERT_EQ(S_OK, inPlace->GetWindow(&window));
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(window, probe_->GetSafeHwnd());
  EXPECT_EQ(site.Window(), GetParent(window));
  EXPECT_TRUE(IsWindowVisible(window));
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, site.Window(), (POINT*)&rect, 2);
  EXPECT_EQ(RectText(kPosition), RectText(rect));

  // Its paint is the control's OnDraw over the window's client area.
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_GE(probe_->draws, 1);
  EXPECT_EQ("0,0,100,50", RectText(probe_->drawBounds));

  const RECT moved = {50, 60, 250, 160};
  ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, site.Window(), (POINT*)&rect, 2);
  EXPECT_EQ(RectText(moved), RectText(rect));

  ASSERT_EQ(S_OK, object_->Close(OLECLOSE_NOSAVE));
  EXPECT_TRUE(site.Called("OnInPlaceDeactivate"));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(FrameworkTest, UiActivationSetsTheActiveObjectAndTakesItBack) {
  TestSite& site = windowlessSite_;
  ASSERT_EQ(S_OK, Activate(&site, OLEIVERB_UIACTIVATE));
  EXPECT_TRUE(site.Called("OnUIActivate"));
  EXPECT_TRUE(site.Called("SetActiveObject"));
  EXPECT_TRUE(site.Called("SetFocus(1)"));
  ASSERT_NE(nullptr, site.ActiveObject());

  Held<IOleInPlaceObject> inPlace(As<IOleInPlaceObject>(IID_IOleInPlaceObject));
  ASSERT_EQ(S_OK, inPlace->UIDeactivate());
  EXPECT_TRUE(site.Called("SetActiveObject(null)"));
  EXPECT_TRUE(site.Called("OnUIDeactivate"));
  EXPECT_EQ(nullptr, site.ActiveObject());
  EXPECT_TRUE(probe_->IsInPlaceActive());
  ASSERT_EQ(S_OK, inPlace->InPlaceDeactivate());
  EXPECT_FALSE(probe_->IsInPlaceActive());
}

// Drawing into a white 200 by 100 bitmap.
class DrawTest : public FrameworkTest {
 protected:
  void SetUp() override {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 200;
    info.bmiHeader.biHeight = -100;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, bitmap_);
    old_ = SelectObject(dc_, bitmap_);
    RECT all = {0, 0, 200, 100};
    FillRect(dc_, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HRESULT Draw(DWORD aspect, HDC dc, const RECTL* bounds) {
    return view_->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, bounds, nullptr, nullptr, 0);
  }

  Held<IViewObject2> view_{As<IViewObject2>(IID_IViewObject2)};
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(DrawTest, OnDrawGetsTheBoundsAndCannotPaintOutsideThemOrTheDcsClipping) {
  const RECTL bounds = {10, 10, 60, 40};
  ASSERT_EQ(S_OK, Draw(DVASPECT_CONTENT, dc_, &bounds));
  ASSERT_EQ(1, probe_->draws);
  EXPECT_EQ("10,10,60,40", RectText(probe_->drawBounds));
  EXPECT_EQ("10,10,60,40", RectText(probe_->drawInvalid));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc_, 10, 10));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc_, 59, 39));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 9, 10));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 60, 39));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 150, 80));

  // The invalid part is the bounds within the DC's clipping.
  RECT all = {0, 0, 200, 100};
  FillRect(dc_, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
  IntersectClipRect(dc_, 0, 0, 30, 30);
  ASSERT_EQ(S_OK, Draw(DVASPECT_CONTENT, dc_, &bounds));
  EXPECT_EQ("10,10,30,30", RectText(probe_->drawInvalid));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 40, 20));  // inside bounds, outside the clip
}

TEST_F(DrawTest, RefusesOtherAspectsAndMissingArguments) {
  const RECTL bounds = {0, 0, 10, 10};
  EXPECT_EQ(DV_E_DVASPECT, Draw(DVASPECT_ICON, dc_, &bounds));
  EXPECT_EQ(E_INVALIDARG, Draw(DVASPECT_CONTENT, nullptr, &bounds));
  // Without bounds only a windowless control active in place can draw.
  EXPECT_EQ(E_INVALIDARG, Draw(DVASPECT_CONTENT, dc_, nullptr));
  EXPECT_EQ(0, probe_->draws);
}

TEST_F(DrawTest, WindowlessControlDrawsAtItsPositionWhenNoBoundsAreGiven) {
  ASSERT_EQ(S_OK, Activate(&windowlessSite_));
  ASSERT_EQ(S_OK, Draw(DVASPECT_CONTENT, dc_, nullptr));
  EXPECT_EQ(RectText(kPosition), RectText(probe_->drawBounds));
}

// Message boxes: a CBT hook on this thread notes the owner of the box and
// closes it, so the modal loop ends by itself.
HWND g_boxOwner = nullptr;
int g_boxes = 0;

LRESULT CALLBACK CloseBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  char className[16] = {};
  if (code == HCBT_ACTIVATE && GetClassNameA((HWND)wParam, className, sizeof className) &&
      strcmp(className, "#32770") == 0) {
    ++g_boxes;
    g_boxOwner = GetWindow((HWND)wParam, GW_OWNER);
    PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The owner of the one box the control showed, or (HWND)1 when it showed
// none or more than one.
HWND OwnerOfABox(ProbeControl* control) {
  g_boxOwner = (HWND)1;
  g_boxes = 0;
  HHOOK hook = SetWindowsHookExA(WH_CBT, CloseBoxHook, nullptr, GetCurrentThreadId());
  int answer = control->MessageBox("text", "caption", MB_OK | MB_ICONEXCLAMATION);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer == IDOK && g_boxes == 1 ? g_boxOwner : (HWND)1;
}

TEST_F(FrameworkTest, MessageBoxOwnerIsNoneWithoutASiteAndTheSitesWindowOtherwise) {
  EXPECT_EQ(nullptr, OwnerOfABox(probe_));
  // Sited but not active: the properties load at this point.
  ASSERT_EQ(S_OK, object_->SetClientSite(&windowlessSite_));
  EXPECT_EQ(windowlessSite_.Window(), OwnerOfABox(probe_));
  ASSERT_EQ(S_OK, Activate(&windowlessSite_));
  ASSERT_TRUE(probe_->IsWindowless());
  EXPECT_EQ(windowlessSite_.Window(), OwnerOfABox(probe_));
}

}  // namespace
