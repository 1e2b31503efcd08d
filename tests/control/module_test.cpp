// WEVELINK.OCX as a container meets it: loaded from its file (from the
// build and from a folder of its own), its class objects, unload rule,
// safety options, type information, the control through the test
// container, its property page and its resources.
#include <windows.h>
#include <ole2.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "control/wevelink_ids.h"
#include "host_run.h"
#include "test_container.h"
#include "test_support.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFn)();

const RECT kPosition = {10, 20, 110, 70};

template <class T>
struct Held {
  explicit Held(T* p = nullptr) : p(p) {}
  ~Held() {
    if (p != nullptr) p->Release();
  }
  T* operator->() { return p; }
  T** out() { return &p; }
  T* p;
};

// The module as loaded from the build tree, for the whole test program.
struct LoadedModule {
  HMODULE module = nullptr;
  GetClassObjectFn getClassObject = nullptr;
  CanUnloadNowFn canUnloadNow = nullptr;

  bool Load(const std::string& path) {
    module = LoadLibraryA(path.c_str());
    if (module == nullptr) return false;
    getClassObject = (GetClassObjectFn)(void*)GetProcAddress(module, "DllGetClassObject");
    canUnloadNow = (CanUnloadNowFn)(void*)GetProcAddress(module, "DllCanUnloadNow");
    return getClassObject != nullptr && canUnloadNow != nullptr;
  }
  HRESULT Create(REFCLSID clsid, REFIID iid, void** object) {
    Held<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, (void**)factory.out());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, iid, object);
  }
};

LoadedModule& Ocx() {
  static LoadedModule loaded;
  if (loaded.module == nullptr) loaded.Load(OcxPath());
  return loaded;
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, ole_.Result());
    ASSERT_NE(nullptr, Ocx().module) << "cannot load " << OcxPath();
  }
  ScopedOle ole_;
};

std::string TypeInfoName(ITypeInfo* info) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) return "";
  char narrow[128] = {};
  WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
  SysFreeString(name);
  return narrow;
}

}  // namespace

TEST_F(ModuleTest, LoadsFromAFolderWithNothingElseInIt) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  std::string folder = std::string(temp) + "wevelink-alone-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::string copy = folder + "\\WEVELINK.OCX";
  ASSERT_TRUE(CopyFileA(OcxPath().c_str(), copy.c_str(), FALSE));

  LoadedModule alone;
  ASSERT_TRUE(alone.Load(copy)) << GetLastError();
  char loadedFrom[MAX_PATH] = {};
  GetModuleFileNameA(alone.module, loadedFrom, MAX_PATH);
  EXPECT_EQ(0, lstrcmpiA(copy.c_str(), loadedFrom)) << loadedFrom;
  {
    Held<IOleObject> object;
    ASSERT_EQ(S_OK, alone.Create(CLSID_WevelinkCtrl, IID_IOleObject, (void**)object.out()));
    DWORD status = 0;
    EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_EQ(0x20191u, status);
  }
  EXPECT_EQ(S_OK, alone.canUnloadNow());
  EXPECT_TRUE(FreeLibrary(alone.module));
  EXPECT_TRUE(DeleteFileA(copy.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

TEST_F(ModuleTest, ClassObjectsAnswerOnlyTheModulesClassesAndUnloadWaitsForObjectsAndLocks) {
  void* object = (void*)1;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
            Ocx().getClassObject(IID_IUnknown, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_POINTER, Ocx().getClassObject(CLSID_WevelinkCtrl, IID_IClassFactory, nullptr));
  Held<IClassFactory> factory;
  ASSERT_EQ(S_OK, Ocx().getClassObject(CLSID_WevelinkCtrl, IID_IClassFactory,
                                       (void**)factory.out()));
  TestPropertyBag outer;  // any object can ask to aggregate
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IUnknown, &object));
  EXPECT_EQ(nullptr, object);

  ASSERT_EQ(S_OK, Ocx().canUnloadNow());
  IUnknown* control = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, (void**)&control));
  EXPECT_EQ(S_FALSE, Ocx().canUnloadNow());
  IUnknown* page = nullptr;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkPropPage, IID_IUnknown, (void**)&page));
  control->Release();
  EXPECT_EQ(S_FALSE, Ocx().canUnloadNow());  // the page still lives
  page->Release();
  EXPECT_EQ(S_OK, Ocx().canUnloadNow());
  ASSERT_EQ(S_OK, factory->LockServer(TRUE));
  EXPECT_EQ(S_FALSE, Ocx().canUnloadNow());
  ASSERT_EQ(S_OK, factory->LockServer(FALSE));
  EXPECT_EQ(S_OK, Ocx().canUnloadNow());
}

TEST_F(ModuleTest, SafetyOptionsDeclareSafeDataButNoScripting) {
  Held<IObjectSafety> safety;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IObjectSafety, (void**)safety.out()));
  const DWORD kCaller = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
  const DWORD kData = INTERFACESAFE_FOR_UNTRUSTED_DATA;

  struct GetCase {
    const char* name;
    const IID* iid;
    HRESULT result;
    DWORD enabled;
  };
  const GetCase gets[] = {
      {"IPersistPropertyBag", &IID_IPersistPropertyBag, S_OK, kData},
      {"IPersistStreamInit", &IID_IPersistStreamInit, S_OK, kData},
      {"IDispatch", &IID_IDispatch, S_OK, 0},
      {"IPersistStorage (not implemented)", &IID_IPersistStorage, E_NOINTERFACE, 0},
      {"IClassFactory (not implemented)", &IID_IClassFactory, E_NOINTERFACE, 0},
      {"IOleObject (implemented, no safety)", &IID_IOleObject, E_NOINTERFACE, 0},
  };
  for (const GetCase& c : gets) {
    SCOPED_TRACE(c.name);
    DWORD supported = 0xdeadbeef, enabled = 0xdeadbeef;
    EXPECT_EQ(c.result, safety->GetInterfaceSafetyOptions(*c.iid, &supported, &enabled));
    EXPECT_EQ(kCaller | kData, supported);
    EXPECT_EQ(c.enabled, enabled);
  }
  DWORD options = 0;
  EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &options));
  EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, &options, nullptr));

  struct SetCase {
    const char* name;
    const IID* iid;
    DWORD mask;
    DWORD enabled;
    HRESULT result;
  };
  const SetCase sets[] = {
      {"IDispatch safe for scripting", &IID_IDispatch, kCaller, kCaller, E_FAIL},
      {"IDispatch safe for data", &IID_IDispatch, kData, kData, E_FAIL},
      {"IPersistPropertyBag 2/2", &IID_IPersistPropertyBag, kData, kData, S_OK},
      {"IPersistStreamInit 2/2", &IID_IPersistStreamInit, kData, kData, S_OK},
      {"IPersistPropertyBag 3/2", &IID_IPersistPropertyBag, kCaller | kData, kData, E_FAIL},
      {"IPersistPropertyBag 2/0", &IID_IPersistPropertyBag, kData, 0, E_FAIL},
      {"IPersistPropertyBag 0/0", &IID_IPersistPropertyBag, 0, 0, S_OK},
      {"not implemented 0/0", &IID_IPersistStorage, 0, 0, S_OK},
      {"not implemented 2/2", &IID_IPersistStorage, kData, kData, E_FAIL},
      {"IOleObject 2/2", &IID_IOleObject, kData, kData, E_FAIL},
  };
  for (const SetCase& c : sets) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, safety->SetInterfaceSafetyOptions(*c.iid, c.mask, c.enabled));
  }
}

TEST_F(ModuleTest, TypeInformationComesFromTheModulesOwnLibrary) {
  Held<IUnknown> control;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IUnknown, (void**)control.out()));

  Held<IProvideClassInfo2> classInfo;
  ASSERT_EQ(S_OK, control->QueryInterface(IID_IProvideClassInfo2, (void**)classInfo.out()));
  GUID events = GUID_NULL;
  ASSERT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
  EXPECT_TRUE(IsEqualGUID(DIID__DWevelinkEvents, events));
  Held<ITypeInfo> coclass;
  ASSERT_EQ(S_OK, classInfo->GetClassInfo(coclass.out()));
  EXPECT_EQ("Wevelink", TypeInfoName(coclass.p));

  Held<IDispatch> dispatch;
  ASSERT_EQ(S_OK, control->QueryInterface(IID_IDispatch, (void**)dispatch.out()));
  UINT count = 0;
  ASSERT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  Held<ITypeInfo> info;
  ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.out()));
  EXPECT_EQ("_DWevelink", TypeInfoName(info.p));
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
  EXPECT_EQ(TKIND_DISPATCH, attributes->typekind);
  EXPECT_TRUE(IsEqualGUID(DIID__DWevelink, attributes->guid));
  info->ReleaseTypeAttr(attributes);
  LPOLESTR name = const_cast<LPOLESTR>(L"Anything");
  DISPID id = 0;
  EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
  EXPECT_EQ(DISPID_UNKNOWN, id);

  Held<ISpecifyPropertyPages> pages;
  ASSERT_EQ(S_OK, control->QueryInterface(IID_ISpecifyPropertyPages, (void**)pages.out()));
  CAUUID list = {};
  ASSERT_EQ(S_OK, pages->GetPages(&list));
  ASSERT_EQ(1u, list.cElems);
  EXPECT_TRUE(IsEqualGUID(CLSID_WevelinkPropPage, list.pElems[0]));
  CoTaskMemFree(list.pElems);

  Held<IConnectionPointContainer> points;
  ASSERT_EQ(S_OK, control->QueryInterface(IID_IConnectionPointContainer, (void**)points.out()));
  Held<IConnectionPoint> point;
  ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID__DWevelinkEvents, point.out()));
  IConnectionPoint* none = nullptr;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, points->FindConnectionPoint(IID_IDispatch, &none));
}

// Activation and drawing of the real control are driven through the test
// container in the driver tests.
TEST_F(ModuleTest, ControlLoadsThePageParamsVersionFirstAndSavesVersionOne) {
  Held<IOleObject> object;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IOleObject, (void**)object.out()));
  CLSID clsid = CLSID_NULL;
  ASSERT_EQ(S_OK, object->GetUserClassID(&clsid));
  EXPECT_TRUE(IsEqualCLSID(CLSID_WevelinkCtrl, clsid));

  TestSite site(true, kPosition);
  ASSERT_EQ(S_OK, object->SetClientSite(&site));
  Held<IPersistPropertyBag> persist;
  ASSERT_EQ(S_OK, object->QueryInterface(IID_IPersistPropertyBag, (void**)persist.out()));
  EXPECT_EQ(E_POINTER, persist->Load(nullptr, nullptr));
  TestPropertyBag params;
  params.Set(L"LocalLaunch", L"Y");  // no server in these tests
  params.Set(L"_ExtentX", L"4233");
  params.Set(L"_ExtentY", L"1058");
  ASSERT_EQ(S_OK, persist->Load(&params, nullptr));
  SIZEL extent = {};
  ASSERT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(4233, extent.cx);
  EXPECT_EQ(1058, extent.cy);
  ASSERT_FALSE(params.Asked().empty());
  EXPECT_EQ(L"_Version", params.Asked().front());
  // Saving shows the version the control exchanges: 1.0.
  TestPropertyBag saved;
  ASSERT_EQ(S_OK, persist->Save(&saved, TRUE, TRUE));
  std::wstring version;
  ASSERT_TRUE(saved.Get(L"_Version", &version));
  EXPECT_EQ(L"65536", version);
  ASSERT_EQ(S_OK, object->SetClientSite(nullptr));
}

// Loads a second control from inside the first one's deployment, when the
// first asks for "LocalLaunch", as a message dispatched during one of the
// deployment's waits could.
class ReenteringBag : public TestPropertyBag {
 public:
  IPersistPropertyBag* second = nullptr;
  TestPropertyBag* secondParams = nullptr;
  HRESULT secondResult = E_FAIL;

  STDMETHOD(Read)(LPCOLESTR name, VARIANT* value, IErrorLog* log) override {
    if (second != nullptr && lstrcmpiW(name, L"LocalLaunch") == 0) {
      IPersistPropertyBag* inner = second;
      second = nullptr;
      secondResult = inner->Load(secondParams, nullptr);
    }
    return TestPropertyBag::Read(name, value, log);
  }
};

TEST_F(ModuleTest, ASecondDeploymentWhileOneRunsIsRefused) {
  testsupport::DeleteEventLogs();
  Held<IPersistPropertyBag> first, second;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IPersistPropertyBag, (void**)first.out()));
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IPersistPropertyBag, (void**)second.out()));
  TestPropertyBag secondParams;
  secondParams.Set(L"LogEvents", L"Y");
  secondParams.Set(L"LocalLaunch", L"Y");
  secondParams.Set(L"Sessions", L"SECOND");
  ReenteringBag params;
  params.Set(L"LogEvents", L"Y");
  params.Set(L"LocalLaunch", L"Y");
  params.second = second.p;
  params.secondParams = &secondParams;
  ASSERT_EQ(S_OK, first->Load(&params, nullptr));
  EXPECT_EQ(S_OK, params.secondResult);

  // A deployment without "LogEvents" closes the log so it can be read.
  TestPropertyBag closing;
  closing.Set(L"LocalLaunch", L"Y");
  ASSERT_EQ(S_OK, second->Load(&closing, nullptr));
  std::string log = testsupport::ReadOnlyEventLog();
  EXPECT_NE(std::string::npos,
            log.find("A deployment is already running in this process; this one is refused."));
  EXPECT_EQ(std::string::npos, log.find("Sessions: SECOND"));
  EXPECT_NE(std::string::npos, log.find("Local Launch is Enabled"));
}

// A container lets go of the module where DllCanUnloadNow says it may: the
// module ends there and then, without a fixed pause, and the log gets its
// end banner each time; the next object starts the module again.
TEST_F(ModuleTest, EveryUnloadEndsTheModulePromptlyWithItsLog) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    testsupport::DeleteEventLogs();
    IPersistPropertyBag* control = nullptr;
    ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IPersistPropertyBag, (void**)&control));
    TestPropertyBag params;
    params.Set(L"LogEvents", L"Y");
    params.Set(L"LocalLaunch", L"Y");
    EXPECT_EQ(S_OK, control->Load(&params, nullptr));
    EXPECT_EQ(0u, control->Release());
    DWORD start = GetTickCount();
    EXPECT_EQ(S_OK, Ocx().canUnloadNow());
    EXPECT_LT(GetTickCount() - start, 60u);
    std::string log = testsupport::ReadOnlyEventLog();
    EXPECT_NE(std::string::npos, log.find("Local Launch is Enabled"));
    EXPECT_NE(std::string::npos, log.find("Event Log Ended"));
  }
}

TEST_F(ModuleTest, PropertyPageIsTheEmptyGeneralPage) {
  Held<IPropertyPage> page;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkPropPage, IID_IPropertyPage, (void**)page.out()));
  PROPPAGEINFO info = {};
  ASSERT_EQ(S_OK, page->GetPageInfo(&info));
  EXPECT_STREQ(L"General", info.pszTitle);
  // 250 by 62 dialog units: wider than high, and more pixels than units.
  EXPECT_GT(info.size.cx, 250);
  EXPECT_GT(info.size.cy, 62);
  EXPECT_GT(info.size.cx, info.size.cy);
  CoTaskMemFree(info.pszTitle);

  TestSite frame(false, kPosition);
  IUnknown* control = nullptr;
  ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IUnknown, (void**)&control));
  ASSERT_EQ(S_OK, page->SetObjects(1, &control));
  const RECT area = {5, 5, 5 + info.size.cx, 5 + info.size.cy};
  ASSERT_EQ(S_OK, page->Activate(frame.Window(), &area, TRUE));
  HWND dialog = FindWindowExA(frame.Window(), nullptr, "#32770", nullptr);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(S_OK, page->Show(SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(S_FALSE, page->IsPageDirty());
  EXPECT_EQ(S_OK, page->Apply());
  EXPECT_EQ(S_OK, page->Deactivate());
  EXPECT_FALSE(IsWindow(dialog));
  ASSERT_EQ(S_OK, page->SetObjects(0, nullptr));
  control->Release();
}

TEST_F(ModuleTest, ResourcesCarryNamesPictureAndVersion) {
  HMODULE data = LoadLibraryExA(OcxPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, data);
  char text[128];
  ASSERT_GT(LoadStringA(data, 1, text, sizeof text), 0);
  EXPECT_STREQ("Marrock Web-to-Host Control Module v3", text);
  ASSERT_GT(LoadStringA(data, 2, text, sizeof text), 0);
  EXPECT_STREQ("Wevelink Property Page", text);
  ASSERT_GT(LoadStringA(data, 200, text, sizeof text), 0);
  EXPECT_STREQ("General", text);

  HBITMAP toolbox = (HBITMAP)LoadImageA(data, MAKEINTRESOURCEA(1), IMAGE_BITMAP, 0, 0,
                                        LR_CREATEDIBSECTION);
  ASSERT_NE(nullptr, toolbox);
  BITMAP picture = {};
  GetObjectA(toolbox, sizeof picture, &picture);
  EXPECT_EQ(16, picture.bmWidth);
  EXPECT_EQ(15, picture.bmHeight);
  EXPECT_EQ(24, picture.bmBitsPixel);
  DeleteObject(toolbox);
  FreeLibrary(data);

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(OcxPath().c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(OcxPath().c_str(), 0, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void**)&fixed, &length));
  EXPECT_EQ((DWORD)MAKELONG(2, 3), fixed->dwFileVersionMS);
  EXPECT_EQ((DWORD)MAKELONG(296, 1), fixed->dwFileVersionLS);
  struct Expected {
    const char* name;
    const char* value;
  };
  const Expected values[] = {
      {"FileVersion", "3, 2, 1, 296"},   {"ProductVersion", "3.2C1"},
      {"OriginalFilename", "Wevelink.Ocx"}, {"InternalName", "WEVELINK"},
      {"OLESelfRegister", ""},
  };
  for (const Expected& v : values) {
    SCOPED_TRACE(v.name);
    char* found = nullptr;
    std::string path = std::string("\\StringFileInfo\\040904E4\\") + v.name;
    ASSERT_TRUE(VerQueryValueA(block.data(), path.c_str(), (void**)&found, &length));
    EXPECT_STREQ(v.value, found);
  }
}

TEST_F(ModuleTest, TypeLibraryResourceDescribesTheEmptyControl) {
  WCHAR path[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, OcxPath().c_str(), -1, path, MAX_PATH);
  Held<ITypeLib> library;
  ASSERT_EQ(S_OK, LoadTypeLibEx(path, REGKIND_NONE, library.out()));
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(LIBID_WEVELINKLib, attributes->guid));
  EXPECT_EQ(1, attributes->wMajorVerNum);
  EXPECT_EQ(0, attributes->wMinorVerNum);
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr, helpFile = nullptr;
  ASSERT_EQ(S_OK, library->GetDocumentation(-1, &name, nullptr, nullptr, &helpFile));
  EXPECT_STREQ(L"WEVELINKLib", name);
  ASSERT_NE(nullptr, helpFile);
  EXPECT_NE(nullptr, wcsstr(helpFile, L"Wevelink.hlp"));
  SysFreeString(name);
  SysFreeString(helpFile);

  // The coclass names the empty dispinterface as default and the empty
  // event interface as default source.
  Held<ITypeInfo> coclass;
  ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(CLSID_WevelinkCtrl, coclass.out()));
  TYPEATTR* type = nullptr;
  ASSERT_EQ(S_OK, coclass->GetTypeAttr(&type));
  EXPECT_EQ(TKIND_COCLASS, type->typekind);
  EXPECT_EQ(2, type->cImplTypes);
  coclass->ReleaseTypeAttr(type);
  INT flags = 0;
  ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(1, &flags));
  EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE, flags);
  Held<ITypeInfo> events;
  ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(DIID__DWevelinkEvents, events.out()));
  ASSERT_EQ(S_OK, events->GetTypeAttr(&type));
  EXPECT_EQ(TKIND_DISPATCH, type->typekind);
  EXPECT_EQ(0, type->cVars);
  events->ReleaseTypeAttr(type);
}
