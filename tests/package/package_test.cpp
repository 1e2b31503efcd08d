// The download package WEVELINK.CAB as a browser meets it, on SetupAPI and
// COM: it holds the module and its INF, the INF says what the code download
// needs, and the module extracted and registered as it says (every entry,
// removed again by regsvr32 /u) is the control the container loads.
// package_digest checks the signature (CMakeLists.txt).
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdio.h>

#include "control/wevelink_ids.h"
#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

std::string ControlClsid() {
  WCHAR wide[40];
  StringFromGUID2(CLSID_WevelinkCtrl, wide, 40);
  return std::string(wide, wide + wcslen(wide));
}

// Extracts every file of the cabinet into the folder that names->front() is.
UINT CALLBACK OnCabinetFile(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  auto* names = (std::vector<std::string>*)context;
  if (notification == SPFILENOTIFY_FILEINCABINET) {
    auto* info = (FILE_IN_CABINET_INFO_A*)param1;
    names->push_back(info->NameInCabinet);
    snprintf(info->FullTargetName, MAX_PATH, "%s\\%s", names->front().c_str(),
             info->NameInCabinet);
    return FILEOP_DOIT;
  }
  if (notification == SPFILENOTIFY_FILEEXTRACTED) return ((FILEPATHS_A*)param1)->Win32Error;
  return NO_ERROR;
}

// An INF line's value, all its fields, through SetupAPI's own parser.
std::string InfValue(HINF inf, const char* section, const char* key) {
  INFCONTEXT line;
  char value[MAX_PATH];
  if (!SetupFindFirstLineA(inf, section, key, &line) ||
      !SetupGetLineTextA(&line, nullptr, nullptr, nullptr, value, sizeof value, nullptr)) {
    return "(none)";
  }
  return value;
}

const char kPageKey[] = "CLSID\\{01D62089-DB72-4D35-AE5C-E5861904B675}";
const char kTypeLibKey[] = "TypeLib\\{01D62085-DB72-4D35-AE5C-E5861904B675}\\1.0";

DWORD Regsvr(const std::string& switches, const std::string& module) {
  DWORD exitCode = 255;
  std::string line = "regsvr32.exe " + switches + " \"" + module + "\"";
  EXPECT_TRUE(RunProgram(line, 60000, &exitCode)) << line;
  return exitCode;
}

// A class key's text value, "(none)" when missing.
std::string Text(const std::string& key, const char* name = "") {
  return RegSzText(HKEY_CLASSES_ROOT, key, name);
}

// The module's own version, written as the INF writes it.
std::string FileVersionOf(const std::string& path) {
  std::string block(GetFileVersionInfoSizeA(path.c_str(), nullptr) + 1, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, block.size(), &block[0]) ||
      !VerQueryValueA(&block[0], "\\", (void**)&fixed, &length)) {
    return "(none)";
  }
  char text[64];
  snprintf(text, sizeof text, "%u,%u,%u,%u", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
           LOWORD(fixed->dwFileVersionLS));
  return text;
}

TEST(DownloadPackage, SignedCabinetInstallsTheControlAsItsInfSays) {
  const std::string cabinet = WinPathFromUnix(PACKAGE_CAB_UNIX);
  const std::string folder = TestEnvDir() + "\\package-" + std::to_string(GetTickCount());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  std::vector<std::string> names = {folder};
  ASSERT_TRUE(SetupIterateCabinetA(cabinet.c_str(), 0, OnCabinetFile, &names))
      << cabinet << " error " << GetLastError();
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ((std::vector<std::string>{folder, "WEVELINK.INF", "WEVELINK.OCX"}), names);
  const std::string module = folder + "\\WEVELINK.OCX";

  // The INF, read by SetupAPI as the browser's code download reads it.
  const std::string infPath = folder + "\\WEVELINK.INF";
  HINF inf = SetupOpenInfFileA(infPath.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, inf) << "error " << GetLastError();
  const struct {
    const char* section;
    const char* key;
    std::string expected;
  } lines[] = {
      {"Add.Code", "WEVELINK.OCX", "WEVELINK.OCX"},
      // The key naming the module's file for the browser of this bitness only.
      {"WEVELINK.OCX", sizeof(void*) == 8 ? "file-win64-x64" : "file-win32-x86", "thiscab"},
      {"WEVELINK.OCX", sizeof(void*) == 8 ? "file-win32-x86" : "file-win64-x64", "(none)"},
      {"WEVELINK.OCX", "clsid", ControlClsid()},
      {"WEVELINK.OCX", "FileVersion", FileVersionOf(module)},
      {"WEVELINK.OCX", "RegisterServer", "yes"},
  };
  for (const auto& line : lines) {
    SCOPED_TRACE(std::string("[") + line.section + "] " + line.key);
    EXPECT_EQ(line.expected, InfValue(inf, line.section, line.key));
  }
  SetupCloseInfFile(inf);

  // RegisterServer=yes: regsvr32 writes the control, its page and its type
  // library machine-wide for the module where it was put (from a known
  // state; registering again changes nothing), and COM reads them.
  const std::string ctrl = "CLSID\\" + ControlClsid();
  ASSERT_EQ(0u, Regsvr("/s /u", module));  // removing nothing is fine
  ASSERT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl));
  ASSERT_EQ(0u, Regsvr("/s", module));
  ASSERT_EQ(0u, Regsvr("/s", module));
  EXPECT_EQ(0, lstrcmpiA(module.c_str(), Text(ctrl + "\\InprocServer32").c_str()));
  EXPECT_EQ("Apartment", Text(ctrl + "\\InprocServer32", "ThreadingModel"));
  EXPECT_EQ("131473", Text(ctrl + "\\MiscStatus\\1"));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, ctrl + "\\Control"));
  EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + ctrl));
  EXPECT_EQ("Apartment", Text(std::string(kPageKey) + "\\InprocServer32", "ThreadingModel"));
  const char* platform = sizeof(void*) == 8 ? "\\0\\win64" : "\\0\\win32";
  EXPECT_EQ(0, lstrcmpiA(module.c_str(), Text(kTypeLibKey + std::string(platform)).c_str()));
  CoInitialize(nullptr);
  CLSID fromProgId = CLSID_NULL;
  EXPECT_EQ(S_OK, CLSIDFromProgID(L"WEVELINK.WevelinkCtrl.1", &fromProgId));
  EXPECT_TRUE(IsEqualCLSID(CLSID_WevelinkCtrl, fromProgId));
  ITypeLib* registered = nullptr;
  EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_WEVELINKLib, 1, 0, LOCALE_USER_DEFAULT, &registered));
  if (registered != nullptr) registered->Release();
  CoUninitialize();

  // The container creates the control by its class: the extracted module
  // loads the page.
  DeleteEventLogs();
  const std::string url = PublishPage("package/installed.htm", ControlPage({{"LogEvents", "Y"}}));
  HostRun run = RunHost({url});
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exitCode);
  std::vector<std::string> log = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(HasLine(log, "Found Display Name: " + url));

  // /u removes every entry of the module's own and leaves others' keys (a
  // category registration, say, under the class).
  const std::string foreign = ctrl + "\\Implemented Categories";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, foreign.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegCloseKey(key);
  ASSERT_EQ(0u, Regsvr("/s /u", module));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, foreign));
  for (const std::string& gone :
       {ctrl + "\\InprocServer32", ctrl + "\\MiscStatus", std::string(kPageKey),
        std::string("WEVELINK.WevelinkCtrl.1"), std::string("WEVELINK.WevelinkPropPage.1"),
        std::string(kTypeLibKey),
        std::string("Interface\\{01D62086-DB72-4D35-AE5C-E5861904B675}")}) {
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, gone)) << gone;
  }
  DeleteRegTree(HKEY_CLASSES_ROOT, ctrl);
  EXPECT_TRUE(RegisterControl()) << "the build's module is the registered control again";
}

}  // namespace
