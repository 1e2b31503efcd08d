// Desktop mode in process: both files read, the folder trees on disk, a program looked for there,
// the installation keys, the uninstall entry and the installation's progress.
#include "config/desktop_initialization_file.h"

#include <windows.h>
#include <objbase.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/initialization_file.h"
#include "config/installation_keys.h"
#include "config/working_folders.h"
#include "desktop/desktop_installation.h"
#include "download/component_files.h"
#include "config_fixture.h"
#include "base/module_folders.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

using namespace std::string_literals;

namespace {

const DeploymentSettings& s = g_DeploymentSettings;

class DesktopTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    // A tree of its own whose parents do not exist yet.
    root_ = "C:\\WevelinkConfigTest" + std::to_string(GetTickCount());
  }
  std::string root_;
};

TEST_F(DesktopTest, FoldersKeysAndUninstallEntry) {
  WriteIni("site.ini", "[Kestrava]\r\nDesktopMode=setup/desk.ini\r\n");
  std::string install = root_ + "\\Apps\\Kestrava\\";  // trailing backslash
  WriteIni("desk.ini",
           "[KVSetup]\r\nDestinationDir=" + install + "\r\nWorkingDir=" + install +
               "Work\r\nConnection=s3\r\n"
               "[Program Group]\r\nUseGroup=yes\r\nGroupName=Host Access\r\n"
               "[Desktop Shortcuts]\r\nScriptingHost=y\r\n");
  ReadInitializationFile("site.ini");
  char path[MAX_PATH];
  ASSERT_TRUE(ComposeDesktopIniPath(path, sizeof path));
  EXPECT_EQ(std::string(DownloadFolderPath()) + "\\desk.ini", path);
  ReadDesktopInitializationFile();

  EXPECT_FALSE(s.SessionManagerShortcut);
  EXPECT_TRUE(s.ScriptingHostShortcut);

  CreateFolderTree();
  // Missing only when the platform says so: in a folder no one may look into, it is there.
  EXPECT_TRUE(IsFileMissing("KVMD.EXE", 0));
  SECURITY_DESCRIPTOR denied;
  ACL none;
  InitializeSecurityDescriptor(&denied, SECURITY_DESCRIPTOR_REVISION);
  InitializeAcl(&none, sizeof none, ACL_REVISION);
  SetSecurityDescriptorDacl(&denied, TRUE, &none, FALSE);
  ASSERT_TRUE(SetFileSecurityA(install.c_str(), DACL_SECURITY_INFORMATION, &denied));
  EXPECT_FALSE(IsFileMissing("KVMD.EXE", 0));
  SetSecurityDescriptorDacl(&denied, TRUE, nullptr, FALSE);  // anyone again
  EXPECT_TRUE(SetFileSecurityA(install.c_str(), DACL_SECURITY_INFORMATION, &denied));

  WritePreferredConnectionType(s.ConnectionType);
  EXPECT_EQ(install + '\0', Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "Installation Directory"));
  EXPECT_EQ("\0"s, Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "WorkingDirType"));
  EXPECT_EQ(install + "Work" + '\0', Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "Working Directory"));
  EXPECT_EQ("Host Access\0"s, Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "Program Group"));
  EXPECT_EQ("\0"s, Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "Preferred Connection Type"));
  EXPECT_EQ("Kestrava\0"s, Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
  EXPECT_EQ(install + "Unins.Exe" + '\0',
            Value(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
  EXPECT_FALSE(testsupport::RegKeyExists(HKEY_CURRENT_USER, kDesktopRoot));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DesktopTest, PersonalWorkingFolderGoesToTheUserHiveTwice) {
  WriteIni("personal.ini",
           "[Kestrava]\r\nDesktopMode=dp.ini\r\nUsePersonalFolderAsWorkingDir=Y\r\n");
  WriteIni("dp.ini", "[KVSetup]\r\nDestinationDir=" + root_ + "\\K\r\nWorkingDir=C:\\Ignored\r\n"
                     "[Program Group]\r\nUseGroup=no\r\nGroupName=not read\r\n");
  ReadInitializationFile("personal.ini");
  ReadDesktopInitializationFile();
  CreateFolderTree();

  std::string working = PersonalFolder() + "\\Kestrava";
  EXPECT_FALSE(s.GroupWanted);
  EXPECT_STREQ("", s.GroupName);
  EXPECT_TRUE(testsupport::FileExists(root_ + "\\K\\Certs"));
  EXPECT_EQ(working + '\0', Value(HKEY_CURRENT_USER, kWebRoot, "Working Directory"));
  EXPECT_EQ(working + '\0', Value(HKEY_CURRENT_USER, kDesktopRoot, "Working Directory"));
  EXPECT_EQ("missing", Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "Working Directory"));
  EXPECT_EQ("\x01"s, Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "WorkingDirType"));
}

TEST_F(DesktopTest, DefaultsOfTheDesktopFile) {
  WriteIni("plain.ini", "[Kestrava]\r\nDesktopMode=plain-desk.ini\r\n");
  WriteIni("plain-desk.ini", "[Program Group]\r\nUseGroup=yes\r\n");
  ReadInitializationFile("plain.ini");
  ReadDesktopInitializationFile();

  char windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
  std::string expected = std::string(1, windows[0]) + ":\\Program Files\\MARROCK\\Kestrava";
  EXPECT_EQ(expected, s.InstallFolder);
  EXPECT_EQ(expected, s.WorkingFolder);
  EXPECT_EQ(2, s.ConnectionType);
  EXPECT_TRUE(s.GroupWanted);
  EXPECT_STREQ("", s.GroupName);
}

}  // namespace
