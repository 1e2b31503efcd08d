// Configuration on the prefix's registry and folders: ini file, values, denied keys, shell folders.
#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include "base/module_folders.h"
#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/deployment_settings_private.h"
#include "config/emulator_registry.h"
#include "config/ini_reader.h"
#include "config/initialization_file.h"
#include "config/installation_keys.h"
#include "config/special_folders.h"
#include "config_fixture.h"
#include "test_support.h"

using namespace std::string_literals;

namespace {

const DeploymentSettings& s = g_DeploymentSettings;

// A value as stored under the root or a subkey: its exact bytes and type; "missing" for none.
struct Stored {
  const char* subkey;
  const char* name;
  std::string bytes;
  DWORD type;
};

void ExpectStored(HKEY hive, const std::vector<Stored>& rows) {
  for (const Stored& row : rows) {
    SCOPED_TRACE(std::string(row.subkey) + "\\" + row.name);
    DWORD type = 0;
    std::string bytes = "missing";
    testsupport::ReadRegValue(hive, kWebRoot + std::string(row.subkey), row.name, &type, &bytes);
    EXPECT_EQ(row.bytes, bytes);
    EXPECT_EQ(row.type, type);
  }
}

TEST_F(ConfigTest, WebModeUserHiveWorkingFolderLockAndSupportLines) {
  WriteIni("web1.ini",
           "[Kestrava]\r\nCDVersion=4.0X\r\nBaseRegistry=2\r\nUsePersonalFolderAsWorkingDir=yes\r\n"
           "[Configuration Lock Feature]\r\nLockFTP=12abc\r\n"
           "[HLLAPI]\r\nConnectRetryMilliseconds=250\r\n"
           "[Mainframe Display]\r\nShortCutURL=%kv%\\start.htm\r\nShortCutLabel=Host\r\n"
           "[AS/400 Printer]\r\nShortCutLabel=no URL, not read\r\n"
           "[Support]\r\nLine1=Call the help desk\r\nLine2=?hidden\r\nLine3=\r\nLine9=last\r\n"
           "[About]\r\nName=Acme Host Access\r\n");
  ReadInitializationFile("http://web/cfg/web1.ini");
  char local[MAX_PATH];
  ASSERT_TRUE(ComposeLocalIniPath("http://web/cfg/web1.ini", local, sizeof local));
  WriteSupportInfo(local);
  const std::string working = PersonalFolder() + "\\Kestrava";
  EXPECT_EQ(working, s.WorkingFolder);
  EXPECT_TRUE(testsupport::FileExists(working + "\\Traces"));  // the folder tree made
  ExpectStored(HKEY_CURRENT_USER, {
      {"", "CDVersion", "4.0X\0"s, REG_SZ},
      {"", "BaseRegistry", "\x02"s, REG_BINARY},
      {"", "WorkingDirType", "\x01"s, REG_BINARY},
      {"", "LockFTP", "\x0C\0\0\0"s, REG_BINARY},
      {"", "HllapiConnectRetry", "\xFA\0\0\0"s, REG_BINARY},
      {"\\Support", "Line1", "Call the help desk\0"s, REG_SZ},
      {"\\Support", "Line2", "missing", 0},
      {"\\Support", "Line3", "\0"s, REG_SZ},
      {"\\Support", "Line9", "last\0"s, REG_SZ},
      {"\\About", "Name", "Acme Host Access\0"s, REG_SZ},
  });
  EXPECT_FALSE(testsupport::RegKeyExists(HKEY_LOCAL_MACHINE, kWebRoot));
  const KindShortcut* kinds = s.KindShortcuts;
  EXPECT_EQ(std::string(TempFolderPath()) + "Kestrava\\start.htm", kinds[0].Url);
  EXPECT_FALSE(kinds[3].Wanted);
}

// Reread by the launcher: another desktop file is ignored, DesktopMode stays on, kinds stay wanted.
TEST_F(ConfigTest, DesktopModeStaysOnAndWantedKindsStayWanted) {
  WriteIni("twice.ini",
           "[Kestrava]\r\nDesktopMode=setup/desk.ini\r\nCDVersion=first\r\n"
           "[AS/400 Display]\r\nShortCutURL=http://web/ad.htm\r\nShortCutLabel=AS400\r\n");
  ReadInitializationFile("twice.ini");
  WriteIni("twice.ini",
           "[Kestrava]\r\nDesktopMode=other/d2.ini\r\n"
           "[AS/400 Display]\r\nShortCutLabel=changed\r\n");
  ReadInitializationFile("twice.ini");
  WriteIni("twice.ini", "[Kestrava]\r\nCDVersion=third\r\n");
  ReadInitializationFile("twice.ini");
  EXPECT_TRUE(s.DesktopMode);
  EXPECT_STREQ("setup/desk.ini", s.DesktopIniName);
  EXPECT_FALSE(testsupport::RegKeyExists(HKEY_LOCAL_MACHINE, kWebRoot));
  EXPECT_TRUE(s.KindShortcuts[2].Wanted);
  EXPECT_STREQ("http://web/ad.htm", s.KindShortcuts[2].Url);
  EXPECT_STREQ("AS400", s.KindShortcuts[2].Label);
}

// Custom shortcuts expand against the mode's base folder. A distribution
// file's own section with empty DestDir and Run sets nothing up.
TEST_F(ConfigTest, CustomShortcutsAndDistributionFileSections) {
  WriteIni("custom.ini",
           "[Custom Shortcuts]\r\nShortCut1=%kv%\\KVSH.EXE /run\r\nShortCutLabel1=Scripts\r\n"
           "ShortCut2=http://web/help.htm\r\nShortCutLabel2=" + std::string(100, 'L') + "\r\n"
           "ShortCutLabel4=not read\r\n"
           "ShortCut6=%kv%\\" + std::string(250, 'p') + "\r\n"
           "[RUNEMPTY.CAB]\r\nDestDir=\r\nRun=\r\n");
  EXPECT_EQ(0, GetDistFileSetupKind("custom.ini", "runempty.cab"));
  g_DeploymentSettings.CustomShortcuts[3].Label[0] = 'o';  // kept: its target is empty
  CopyText(g_DeploymentSettings.CustomShortcuts[4].Target, kSettingPathCapacity, "stale");
  ReadCustomShortcuts("custom.ini");
  const CustomShortcut* c = s.CustomShortcuts;
  EXPECT_EQ(std::string(TempFolderPath()) + "Kestrava\\KVSH.EXE /run", c[0].Target);
  EXPECT_EQ(std::string(63, 'L'), c[1].Label);  // cut to the field
  EXPECT_EQ(259u, strlen(c[5].Target));
  EXPECT_STREQ("o", c[3].Label);
  EXPECT_STREQ("", c[4].Target);
  g_DeploymentSettings.DesktopMode = true;
  CopyText(g_DeploymentSettings.InstallFolder, kSettingPathCapacity, "D:\\Apps\\Kestrava");
  ReadCustomShortcuts("custom.ini");
  EXPECT_STREQ("D:\\Apps\\Kestrava\\KVSH.EXE /run", c[0].Target);
}

// Uncreatable keys stand for a user without rights: one box per failure; the writes go on or stop.
std::string Box(const std::string& key) {
  return "Web-to-Host Control\tUnable to create key: " + key + "\t0x10030";
}

TEST_F(ConfigTest, DeniedEmulatorRootIsReportedOnceAndNothingIsWritten) {
  DenyKey(HKEY_LOCAL_MACHINE, kWebRoot);
  WriteIni("denied.ini", "[Kestrava]\r\nCDVersion=9\r\n[Support]\r\nLine1=x\r\n");
  ReadInitializationFile("denied.ini");
  WriteComponentValue("KVMD.PRO", 7);
  const std::string root = Box("HKEY_LOCAL_MACHINE\\Software\\MARROCK\\Kestrava Web");
  EXPECT_EQ((std::vector<std::string>{root, root}), Boxes());
  AllowDeniedKeys();
  EXPECT_EQ("missing", Value(HKEY_LOCAL_MACHINE, kWebRoot, "CDVersion"));
  EXPECT_EQ("missing", Value(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO"));
}

// No BaseRegistry: settings and defaults go to HKLM; the working folder, always in HKCU, is denied.
TEST_F(ConfigTest, DefaultsToTheMachineHiveAndADeniedWorkingFolderKeyIsReported) {
  DenyKey(HKEY_CURRENT_USER, kWebRoot);
  WriteIni("wd.ini",
           "[Kestrava]\r\nUsePersonalFolderAsWorkingDir=yes\r\n"
           "[Configuration Lock Feature]\r\nLock=3\r\n");
  ReadInitializationFile("wd.ini");
  EXPECT_EQ((std::vector<std::string>{Box("HKEY_CURRENT_USER\\Software\\MARROCK\\Kestrava Web")}),
            Boxes());
  ExpectStored(HKEY_LOCAL_MACHINE, {
      {"", "BaseRegistry", "\0"s, REG_BINARY},
      {"", "CDVersion", "3.2C1\0"s, REG_SZ},
      {"", "WorkingDirType", "\x01"s, REG_BINARY},
      {"", "Lock", "\x03\0\0\0"s, REG_BINARY},
      {"", "HllapiConnectRetry", "\0\0\0\0"s, REG_BINARY},
  });
}

TEST_F(ConfigTest, DeniedDesktopRootInstallationKeysGoOnToUninstallEntry) {
  g_DeploymentSettings.DesktopMode = true;
  g_DeploymentSettings.BaseRegistry = 2;
  CopyText(g_DeploymentSettings.InstallFolder, kSettingPathCapacity, "C:\\K");
  DenyKey(HKEY_CURRENT_USER, kDesktopRoot);
  WriteInstallationKeys();
  WritePreferredConnectionType(3);  // silent
  WriteComponentValue("KVMD.EXE", 1);  // silent in desktop mode
  EXPECT_EQ((std::vector<std::string>{Box("HKEY_CURRENT_USER\\Software\\MARROCK\\Kestrava")}),
            Boxes());
  EXPECT_EQ("C:\\K\\Unins.Exe\0"s, Value(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
}

// A folder is refused with the buffer untouched for a number without one or a path too long (the
// personal folder is the working folder above). The NT family's common desktop is made if missing.
TEST_F(ConfigTest, SpecialFoldersRefusedOrMadeWhenMissing) {
  char path[MAX_PATH];
  for (int csidl : {CSIDL_DRIVES, 0xFE}) {
    CopyText(path, sizeof path, "unchanged");
    EXPECT_EQ(E_INVALIDARG, GetSpecialFolder(csidl, path, sizeof path)) << csidl;
    EXPECT_STREQ("unchanged", path);
  }
  char small[4] = "abc";
  EXPECT_EQ(E_INVALIDARG, GetSpecialFolder(CSIDL_PERSONAL, small, sizeof small));
  EXPECT_STREQ("abc", small);
  ASSERT_EQ((DWORD)VER_PLATFORM_WIN32_NT, PlatformVersion().dwPlatformId);
  char common[MAX_PATH] = "";
  ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, 0, common));
  // Removed only when empty; other tests of the run may have put shortcuts there.
  bool removed = RemoveDirectoryA(common);
  EXPECT_TRUE(GetDesktopFolder(path, sizeof path));
  EXPECT_EQ(std::string(common) + "\\", path);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(common)) << "removed: " << removed;
  CreateDirectoryA(common, nullptr);  // for the tests that follow, whatever happened
}

}  // namespace
