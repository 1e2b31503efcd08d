// The download package WEVELINK.CAB as a browser meets it, on SetupAPI and
// COM: it holds the module and its INF, the INF says what the code download
// needs, and the module extracted and registered as it says is the control
// the container loads. package_digest checks the signature (CMakeLists.txt).
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
      {"version", "signature", "$CHICAGO$"},
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

  // RegisterServer=yes: the module registers itself from where it was put.
  DWORD code = 1;
  ASSERT_TRUE(RunProgram("regsvr32.exe /s \"" + module + "\"", 60000, &code));
  ASSERT_EQ(0u, code);
  std::string server;
  EXPECT_TRUE(ReadRegString(HKEY_CLASSES_ROOT, "CLSID\\" + ControlClsid() + "\\InprocServer32",
                            "", &server));
  EXPECT_EQ(0, lstrcmpiA(module.c_str(), server.c_str())) << server;

  // The container creates the control by its class: the extracted module
  // loads the page.
  DeleteEventLogs();
  const std::string url = PublishPage("package/installed.htm", ControlPage({{"LogEvents", "Y"}}));
  HostRun run = RunHost({url});
  EXPECT_TRUE(RegisterControl()) << "the build's module is the registered control again";
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exitCode);
  std::vector<std::string> log = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(HasLine(log, "Found Display Name: " + url));
}

}  // namespace
