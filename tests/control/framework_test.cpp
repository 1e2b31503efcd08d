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

#include <string>

#include "framework/ole_control.h"
#include "test_container.h"

namespace {

const CLSID kProbeClsid = {0x5a1e0001, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kProbeEventsIid = {0x5a1e0002, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const ControlTypeInfo kProbeTypeInfo = {nullptr, 1, 0, nullptr, &kProbeEventsIid, 0x20191, nullptr, 0};
const RECT kPosition = {10, 20, 110, 70};

// A control that keeps what the framework gave it.
class ProbeControl : public COleControl {
 public:
  explicit ProbeControl(bool windowless) : COleControl(kProbeTypeInfo), windowless_(windowless) {
    iniFile.Set("keep-me");
    logEvents.Set("untouched");
  }

  void DoPropExchange(CPropExchange* pPX) override {
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
  DWORD GetControlFlags() override {
    return COleControl::GetControlFlags() | (windowless_ ? windowlessActivate : 0);
  }

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

 private:
  bool windowless_;
};

// One reference to a new probe, dropped at scope end.
class Probe {
 public:
  explicit Probe(bool windowless = true) : control_(new ProbeControl(windowless)) {}
  ~Probe() { control_->ExternalRelease(); }
  ProbeControl* operator->() { return control_; }
  ProbeControl* get() { return control_; }
  template <class T>
  T* As(REFIID iid) {
    T* object = nullptr;
    EXPECT_EQ(S_OK, control_->ExternalQueryInterface(iid, (void**)&object));
    return object;
  }

 private:
  ProbeControl* control_;
};

// Releases a COM pointer at scope end.
template <class T>
struct Held {
  explicit Held(T* p) : p(p) {}
  ~Held() {
    if (p != nullptr) p->Release();
  }
  T* operator->() { return p; }
  T* p;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

HRESULT LoadProbe(Probe& probe, TestPropertyBag* bag) {
  Held<IPersistPropertyBag> persist(probe.As<IPersistPropertyBag>(IID_IPersistPropertyBag));
  return persist->Load(bag, nullptr);
}

}  // namespace

TEST(PropertyExchange, LoadGivesPresentParamsAndLeavesAbsentOnesUntouched) {
  ScopedOle ole;
  Probe probe;
  TestPropertyBag bag;
  bag.Set(L"inifile", L"site.ini");  // names match in any case, as in HTML
  ASSERT_EQ(S_OK, LoadProbe(probe, &bag));
  EXPECT_EQ(1, probe->exchanges);
  EXPECT_EQ(CPropExchange::kLoad, probe->mode);
  EXPECT_TRUE(probe->iniFileFound);
  EXPECT_STREQ("site.ini", probe->iniFile.Text());
  EXPECT_EQ(8u, probe->iniFile.Length());
  EXPECT_FALSE(probe->logEventsFound);
  EXPECT_STREQ("untouched", probe->logEvents.Text());
  EXPECT_EQ(9u, probe->logEvents.Length());
  // No "_Version" among the PARAMs: the control's own version applies.
  EXPECT_EQ((DWORD)MAKELONG(0, 1), probe->GetVersionLoaded());
}

TEST(PropertyExchange, EmptyValueIsPresent) {
  ScopedOle ole;
  Probe probe;
  TestPropertyBag bag;
  bag.Set(L"LogEvents", L"");
  ASSERT_EQ(S_OK, LoadProbe(probe, &bag));
  EXPECT_TRUE(probe->logEventsFound);
  EXPECT_STREQ("", probe->logEvents.Text());
  EXPECT_EQ(0u, probe->logEvents.Length());
}

TEST(PropertyExchange, OverLongValueKeepsItsFullLengthAndACleanPrefix) {
  ScopedOle ole;
  Probe probe;
  TestPropertyBag bag;
  bag.Set(L"IniFile", std::wstring(5000, L'x'));
  ASSERT_EQ(S_OK, LoadProbe(probe, &bag));
  ASSERT_TRUE(probe->iniFileFound);
  EXPECT_EQ(5000u, probe->iniFile.Length());
  EXPECT_TRUE(probe->iniFile.IsCut());
  EXPECT_EQ(CPropText::kCapacity - 1, strlen(probe->iniFile.Text()));
}

TEST(PropertyExchange, WideTextBecomesAnsiCodePageText) {
  if (GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
  ScopedOle ole;
  Probe probe;
  TestPropertyBag bag;
  bag.Set(L"IniFile", L"caf\u00e9.ini");
  ASSERT_EQ(S_OK, LoadProbe(probe, &bag));
  EXPECT_STREQ("caf\xe9.ini", probe->iniFile.Text());
}

TEST(PropertyExchange, StoredVersionAndExtentAreRead) {
  ScopedOle ole;
  Probe probe;
  TestPropertyBag bag;
  bag.Set(L"_Version", L"131072");
  bag.Set(L"_ExtentX", L"5000");
  bag.Set(L"_ExtentY", L"2500");
  ASSERT_EQ(S_OK, LoadProbe(probe, &bag));
  EXPECT_EQ(0x20000u, probe->GetVersionLoaded());
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  SIZEL extent = {};
  ASSERT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(5000, extent.cx);
  EXPECT_EQ(2500, extent.cy);
}

TEST(PropertyExchange, SaveWritesVersionExtentAndTexts) {
  ScopedOle ole;
  Probe probe;
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  SIZEL extent = {3000, 1500};
  ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &extent));
  TestPropertyBag bag;
  Held<IPersistPropertyBag> persist(probe.As<IPersistPropertyBag>(IID_IPersistPropertyBag));
  ASSERT_EQ(S_OK, persist->Save(&bag, TRUE, TRUE));
  EXPECT_EQ(CPropExchange::kSave, probe->mode);
  std::wstring value;
  ASSERT_TRUE(bag.Get(L"_Version", &value));
  EXPECT_EQ(L"65536", value);
  ASSERT_TRUE(bag.Get(L"_ExtentX", &value));
  EXPECT_EQ(L"3000", value);
  ASSERT_TRUE(bag.Get(L"IniFile", &value));
  EXPECT_EQ(L"keep-me", value);
}

TEST(PropertyExchange, InitNewResetsWithoutGivingAnyText) {
  ScopedOle ole;
  Probe probe;
  Held<IPersistStreamInit> persist(probe.As<IPersistStreamInit>(IID_IPersistStreamInit));
  ASSERT_EQ(S_OK, persist->InitNew());
  EXPECT_EQ(1, probe->exchanges);
  EXPECT_EQ(CPropExchange::kReset, probe->mode);
  EXPECT_FALSE(probe->iniFileFound);
  EXPECT_STREQ("keep-me", probe->iniFile.Text());
}

TEST(PropertyExchange, StreamKeepsWhatWasSaved) {
  ScopedOle ole;
  IStream* stream = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  Held<IStream> heldStream(stream);
  {
    Probe first;
    first->iniFile.Set("http://server/cfg/site.ini");
    Held<IPersistStreamInit> persist(first.As<IPersistStreamInit>(IID_IPersistStreamInit));
    ASSERT_EQ(S_OK, persist->Save(stream, TRUE));
  }
  LARGE_INTEGER start = {};
  ASSERT_EQ(S_OK, stream->Seek(start, STREAM_SEEK_SET, nullptr));
  Probe second;
  Held<IPersistStreamInit> persist(second.As<IPersistStreamInit>(IID_IPersistStreamInit));
  ASSERT_EQ(S_OK, persist->Load(stream));
  EXPECT_TRUE(second->iniFileFound);
  EXPECT_STREQ("http://server/cfg/site.ini", second->iniFile.Text());
  // A save writes the control's current texts, whether or not it ever
  // loaded them.
  EXPECT_TRUE(second->logEventsFound);
  EXPECT_STREQ("untouched", second->logEvents.Text());
  EXPECT_EQ((DWORD)MAKELONG(0, 1), second->GetVersionLoaded());
}

TEST(PropertyExchange, MalformedStreamIsRefusedBeforeTheExchange) {
  ScopedOle ole;
  const unsigned char cases[][16] = {
      {'N', 'O', 'P', 'E'},                               // not the format
      {'W', 'V', 'P', 'X', 7, 0, 0, 0, 'I', 'n', 'i'},   // ends inside a name
      {'W', 'V', 'P', 'X', 0xFF, 0xFF, 0, 0},            // name longer than allowed
  };
  const ULONG sizes[] = {4, 11, 8};
  for (size_t i = 0; i < ARRAYSIZE(sizes); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    Held<IStream> heldStream(stream);
    ASSERT_EQ(S_OK, stream->Write(cases[i], sizes[i], nullptr));
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    Probe probe;
    Held<IPersistStreamInit> persist(probe.As<IPersistStreamInit>(IID_IPersistStreamInit));
    EXPECT_EQ(STG_E_READFAULT, persist->Load(stream));
    EXPECT_EQ(0, probe->exchanges);
  }
}

TEST(ClientSite, IsKnownBeforeThePropertiesLoadAndEveryChangeIsTold) {
  ScopedOle ole;
  Probe probe;
  TestSite site(true, kPosition);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  DWORD status = 0;
  ASSERT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
  ASSERT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  EXPECT_EQ(static_cast<IOleClientSite*>(&site), probe->GetClientSite());
  TestPropertyBag bag;
  ASSERT_EQ(S_OK, LoadProbe(probe, &bag));
  EXPECT_TRUE(probe->sitedDuringExchange);

  // The site's moniker is what the control will read the page address from.
  IMoniker* moniker = nullptr;
  ASSERT_EQ(S_OK, object->GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER, &moniker));
  Held<IMoniker> heldMoniker(moniker);
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, moniker->GetDisplayName(nullptr, nullptr, &name));
  EXPECT_STREQ(L"C:\\pages\\start.htm", name);
  CoTaskMemFree(name);

  ASSERT_EQ(S_OK, object->SetClientSite(nullptr));
  EXPECT_EQ(nullptr, probe->GetClientSite());
  EXPECT_EQ("S-", probe->siteNotifications);
}

TEST(InPlace, WindowlessWhenControlAndSiteAllowIt) {
  ScopedOle ole;
  Probe probe(true);
  TestSite site(true, kPosition);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.Window(),
                                 &kPosition));
  EXPECT_TRUE(site.Called("CanInPlaceActivate"));
  EXPECT_TRUE(site.Called("CanWindowlessActivate"));
  EXPECT_TRUE(site.Called("OnInPlaceActivateEx(windowless)"));
  EXPECT_TRUE(site.Called("GetWindowContext"));
  EXPECT_FALSE(site.Called("OnUIActivate"));
  EXPECT_TRUE(probe->IsInPlaceActive());
  EXPECT_TRUE(probe->IsWindowless());
  EXPECT_EQ(nullptr, probe->GetSafeHwnd());
  EXPECT_EQ(site.Window(), probe->GetInPlaceSiteWindow());
  RECT rect = {};
  ASSERT_TRUE(probe->GetRectInContainer(&rect));
  EXPECT_TRUE(SameRect(kPosition, rect)) << RectText(rect);

  Held<IOleInPlaceObject> inPlace(probe.As<IOleInPlaceObject>(IID_IOleInPlaceObject));
  HWND window = (HWND)1;
  EXPECT_EQ(E_FAIL, inPlace->GetWindow(&window));
  const RECT moved = {30, 40, 90, 80};
  ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
  ASSERT_TRUE(probe->GetRectInContainer(&rect));
  EXPECT_TRUE(SameRect(moved, rect)) << RectText(rect);

  ASSERT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
  EXPECT_TRUE(site.Called("OnInPlaceDeactivateEx"));
  EXPECT_FALSE(probe->IsInPlaceActive());
  EXPECT_FALSE(probe->GetRectInContainer(&rect));
  object->SetClientSite(nullptr);
}

TEST(InPlace, ChildWindowAtThePositionWhenTheSiteIsNotWindowless) {
  ScopedOle ole;
  Probe probe(true);
  TestSite site(false, kPosition);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.Window(),
                                 &kPosition));
  EXPECT_TRUE(site.Called("OnInPlaceActivate"));
  EXPECT_FALSE(probe->IsWindowless());

  Held<IOleInPlaceObject> inPlace(probe.As<IOleInPlaceObject>(IID_IOleInPlaceObject));
  HWND window = nullptr;
  ASSERT_EQ(S_OK, inPlace->GetWindow(&window));
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(window, probe->GetSafeHwnd());
  EXPECT_EQ(site.Window(), GetParent(window));
  EXPECT_TRUE(IsWindowVisible(window));
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, site.Window(), (POINT*)&rect, 2);
  EXPECT_TRUE(SameRect(kPosition, rect)) << RectText(rect);

  // Its paint is the control's OnDraw over the window's client area.
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_GE(probe->draws, 1);
  const RECT client = {0, 0, 100, 50};
  EXPECT_TRUE(SameRect(client, probe->drawBounds)) << RectText(probe->drawBounds);

  const RECT moved = {50, 60, 250, 160};
  ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, site.Window(), (POINT*)&rect, 2);
  EXPECT_TRUE(SameRect(moved, rect)) << RectText(rect);

  ASSERT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
  EXPECT_TRUE(site.Called("OnInPlaceDeactivate"));
  EXPECT_FALSE(IsWindow(window));
  object->SetClientSite(nullptr);
}

TEST(InPlace, UiActivationSetsTheActiveObjectAndTakesItBack) {
  ScopedOle ole;
  Probe probe(true);
  TestSite site(true, kPosition);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, site.Window(),
                                 &kPosition));
  EXPECT_TRUE(site.Called("OnUIActivate"));
  EXPECT_TRUE(site.Called("SetActiveObject"));
  EXPECT_TRUE(site.Called("SetFocus(1)"));
  ASSERT_NE(nullptr, site.ActiveObject());

  Held<IOleInPlaceObject> inPlace(probe.As<IOleInPlaceObject>(IID_IOleInPlaceObject));
  ASSERT_EQ(S_OK, inPlace->UIDeactivate());
  EXPECT_TRUE(site.Called("SetActiveObject(null)"));
  EXPECT_TRUE(site.Called("OnUIDeactivate"));
  EXPECT_EQ(nullptr, site.ActiveObject());
  EXPECT_TRUE(probe->IsInPlaceActive());
  ASSERT_EQ(S_OK, inPlace->InPlaceDeactivate());
  EXPECT_FALSE(probe->IsInPlaceActive());
  object->SetClientSite(nullptr);
}

TEST(InPlace, ActivationWithoutASiteIsRefused) {
  ScopedOle ole;
  Probe probe(true);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  EXPECT_EQ(E_UNEXPECTED,
            object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &kPosition));
  EXPECT_FALSE(probe->IsInPlaceActive());
}

class DrawTest : public ::testing::Test {
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
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(DrawTest, OnDrawGetsTheBoundsAndCannotPaintOutsideThem) {
  ScopedOle ole;
  Probe probe;
  Held<IViewObject2> view(probe.As<IViewObject2>(IID_IViewObject2));
  const RECTL bounds = {10, 10, 60, 40};
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc_, &bounds,
                             nullptr, nullptr, 0));
  ASSERT_EQ(1, probe->draws);
  const RECT expected = {10, 10, 60, 40};
  EXPECT_TRUE(SameRect(expected, probe->drawBounds)) << RectText(probe->drawBounds);
  EXPECT_TRUE(SameRect(expected, probe->drawInvalid)) << RectText(probe->drawInvalid);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc_, 10, 10));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc_, 59, 39));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 9, 10));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 60, 39));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 150, 80));
}

TEST_F(DrawTest, InvalidPartIsTheBoundsWithinTheDcsClipping) {
  ScopedOle ole;
  Probe probe;
  Held<IViewObject2> view(probe.As<IViewObject2>(IID_IViewObject2));
  IntersectClipRect(dc_, 0, 0, 30, 30);
  const RECTL bounds = {10, 10, 60, 40};
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc_, &bounds,
                             nullptr, nullptr, 0));
  const RECT invalid = {10, 10, 30, 30};
  EXPECT_TRUE(SameRect(invalid, probe->drawInvalid)) << RectText(probe->drawInvalid);
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc_, 40, 20));  // inside bounds, outside the clip
}

TEST_F(DrawTest, RefusesOtherAspectsAndMissingArguments) {
  ScopedOle ole;
  Probe probe;
  Held<IViewObject2> view(probe.As<IViewObject2>(IID_IViewObject2));
  const RECTL bounds = {0, 0, 10, 10};
  EXPECT_EQ(DV_E_DVASPECT, view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc_,
                                      &bounds, nullptr, nullptr, 0));
  EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr,
                                     &bounds, nullptr, nullptr, 0));
  // Without bounds only a windowless control active in place can draw.
  EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc_,
                                     nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(0, probe->draws);
}

TEST_F(DrawTest, WindowlessControlDrawsAtItsPositionWhenNoBoundsAreGiven) {
  ScopedOle ole;
  Probe probe(true);
  TestSite site(true, kPosition);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.Window(),
                                 &kPosition));
  Held<IViewObject2> view(probe.As<IViewObject2>(IID_IViewObject2));
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc_, nullptr,
                             nullptr, nullptr, 0));
  EXPECT_TRUE(SameRect(kPosition, probe->drawBounds)) << RectText(probe->drawBounds);
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
}

// Message boxes: a CBT hook on this thread notes the owner of the box and
// closes it, so the modal loop ends by itself.
namespace {

HWND g_boxOwner = nullptr;
int g_boxes = 0;

LRESULT CALLBACK CloseBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = (HWND)wParam;
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    if (strcmp(className, "#32770") == 0) {
      ++g_boxes;
      g_boxOwner = GetWindow(box, GW_OWNER);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int ShowBox(ProbeControl* control) {
  g_boxOwner = (HWND)1;
  g_boxes = 0;
  HHOOK hook = SetWindowsHookExA(WH_CBT, CloseBoxHook, nullptr, GetCurrentThreadId());
  int answer = control->MessageBox("text", "caption", MB_OK | MB_ICONEXCLAMATION);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer;
}

}  // namespace

TEST(MessageBoxOwner, NoneWithoutASite) {
  ScopedOle ole;
  Probe probe;
  EXPECT_EQ(IDOK, ShowBox(probe.get()));
  ASSERT_EQ(1, g_boxes);
  EXPECT_EQ(nullptr, g_boxOwner);
}

TEST(MessageBoxOwner, TheSitesWindowWhileLoadingAndWhenWindowless) {
  ScopedOle ole;
  Probe probe(true);
  TestSite site(true, kPosition);
  Held<IOleObject> object(probe.As<IOleObject>(IID_IOleObject));
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  // Sited but not active: the properties load at this point.
  EXPECT_EQ(IDOK, ShowBox(probe.get()));
  ASSERT_EQ(1, g_boxes);
  EXPECT_EQ(site.Window(), g_boxOwner);

  ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.Window(),
                                 &kPosition));
  ASSERT_TRUE(probe->IsWindowless());
  EXPECT_EQ(IDOK, ShowBox(probe.get()));
  EXPECT_EQ(site.Window(), g_boxOwner);
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
}
