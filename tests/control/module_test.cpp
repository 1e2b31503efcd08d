// WEVELINK.OCX as a container meets it: class objects, unload rule, safety options and the module's
// end when the last object goes. package_test registers it through regsvr32.
#include <windows.h>
#include <ole2.h>
#include <objsafe.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>

#include "control/wevelink_ids.h"
#include "host_run.h"
#include "page_bag.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFn)();

std::string OcxPath() { return WinPathFromUnix(WEVELINK_OCX_UNIX_PATH); }

// Loaded from the build tree once, for the whole test program.
struct LoadedModule {
  HMODULE module = LoadLibraryA(OcxPath().c_str());
  GetClassObjectFn getClassObject =
      (GetClassObjectFn)(void*)GetProcAddress(module, "DllGetClassObject");
  CanUnloadNowFn canUnloadNow = (CanUnloadNowFn)(void*)GetProcAddress(module, "DllCanUnloadNow");

  HRESULT Create(REFCLSID clsid, REFIID iid, void** object) {
    Held<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, (void**)factory.out());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, iid, object);
  }
};

LoadedModule& Ocx() {
  static LoadedModule loaded;
  return loaded;
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, ole_.result);
    ASSERT_TRUE(Ocx().getClassObject && Ocx().canUnloadNow) << "cannot load " << OcxPath();
  }
  ScopedOle ole_;
};

}  // namespace

TEST_F(ModuleTest, ClassObjectsAnswerOnlyTheModulesClassesAndUnloadWaitsForObjectsAndLocks) {
  void* object = (void*)1;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
            Ocx().getClassObject(IID_IUnknown, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_POINTER, Ocx().getClassObject(CLSID_WevelinkCtrl, IID_IClassFactory, nullptr));
  Held<IClassFactory> factory;
  ASSERT_EQ(S_OK, Ocx().getClassObject(CLSID_WevelinkCtrl, IID_IClassFactory,
                                       (void**)factory.out()));
  Held<IPropertyBag> outer(PageBag(""));  // any object can ask to aggregate
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.p, IID_IUnknown, &object));
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
  DWORD options = 0;
  EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &options));
  EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, &options, nullptr));

  const struct {
    const char* name;
    const IID* iid;
    DWORD mask;
    DWORD enabled;
    HRESULT result;
  } sets[] = {
      {"IDispatch safe for scripting", &IID_IDispatch, kCaller, kCaller, E_FAIL},
      {"IDispatch safe for data", &IID_IDispatch, kData, kData, E_FAIL},
      {"IPersistStreamInit 2/2", &IID_IPersistStreamInit, kData, kData, S_OK},
      {"IPersistPropertyBag 3/2", &IID_IPersistPropertyBag, kCaller | kData, kData, E_FAIL},
      {"IPersistPropertyBag 2/0", &IID_IPersistPropertyBag, kData, 0, E_FAIL},
      {"not implemented 2/2", &IID_IPersistStorage, kData, kData, E_FAIL},
      {"IOleObject 2/2", &IID_IOleObject, kData, kData, E_FAIL},
  };
  for (const auto& c : sets) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, safety->SetInterfaceSafetyOptions(*c.iid, c.mask, c.enabled));
  }
}

// A container lets go of the module where DllCanUnloadNow says it may: it ends then, with no fixed
// pause, logging its end banner each time; the next object starts it again.
TEST_F(ModuleTest, EveryUnloadEndsTheModulePromptlyWithItsLog) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    DeleteEventLogs();
    IPersistPropertyBag* control = nullptr;
    ASSERT_EQ(S_OK, Ocx().Create(CLSID_WevelinkCtrl, IID_IPersistPropertyBag, (void**)&control));
    Held<IPropertyBag> params(
        PageBag("<param name=LogEvents value=Y><param name=LocalLaunch value=Y>"));
    EXPECT_EQ(S_OK, control->Load(params.p, nullptr));
    EXPECT_EQ(0u, control->Release());
    DWORD start = GetTickCount();
    EXPECT_EQ(S_OK, Ocx().canUnloadNow());
    EXPECT_LT(GetTickCount() - start, 60u);
    std::string log = ReadOnlyEventLog();
    EXPECT_NE(std::string::npos, log.find("Event Log Ended"));
  }
}
