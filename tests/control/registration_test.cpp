// Self-registration through the platform's own tool: regsvr32 writes the
// control, its property page and its type library into the prefix's
// registry, COM finds and creates the control from there, and
// regsvr32 /u removes every entry again.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

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
const char kLibId[] = "{01D62085-DB72-4D35-AE5C-E5861904B675}";

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

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace

TEST(Registration, RegsvrWritesEveryEntryAndRemovesThemAgain) {
  ScopedOle ole;
  const std::string path = OcxPath();
  ASSERT_FALSE(path.empty());
  ASSERT_EQ(0u, RunRegsvr("/s /u"));  // from a known state; removing nothing is fine
  ASSERT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kCtrlKey));

  ASSERT_EQ(0u, RunRegsvr("/s"));

  // The control class.
  const std::string ctrl = kCtrlKey;
  EXPECT_EQ("Marrock Web-to-Host Control Module v3", Text(ctrl));
  EXPECT_TRUE(SamePath(path, Text(ctrl + "\\InprocServer32"))) << Text(ctrl + "\\InprocServer32");
  EXPECT_EQ("Apartment", Text(ctrl + "\\InprocServer32", "ThreadingModel"));
  EXPECT_EQ("WEVELINK.WevelinkCtrl.1", Text(ctrl + "\\ProgID"));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl + "\\Control"));
  EXPECT_EQ("0", Text(ctrl + "\\MiscStatus"));
  EXPECT_EQ("131473", Text(ctrl + "\\MiscStatus\\1"));
  EXPECT_TRUE(SamePath(path + ", 1", Text(ctrl + "\\ToolboxBitmap32")))
      << Text(ctrl + "\\ToolboxBitmap32");
  EXPECT_EQ(kLibId, Text(ctrl + "\\TypeLib"));
  EXPECT_EQ("1.0", Text(ctrl + "\\Version"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl + "\\Insertable"));
  // HKCR is a view: machine-wide entries live under HKLM\Software\Classes.
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + ctrl));

  // The ProgIDs lead back to their classes.
  EXPECT_EQ("{01D62088-DB72-4D35-AE5C-E5861904B675}", Text("WEVELINK.WevelinkCtrl.1\\CLSID"));
  EXPECT_EQ("{01D62089-DB72-4D35-AE5C-E5861904B675}",
            Text("WEVELINK.WevelinkPropPage.1\\CLSID"));

  // The property page class.
  const std::string page = kPageKey;
  EXPECT_EQ("Wevelink Property Page", Text(page));
  EXPECT_TRUE(SamePath(path, Text(page + "\\InprocServer32")));
  EXPECT_EQ("Apartment", Text(page + "\\InprocServer32", "ThreadingModel"));

  // The type library, for this platform.
  const std::string library = kTypeLibKey;
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, library));
  const char* platform = sizeof(void*) == 8 ? "\\0\\win64" : "\\0\\win32";
  EXPECT_TRUE(SamePath(path, Text(library + platform))) << Text(library + platform);

  // COM reads the entries as a container would.
  CLSID fromProgId = CLSID_NULL;
  EXPECT_EQ(S_OK, CLSIDFromProgID(L"WEVELINK.WevelinkCtrl.1", &fromProgId));
  EXPECT_TRUE(IsEqualCLSID(CLSID_WevelinkCtrl, fromProgId));
  DWORD status = 0;
  EXPECT_EQ(S_OK, OleRegGetMiscStatus(CLSID_WevelinkCtrl, DVASPECT_CONTENT, &status));
  EXPECT_EQ(0x20191u, status);
  ITypeLib* registered = nullptr;
  EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_WEVELINKLib, 1, 0, LOCALE_USER_DEFAULT, &registered));
  if (registered != nullptr) registered->Release();
  IOleObject* object = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WevelinkCtrl, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IOleObject, (void**)&object));
  status = 0;
  EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
  EXPECT_EQ(0x20191u, status);
  object->Release();

  // Registering again changes nothing.
  ASSERT_EQ(0u, RunRegsvr("/s"));
  EXPECT_EQ("131473", Text(ctrl + "\\MiscStatus\\1"));

  ASSERT_EQ(0u, RunRegsvr("/s /u"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, page));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "WEVELINK.WevelinkCtrl.1"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "WEVELINK.WevelinkPropPage.1"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, library));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT,
                            "Interface\\{01D62086-DB72-4D35-AE5C-E5861904B675}"));
  CLSID none = CLSID_NULL;
  EXPECT_NE(S_OK, CLSIDFromProgID(L"WEVELINK.WevelinkCtrl.1", &none));
}

TEST(Registration, UnregisteringLeavesOtherEntriesOfTheClassAlone) {
  ScopedOle ole;
  ASSERT_EQ(0u, RunRegsvr("/s"));
  // Something else (a category registration, say) put a key of its own
  // under the control's CLSID.
  const std::string foreign = std::string(kCtrlKey) + "\\Implemented Categories";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, foreign.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);

  ASSERT_EQ(0u, RunRegsvr("/s /u"));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, foreign));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, std::string(kCtrlKey) + "\\InprocServer32"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, std::string(kCtrlKey) + "\\MiscStatus"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "WEVELINK.WevelinkCtrl.1"));
  DeleteRegTree(HKEY_CLASSES_ROOT, kCtrlKey);
}
