// The folders the module works out at its start, in the prefix's real
// registry and file system.
#include <windows.h>

#include <gtest/gtest.h>

#include "control/module_state.h"
#include "test_support.h"

using namespace testsupport;

namespace {

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
  EXPECT_EQ(GetModuleHandleA(nullptr), g_ModuleInstance);
  EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, g_PlatformVersion.dwPlatformId);
  EXPECT_STREQ(temp, g_TempFolder);
  EXPECT_EQ('\\', g_TempFolder[strlen(g_TempFolder) - 1]);
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(std::string(windows) + "\\System", g_SystemFolder);
  EXPECT_STREQ("C:\\windows\\Downloaded Program Files", g_ActiveXCacheFolder);
  EXPECT_EQ(download, g_DownloadFolder);
  EXPECT_TRUE(FileExists(download));
  for (int group = 0; group < kComponentGroups; ++group) {
    SCOPED_TRACE(group);
    EXPECT_EQ(download, g_ComponentFolder[group]);
  }
}

TEST(ModuleFolders, ActiveXCacheFallsBackToTheTemporaryFolder) {
  SetActiveXCache(nullptr);
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  EXPECT_STREQ(g_TempFolder, g_ActiveXCacheFolder);
}

}  // namespace
