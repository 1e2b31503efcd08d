// The initialization file read for real with the platform's profile reader,
// its settings, the emulator values it writes and the custom shortcuts.
#include "config/initialization_file.h"

#include <windows.h>
#include <string.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/emulator_registry.h"
#include "config/ini_reader.h"
#include "config_fixture.h"
#include "base/module_folders.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

using namespace std::string_literals;

namespace {

const DeploymentSettings& s = g_DeploymentSettings;

TEST_F(ConfigTest, WebModeUserHivePersonalWorkingFolderAndLock) {
  WriteIni("web1.ini",
           "[Kestrava]\r\nCDVersion=4.0X\r\nBaseRegistry=2\r\n"
           "UsePersonalFolderAsWorkingDir=yes\r\n"
           "[Configuration Lock Feature]\r\nLock=-1\r\nLockFTP=12abc\r\n"
           "[HLLAPI]\r\nConnectRetryMilliseconds=250\r\n"
           "[Mainframe Display]\r\nShortCutURL=%kv%\\start.htm\r\nShortCutLabel=Host\r\n"
           "[VT]\r\nShortCutURL=http://web/vt.htm\r\n"
           "[AS/400 Printer]\r\nShortCutLabel=no URL, not read\r\n");
  ReadInitializationFile("http://web/cfg/web1.ini");

  EXPECT_FALSE(s.DesktopMode);
  EXPECT_EQ(2, s.BaseRegistry);
  EXPECT_EQ(1, s.WorkingDirType);
  std::string working = PersonalFolder() + "\\Kestrava";
  EXPECT_EQ(working, s.WorkingFolder);
  for (const char* sub : {"", "\\Config", "\\Certs", "\\Macros", "\\Scripts", "\\Transfer",
                          "\\Spool", "\\Traces"}) {
    DWORD attributes = GetFileAttributesA((working + sub).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << working + sub;
  }

  DWORD type = 0;
  EXPECT_EQ("4.0X\0"s, Value(HKEY_CURRENT_USER, kWebRoot, "CDVersion", &type));
  EXPECT_EQ((DWORD)REG_SZ, type);
  EXPECT_EQ("\x02"s, Value(HKEY_CURRENT_USER, kWebRoot, "BaseRegistry", &type));
  EXPECT_EQ((DWORD)REG_BINARY, type);
  EXPECT_EQ("\x01"s, Value(HKEY_CURRENT_USER, kWebRoot, "WorkingDirType"));
  EXPECT_EQ("\xFF\xFF\xFF\xFF"s, Value(HKEY_CURRENT_USER, kWebRoot, "Lock", &type));
  EXPECT_EQ((DWORD)REG_BINARY, type);
  EXPECT_EQ("\x0C\0\0\0"s, Value(HKEY_CURRENT_USER, kWebRoot, "LockFTP"));
  EXPECT_EQ("\xFA\0\0\0"s, Value(HKEY_CURRENT_USER, kWebRoot, "HllapiConnectRetry"));
  EXPECT_EQ(working + '\0', Value(HKEY_CURRENT_USER, kWebRoot, "Working Directory", &type));
  EXPECT_EQ((DWORD)REG_SZ, type);
  EXPECT_FALSE(testsupport::RegKeyExists(HKEY_LOCAL_MACHINE, kWebRoot));

  const KindShortcut* kinds = s.KindShortcuts;
  EXPECT_TRUE(kinds[0].Wanted);
  EXPECT_EQ(std::string(TempFolderPath()) + "Kestrava\\start.htm", kinds[0].Url);
  EXPECT_STREQ("Host", kinds[0].Label);
  EXPECT_TRUE(kinds[5].Wanted);
  EXPECT_STREQ("http://web/vt.htm", kinds[5].Url);
  EXPECT_FALSE(kinds[3].Wanted);
  EXPECT_STREQ("", kinds[3].Label);
  EXPECT_TRUE(Boxes().empty());
}

// Each row is a fresh module reading a file of its own.
TEST_F(ConfigTest, DefaultsAndTheHiveThatBaseRegistryChooses) {
  struct {
    const char* kestrava;  // lines of the [Kestrava] section
    HKEY hive;
    const char* storedBase;
  } rows[] = {
      {"BaseRegistry=1\r\nUsePersonalFolderAsWorkingDir=1\r\n", HKEY_LOCAL_MACHINE, "\x01"},
      {"", HKEY_LOCAL_MACHINE, "\0"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    ResetModule();
    std::string name = "defaults" + std::to_string(i) + ".ini";
    WriteIni(name, "[Kestrava]\r\n"s + rows[i].kestrava + "[Configuration Lock Feature]\r\n"
                   "Lock=abc\r\n");
    ReadInitializationFile(name.c_str());
    HKEY other = rows[i].hive == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    EXPECT_FALSE(testsupport::RegKeyExists(other, kWebRoot));
    EXPECT_EQ(std::string(rows[i].storedBase, 1), Value(rows[i].hive, kWebRoot, "BaseRegistry"));
    EXPECT_EQ("3.2C1\0"s, Value(rows[i].hive, kWebRoot, "CDVersion"));
    EXPECT_EQ("\0"s, Value(rows[i].hive, kWebRoot, "WorkingDirType"));
    EXPECT_EQ("\0\0\0\0"s, Value(rows[i].hive, kWebRoot, "Lock"));
    EXPECT_EQ("\0\0\0\0"s, Value(rows[i].hive, kWebRoot, "HllapiConnectRetry"));
    EXPECT_EQ("missing", Value(HKEY_CURRENT_USER, kWebRoot, "Working Directory"));
    EXPECT_FALSE(s.DesktopMode);
  }
}

TEST_F(ConfigTest, SupportLinesSkipQuestionMarksButKeepEmptyLines) {
  std::string path = WriteIni("support.ini",
                              "[Kestrava]\r\nBaseRegistry=2\r\n"
                              "[Support]\r\nLine1=Call the help desk\r\nLine2=?hidden\r\n"
                              "Line3=\r\nLine9=last\r\n"
                              "[About]\r\nName=Acme Host Access\r\nPhone=?\r\nINet=http://acme\r\n");
  ReadInitializationFile("support.ini");
  char local[MAX_PATH];
  ASSERT_TRUE(ComposeLocalIniPath("support.ini", local, sizeof local));
  EXPECT_EQ(path, local);
  WriteSupportInfo(local);

  std::string support = kWebRoot + "\\Support"s;
  std::string about = kWebRoot + "\\About"s;
  EXPECT_EQ("Call the help desk\0"s, Value(HKEY_CURRENT_USER, support, "Line1"));
  EXPECT_EQ("missing", Value(HKEY_CURRENT_USER, support, "Line2"));
  DWORD type = 0;
  EXPECT_EQ("\0"s, Value(HKEY_CURRENT_USER, support, "Line3", &type));
  EXPECT_EQ((DWORD)REG_SZ, type);
  EXPECT_EQ("missing", Value(HKEY_CURRENT_USER, support, "Line4"));
  EXPECT_EQ("last\0"s, Value(HKEY_CURRENT_USER, support, "Line9"));
  EXPECT_EQ("Acme Host Access\0"s, Value(HKEY_CURRENT_USER, about, "Name"));
  EXPECT_EQ("missing", Value(HKEY_CURRENT_USER, about, "Phone"));
  EXPECT_EQ("missing", Value(HKEY_CURRENT_USER, about, "Info1"));
  EXPECT_EQ("http://acme\0"s, Value(HKEY_CURRENT_USER, about, "INet"));
}

TEST_F(ConfigTest, DesktopModeStaysOnAndWantedKindsStayWanted) {
  WriteIni("twice.ini",
           "[Kestrava]\r\nDesktopMode=setup/desk.ini\r\nCDVersion=first\r\n"
           "[AS/400 Display]\r\nShortCutURL=http://web/ad.htm\r\nShortCutLabel=AS400\r\n");
  ReadInitializationFile("twice.ini");
  EXPECT_TRUE(s.DesktopMode);
  EXPECT_STREQ("setup/desk.ini", s.DesktopIniName);
  EXPECT_EQ("first\0"s, Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "CDVersion"));
  EXPECT_FALSE(testsupport::RegKeyExists(HKEY_LOCAL_MACHINE, kWebRoot));

  // The launcher's reading: another desktop file is not taken, no
  // DesktopMode does not switch back, an empty URL leaves the kind wanted.
  WriteIni("twice.ini",
           "[Kestrava]\r\nDesktopMode=other/d2.ini\r\nCDVersion=second\r\n"
           "[AS/400 Display]\r\nShortCutLabel=changed\r\n");
  ReadInitializationFile("twice.ini");
  WriteIni("twice.ini", "[Kestrava]\r\nCDVersion=third\r\n");
  ReadInitializationFile("twice.ini");
  EXPECT_TRUE(s.DesktopMode);
  EXPECT_STREQ("setup/desk.ini", s.DesktopIniName);
  EXPECT_EQ("third\0"s, Value(HKEY_LOCAL_MACHINE, kDesktopRoot, "CDVersion"));
  EXPECT_TRUE(s.KindShortcuts[2].Wanted);
  EXPECT_STREQ("http://web/ad.htm", s.KindShortcuts[2].Url);
  EXPECT_STREQ("AS400", s.KindShortcuts[2].Label);
}

TEST_F(ConfigTest, CustomShortcutsExpandAgainstTheModesBaseFolder) {
  WriteIni("custom.ini",
           "[Custom Shortcuts]\r\nShortCut1=%kv%\\KVSH.EXE /run\r\nShortCutLabel1=Scripts\r\n"
           "ShortCut2=http://web/help.htm\r\nShortCutLabel2=" + std::string(100, 'L') + "\r\n"
           "ShortCut3=x%kv%y\r\nShortCutLabel4=not read\r\n"
           "ShortCut6=%kv%\\" + std::string(250, 'p') + "\r\n");
  g_DeploymentSettings.CustomShortcuts[3].Label[0] = 'o';  // kept: its target is empty
  CopyText(g_DeploymentSettings.CustomShortcuts[4].Target, kSettingPathCapacity, "stale");
  ReadCustomShortcuts("custom.ini");

  const CustomShortcut* c = s.CustomShortcuts;
  std::string web = std::string(TempFolderPath()) + "Kestrava\\";
  EXPECT_EQ(web + "KVSH.EXE /run", c[0].Target);
  EXPECT_STREQ("Scripts", c[0].Label);
  EXPECT_STREQ("http://web/help.htm", c[1].Target);
  EXPECT_EQ(std::string(63, 'L'), c[1].Label);  // cut to the field
  EXPECT_EQ(259u, strlen(c[5].Target));
  EXPECT_EQ("x" + web + "y", c[2].Target);
  EXPECT_STREQ("", c[3].Target);
  EXPECT_STREQ("o", c[3].Label);
  EXPECT_STREQ("", c[4].Target);

  g_DeploymentSettings.DesktopMode = true;
  CopyText(g_DeploymentSettings.InstallFolder, kSettingPathCapacity, "D:\\Apps\\Kestrava");
  ReadCustomShortcuts("custom.ini");
  EXPECT_STREQ("D:\\Apps\\Kestrava\\KVSH.EXE /run", c[0].Target);
  EXPECT_STREQ("xD:\\Apps\\Kestrava\\y", c[2].Target);
}

TEST_F(ConfigTest, DistributionFileSections) {
  WriteIni("dist.ini",
           "[both.cab]\r\nDestDir=C:\\X\r\nRun=setup.exe\r\n[run.cab]\r\nRun=setup.exe\r\n"
           "[RUNEMPTY.CAB]\r\nDestDir=\r\nRun=\r\n");
  EXPECT_EQ(1, GetDistFileSetupKind("dist.ini", "both.cab"));
  EXPECT_EQ(2, GetDistFileSetupKind("dist.ini", "RUN.CAB"));
  EXPECT_EQ(0, GetDistFileSetupKind("dist.ini", "runempty.cab"));
  EXPECT_EQ(0, GetDistFileSetupKind("dist.ini", "absent.cab"));
  EXPECT_EQ(0, GetDistFileSetupKind("no-such-file.ini", "both.cab"));
  EXPECT_EQ(0, GetDistFileSetupKind("dist.ini", ""));
}

}  // namespace
