// The folders the module works out at its start, under Wine's own version
// and, through this program run again, under the older families'.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include "base/module_folders.h"
#include "test_support.h"

namespace {

const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// "PLATFORM MAJOR.MINOR" that GetVersionExA must give a run under an older family.
const char kExpectedVersion[] = "WEVELINK_EXPECTED_VERSION";

TEST(ModuleFolders, WorkedOutFromThePlatform) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string download = std::string(temp) + "Kestrava";
  RemoveDirectoryA(download.c_str());  // empty unless a log is in it
  const char cache[] = "C:\\windows\\Downloaded Program Files";
  ASSERT_EQ(0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettings, "ActiveXCache", REG_SZ, cache,
                               sizeof cache));
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  EXPECT_EQ(GetModuleHandleA(nullptr), ModuleResources());
  char version[32];
  snprintf(version, sizeof version, "%lu %lu.%lu", PlatformVersion().dwPlatformId,
           PlatformVersion().dwMajorVersion, PlatformVersion().dwMinorVersion);
  const char* expected = getenv(kExpectedVersion);
  if (expected != nullptr) {
    EXPECT_STREQ(expected, version);
  } else {
    EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, PlatformVersion().dwPlatformId);
  }
  EXPECT_STREQ(temp, TempFolderPath());
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(std::string(windows) + "\\System", SystemFolderPath());
  EXPECT_STREQ(cache, ActiveXCacheFolderPath());
  EXPECT_EQ(download, DownloadFolderPath());
  EXPECT_TRUE(testsupport::FileExists(download));
  for (int group = 0; group < kComponentGroups; ++group) {
    EXPECT_EQ(download, ComponentFolderPath(group)) << group;
  }
  // Without the setting: the temporary folder.
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSettings, "ActiveXCache");
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  EXPECT_STREQ(TempFolderPath(), ActiveXCacheFolderPath());
}

// The same start on 9x, NT 4 and NT 5: the platform is read as Wine gives
// it, the folders (the system folder too) do not depend on it.
TEST(ModuleFolders, TheSameOnTheOlderFamilies) {
  const struct {
    const char* version;
    const char* expected;
  } cases[] = {
      {"win95", "1 4.0"},
      {"win98", "1 4.10"},
      {"nt40", "2 4.0"},
      {"win2k", "2 5.0"},
      {"winxp", "2 5.1"},
  };
  char self[MAX_PATH];
  ASSERT_LT(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    testsupport::ScopedWineVersion version(self, c.version);
    ASSERT_FALSE(version.Program().empty());
    SetEnvironmentVariableA(kExpectedVersion, c.expected);
    DWORD code = 255;
    EXPECT_TRUE(testsupport::RunProgram("\"" + version.Program() + "\" --gtest_brief=1"
                                        " --gtest_filter=*WorkedOutFromThePlatform",
                                        60000, &code));
    SetEnvironmentVariableA(kExpectedVersion, nullptr);
    EXPECT_EQ(0u, code);
  }
}

}  // namespace
