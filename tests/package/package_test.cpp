// WEVELINK.CAB as a browser meets it (SetupAPI, COM): its INF, the module registered as it says and
// removed again, and the Installer package. package_digest checks signatures (CMakeLists.txt).
#include <windows.h>
#include <msi.h>
#include <setupapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
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

  // RegisterServer=yes: regsvr32 registers the module from a known state, and again; what it
  // writes is InstallerPackage's reference.
  const std::string ctrl = "CLSID\\" + ControlClsid();
  ASSERT_EQ(0u, Regsvr("/s /u", module));  // removing nothing is fine
  ASSERT_EQ(0u, Regsvr("/s", module));
  ASSERT_EQ(0u, Regsvr("/s", module));

  // /u removes all the module's own entries, leaving others' keys (a category registration, say).
  const std::string foreign = ctrl + "\\Implemented Categories";
  ASSERT_EQ(0, RegSetKeyValueA(HKEY_CLASSES_ROOT, foreign.c_str(), nullptr, REG_SZ, "", 1));
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

// Every key and value below HKLM\\path, but in keys named Installer (Windows Installer's own
// records, read through its API) and in a Wow6432Node's own Wow6432Node (a link back under Wine).
typedef std::map<std::string, std::string> Registry;
Registry Snapshot(const std::string& path, REGSAM view = 0) {
  static char name[16384];
  static BYTE data[1 << 20];
  Registry out;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key)) return out;
  DWORD type = 0, nameLength = 0, dataLength = 0, i = 0;
  LONG rc = 0;
  for (; nameLength = sizeof name, dataLength = sizeof data,
       (rc = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength)) == 0;
       ++i) {
    out[path + "\t" + name] = std::to_string(type) + ":" + std::string((char*)data, dataLength);
  }
  out[path] = "key " + std::to_string(rc);  // ERROR_NO_MORE_ITEMS when all were read
  for (i = 0; nameLength = sizeof name,
       RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) == 0; ++i) {
    const bool again = lstrcmpiA(name, "Wow6432Node") == 0 && path.find("Wow6432Node") != path.npos;
    if (lstrcmpiA(name, "Installer") == 0 || again) continue;
    const Registry below = Snapshot(path + "\\" + name, view);
    out.insert(below.begin(), below.end());
  }
  RegCloseKey(key);
  return out;
}
typedef std::vector<std::pair<std::string, std::string>> Entries;
Entries Unlike(const Registry& a, const Registry& b) {  // the entries only one of them holds
  Entries only;
  std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
  return only;
}
std::string OnlyProduct() {  // of the package's upgrade code: "" for none, "many" for more
  char code[39] = "", other[39];
  MsiEnumRelatedProductsA("{" WEVELINK_MSI_UPGRADE_CODE "}", 0, 0, code);
  return MsiEnumRelatedProductsA("{" WEVELINK_MSI_UPGRADE_CODE "}", 0, 1, other) ? code : "many";
}

// The Installer package, run silently where the control is not, writes what regsvr32 writes in the
// module's view (not the 64-bit interface key copies 32-bit RegisterTypeLib adds); a page deploys
// through it, a newer package replaces it, and removal restores the drive and HKLM\\Software.
TEST(InstallerPackage, InstallsWhatRegsvr32WritesUpgradesAndRemovesItAll) {
  const std::string folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\MARROCK";
  const std::string module = folder + "\\Wevelink\\WEVELINK.OCX";
  auto msiexec = [](const std::string& args) {
    DWORD code = 255;
    return RunProgram("msiexec " + args + " /qn", 120000, &code) ? code : 255;
  };
  ASSERT_EQ(0u, Regsvr("/s /u", WinPathFromUnix(BUILD_MODULE_UNIX)));
  SHCreateDirectoryExA(nullptr, (folder + "\\Wevelink").c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(WinPathFromUnix(BUILD_MODULE_UNIX).c_str(), module.c_str(), FALSE));
  ASSERT_EQ(0u, Regsvr("/s", module));
  const Registry registered = Snapshot("Software\\Classes");
  ASSERT_EQ(0u, Regsvr("/s /u", module));
  RemoveTree(folder);
  CreateDirectoryA((WindowsFolder() + "\\Installer").c_str(), nullptr);  // the installer's own
  const Registry machine = Snapshot("Software", KEY_WOW64_64KEY);
  const DriveRecord drive = RecordDrive("C:");

  EXPECT_EQ(0u, msiexec("/i \"" + WinPathFromUnix(PACKAGE_MSI_UNIX) + "\""));
  const Registry installed = Snapshot("Software\\Classes");
  EXPECT_EQ(Entries(), Unlike(registered, installed));
  DeleteEventLogs();
  const std::string url = PublishPage("package/msi.htm", ControlPage({{"LogEvents", "Y"}}));
  EXPECT_EQ(0u, RunHost({url}).exitCode);
  EXPECT_TRUE(HasLine(LogLinesWithoutStamps(ReadOnlyEventLog()), "Found Display Name: " + url));

  const std::string first = OnlyProduct();
  EXPECT_EQ(0u, msiexec("/i \"" + WinPathFromUnix(PACKAGE_MSI_NEXT_UNIX) + "\""));
  const std::string second = OnlyProduct();  // the newer one, in place of the first
  EXPECT_TRUE(second != first && second != "many") << first << " " << second;
  EXPECT_EQ(Entries(), Unlike(installed, Snapshot("Software\\Classes")));

  EXPECT_EQ(0u, msiexec("/x " + second));
  EXPECT_EQ("", OnlyProduct());
  EXPECT_EQ(Entries(), Unlike(machine, Snapshot("Software", KEY_WOW64_64KEY)));
  const std::vector<std::string> page = {LowerCase(DownloadFolder()),  // what the page wrote
                                         LowerCase(ShellFolder(CSIDL_COOKIES))};
  EXPECT_EQ(std::vector<std::string>(), DriveChanges(drive, RecordDrive("C:"), page));
  EXPECT_TRUE(RegisterControl()) << "the build's module is the registered control again";
}

}  // namespace
