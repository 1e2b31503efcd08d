// The module's start-up folders: none depends on the platform family, so Wine stands for all.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/module_folders.h"
#include "test_support.h"

const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

TEST(ModuleFolders, WorkedOutFromThePlatform) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string download = std::string(temp) + "Kestrava";
  RemoveDirectoryA(download.c_str());  // empty unless a log is in it
  const char cache[] = "C:\\windows\\Downloaded Program Files";
  ASSERT_EQ(0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettings, "ActiveXCache", REG_SZ, cache,
                               sizeof cache));
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  EXPECT_EQ(testsupport::WindowsFolder() + "\\System", SystemFolderPath());
  EXPECT_STREQ(cache, ActiveXCacheFolderPath());
  EXPECT_EQ(download, DownloadFolderPath());
  EXPECT_TRUE(testsupport::FileExists(download));
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSettings, "ActiveXCache");
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  EXPECT_STREQ(TempFolderPath(), ActiveXCacheFolderPath());
}
