// The folders the module works out at its start, in the prefix's real
// registry and file system, under Wine's own version and, through this
// program run again, under the older families'.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include "base/module_folders.h"
#include "test_support.h"

using namespace testsupport;

namespace {

// Set when this program runs under an older version: "PLATFORM MAJOR.MINOR"
// as the run's GetVersionExA must give it.
const char kExpectedVersion[] = "WEVELINK_EXPECTED_VERSION";

const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

void SetActiveXCache(const char* value) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInternetSettings, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  if (value) {
    RegSetValueExA(key, "ActiveXCache", 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
  } else {
    RegDeleteValueA(key, "ActiveXCache");
  }
  RegCloseKey(key);
}

TEST(ModuleFolders, WorkedOutFromThePlatform) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string download = std::string(temp) + "Kestrava";
  RemoveDirectoryA(download.c_str());  // empty unless a log is in it
  SetActiveXCache("C:\\windows\\Downloaded Program Files");

  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  EXPECT_EQ(GetModuleHandleA(nullptr), ModuleResources());
  const char* expected = getenv(kExpectedVersion);
  if (expected) {
    char version[32];
    snprintf(version, sizeof version, "%lu %lu.%lu", PlatformVersion().dwPlatformId,
             PlatformVersion().dwMajorVersion, PlatformVersion().dwMinorVersion);
    EXPECT_STREQ(expected, version);
  } else {
    EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, PlatformVersion().dwPlatformId);
  }
  EXPECT_STREQ(temp, TempFolderPath());
  EXPECT_EQ('\\', TempFolderPath()[strlen(TempFolderPath()) - 1]);
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(std::string(windows) + "\\System", SystemFolderPath());
  EXPECT_STREQ("C:\\windows\\Downloaded Program Files", ActiveXCacheFolderPath());
  EXPECT_EQ(download, DownloadFolderPath());
  EXPECT_TRUE(FileExists(download));
  for (int group = 0; group < kComponentGroups; ++group) {
    SCOPED_TRACE(group);
    EXPECT_EQ(download, ComponentFolderPath(group));
  }
}

TEST(ModuleFolders, ActiveXCacheFallsBackToTheTemporaryFolder) {
  SetActiveXCache(nullptr);
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
      {"win95", "1 4.0"}, {"win98", "1 4.10"}, {"nt40", "2 4.0"}, {"win2k", "2 5.0"},
      {"winxp", "2 5.1"},
  };
  char self[MAX_PATH];
  ASSERT_LT(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    ScopedWineVersion version(self, c.version);
    ASSERT_FALSE(version.Program().empty());
    SetEnvironmentVariableA(kExpectedVersion, c.expected);
    DWORD code = 255;
    EXPECT_TRUE(RunProgram("\"" + version.Program() + "\" --gtest_brief=1"
                           " --gtest_filter=ModuleFolders.*-*OlderFamilies",
                           60000, &code));
    SetEnvironmentVariableA(kExpectedVersion, nullptr);
    EXPECT_EQ(0u, code);
  }
}

}  // namespace
