// Shell special folders in the prefix: found, created when missing,
// refused for numbers without a file-system folder.
#include "config/special_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "base/portable/bounded_text.h"
#include "config_fixture.h"
#include "base/module_folders.h"

namespace {

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}

TEST_F(ConfigTest, SpecialFolderFoundOrPathLeftAlone) {
  char path[MAX_PATH] = "unchanged";
  EXPECT_EQ(S_OK, GetSpecialFolder(CSIDL_PERSONAL, path, sizeof path));
  // Wine's item list gives the folder with a trailing backslash.
  std::string found = path;
  if (!found.empty() && found.back() == '\\') found.pop_back();
  EXPECT_EQ(ShellFolder(CSIDL_PERSONAL), found);

  for (int csidl : {CSIDL_DRIVES, 0xFE}) {
    CopyText(path, sizeof path, "unchanged");
    EXPECT_EQ(E_INVALIDARG, GetSpecialFolder(csidl, path, sizeof path)) << csidl;
    EXPECT_STREQ("unchanged", path);
  }
  // A folder that does not fit the caller's buffer is refused, not cut.
  char small[4] = "abc";
  EXPECT_EQ(E_INVALIDARG, GetSpecialFolder(CSIDL_PERSONAL, small, sizeof small));
  EXPECT_STREQ("abc", small);
}

TEST_F(ConfigTest, DesktopOfAllUsersOnTheNtFamilyCreatedWhenMissing) {
  ASSERT_EQ((DWORD)VER_PLATFORM_WIN32_NT, PlatformVersion().dwPlatformId);
  std::string common = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ASSERT_FALSE(common.empty());
  // Removed only when empty; other tests of the run may have put shortcuts there.
  bool removed = RemoveDirectoryA(common.c_str());

  char path[MAX_PATH] = "";
  EXPECT_TRUE(GetDesktopFolder(path, sizeof path));
  EXPECT_EQ(common + "\\", path);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(common.c_str())) << "removed: " << removed;
  CreateDirectoryA(common.c_str(), nullptr);  // for the tests that follow, whatever happened
}

}  // namespace
