// Self-registration through the platform's own tool: regsvr32 writes the
// control, its property page and its type library into the prefix's
// registry (the container tests create the control from there), and
// regsvr32 /u removes every entry of its own, leaving others' keys.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "control/wevelink_ids.h"
#include "test_container.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const char kCtrlKey[] = "CLSID\\{01D62088-DB72-4D35-AE5C-E5861904B675}";
const char kPageKey[] = "CLSID\\{01D62089-DB72-4D35-AE5C-E5861904B675}";
const char kTypeLibKey[] = "TypeLib\\{01D62085-DB72-4D35-AE5C-E5861904B675}\\1.0";

DWORD RunRegsvr(const std::string& switches) {
  DWORD exitCode = 255;
  std::string line = "regsvr32.exe " + switches + " \"" + OcxPath() + "\"";
  EXPECT_TRUE(RunProgram(line, 60000, &exitCode)) << line;
  return exitCode;
}

std::string Text(const std::string& key, const char* name = "") {
  std::string value;
  if (!ReadRegString(HKEY_CLASSES_ROOT, key, name, &value)) return "<missing>";
  return value;
}

}  // namespace

TEST(Registration, RegsvrWritesEveryEntryAndRemovesThemAgain) {
  ScopedOle ole;
  const std::string ctrl = kCtrlKey;
  ASSERT_EQ(0u, RunRegsvr("/s /u"));  // from a known state; removing nothing is fine
  ASSERT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl));
  ASSERT_EQ(0u, RunRegsvr("/s"));
  ASSERT_EQ(0u, RunRegsvr("/s"));  // registering again changes nothing

  EXPECT_EQ(0, lstrcmpiA(OcxPath().c_str(), Text(ctrl + "\\InprocServer32").c_str()));
  EXPECT_EQ("Apartment", Text(ctrl + "\\InprocServer32", "ThreadingModel"));
  EXPECT_EQ("131473", Text(ctrl + "\\MiscStatus\\1"));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl + "\\Control"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl + "\\Insertable"));
  // Machine-wide: HKCR shows HKLM\Software\Classes.
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + ctrl));
  EXPECT_EQ("Apartment", Text(std::string(kPageKey) + "\\InprocServer32", "ThreadingModel"));
  const char* platform = sizeof(void*) == 8 ? "\\0\\win64" : "\\0\\win32";
  EXPECT_EQ(0, lstrcmpiA(OcxPath().c_str(), Text(kTypeLibKey + std::string(platform)).c_str()));

  // COM reads the entries as a container would.
  CLSID fromProgId = CLSID_NULL;
  EXPECT_EQ(S_OK, CLSIDFromProgID(L"WEVELINK.WevelinkCtrl.1", &fromProgId));
  EXPECT_TRUE(IsEqualCLSID(CLSID_WevelinkCtrl, fromProgId));
  ITypeLib* registered = nullptr;
  EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_WEVELINKLib, 1, 0, LOCALE_USER_DEFAULT, &registered));
  if (registered != nullptr) registered->Release();

  // Something else (a category registration, say) has a key under the class.
  const std::string foreign = ctrl + "\\Implemented Categories";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, foreign.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);
  ASSERT_EQ(0u, RunRegsvr("/s /u"));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, foreign));
  for (const std::string& gone :
       {ctrl + "\\InprocServer32", ctrl + "\\MiscStatus", std::string(kPageKey),
        std::string("WEVELINK.WevelinkCtrl.1"), std::string("WEVELINK.WevelinkPropPage.1"),
        std::string(kTypeLibKey),
        std::string("Interface\\{01D62086-DB72-4D35-AE5C-E5861904B675}")}) {
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, gone)) << gone;
  }
  DeleteRegTree(HKEY_CLASSES_ROOT, kCtrlKey);
}
