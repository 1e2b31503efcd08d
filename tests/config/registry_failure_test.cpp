// Keys that cannot be created: a key whose access list refuses everything
// stands for a user without rights there. Each failure shows its box (or
// none) and the writes go on or stop as they should.
#include "config/emulator_registry.h"

#include <windows.h>

#include "config/deployment_settings.h"
#include "config/initialization_file.h"
#include "config/installation_keys.h"
#include "base/portable/bounded_text.h"
#include "config_fixture.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

using namespace std::string_literals;

namespace {

const char kBoxPrefix[] = "Web-to-Host Control\tUnable to create key: ";
const char kBoxStyle[] = "\t0x10030";  // MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND

std::string Box(const std::string& key) { return kBoxPrefix + key + kBoxStyle; }

TEST_F(ConfigTest, DeniedEmulatorRootIsReportedOnceAndNothingIsWritten) {
  DenyKey(HKEY_LOCAL_MACHINE, kWebRoot);
  WriteIni("denied.ini", "[Kestrava]\r\nCDVersion=9\r\n[Support]\r\nLine1=x\r\n");
  ReadInitializationFile("denied.ini");
  WriteComponentValue("KVMD.PRO", 7);

  EXPECT_EQ((std::vector<std::string>{Box("HKEY_LOCAL_MACHINE\\Software\\MARROCK\\Kestrava Web"),
                                      Box("HKEY_LOCAL_MACHINE\\Software\\MARROCK\\Kestrava Web")}),
            Boxes());
  AllowDeniedKeys();
  EXPECT_EQ("missing", Value(HKEY_LOCAL_MACHINE, kWebRoot, "CDVersion"));
  EXPECT_EQ("missing", Value(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO"));
}

TEST_F(ConfigTest, DeniedWorkingFolderKeyIsReportedAndTheRestWritten) {
  DenyKey(HKEY_CURRENT_USER, kWebRoot);
  WriteIni("wd.ini",
           "[Kestrava]\r\nUsePersonalFolderAsWorkingDir=yes\r\n"
           "[Configuration Lock Feature]\r\nLock=3\r\n");
  ReadInitializationFile("wd.ini");
  EXPECT_EQ((std::vector<std::string>{Box("HKEY_CURRENT_USER\\Software\\MARROCK\\Kestrava Web")}),
            Boxes());
  EXPECT_EQ("\x01"s, Value(HKEY_LOCAL_MACHINE, kWebRoot, "WorkingDirType"));
  EXPECT_EQ("\x03\0\0\0"s, Value(HKEY_LOCAL_MACHINE, kWebRoot, "Lock"));
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

TEST_F(ConfigTest, ComponentValuesAreFourLittleEndianBytes) {
  WriteComponentValue("KVMD.PRO", 0x01020304);
  DWORD type = 0;
  EXPECT_EQ("\x04\x03\x02\x01"s, Value(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO", &type));
  EXPECT_EQ((DWORD)REG_BINARY, type);
  g_DeploymentSettings.DesktopMode = true;
  g_DeploymentSettings.BaseRegistry = 2;
  WriteComponentValue("KVMD.EXE", -2);
  EXPECT_EQ("\xFE\xFF\xFF\xFF"s, Value(HKEY_CURRENT_USER, kDesktopRoot, "KVMD.EXE"));
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
