// Whether an instance has a saved configuration, looked up in the prefix's
// real registry: the kind's keys per mode, the hives BaseRegistry allows,
// the free instance for a line without one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/portable/session_kinds.h"
#include "config/deployment_settings.h"
#include "config/deployment_settings_private.h"
#include "sessions/session_shutdown.h"
#include "test_support.h"

using namespace testsupport;

namespace {

TEST(InstanceConfigExists, KeysPerKindModeAndHive) {
  const HKEY user = HKEY_CURRENT_USER;
  const HKEY machine = HKEY_LOCAL_MACHINE;
  const struct {
    const char* what;
    HKEY hive;
    const char* key;
    bool desktop;
    BYTE baseRegistry;
    const char* line;
    int kind;
    bool exists;
  } cases[] = {
      {"web FTP, fourth key, machine", machine, "Software\\Dovrel\\qyFTP\\Kestrava FTP T2", false,
       0, "C:\\K\\KVFTP.PRO /s2 /f\"f\" /qyFTP", kFtpSession, true},
      {"current user only", machine, "Software\\Dovrel\\qyFTP\\Kestrava FTP T2", false, 2,
       "C:\\K\\KVFTP.PRO /s2", kFtpSession, false},
      {"current user only, user key", user, "Software\\Dovrel\\qy5250\\Kestrava FTP T2", false, 2,
       "C:\\K\\KVFTP.PRO /s2", kFtpSession, true},
      {"desktop FTP has two keys", machine, "Software\\Dovrel\\qyFTP\\Kestrava FTP T2", true, 0,
       "C:\\I\\KVFTP.EXE /s2", kFtpSession, false},
      {"desktop display", user, "Software\\Dovrel\\Kestrava\\Mainframe Display S4", true, 0,
       "C:\\I\\KVMD.EXE /S4 /f\"a\"", kMainframeDisplay, true},
      {"no switch: the free instance", machine,
       "Software\\MARROCK\\Kestrava Web\\Mainframe Display S1", false, 0,
       "C:\\K\\KVMD.PRO /f\"a\"", kMainframeDisplay, true},
      {"other instance", machine, "Software\\MARROCK\\Kestrava Web\\VT S1", false, 0,
       "C:\\K\\KVVT.PRO /s11", kVtSession, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(c.hive, c.key, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
    RegCloseKey(key);
    g_DeploymentSettings.DesktopMode = c.desktop;
    g_DeploymentSettings.BaseRegistry = c.baseRegistry;
    EXPECT_EQ(c.exists, InstanceConfigExists(c.line, c.kind));
    DeleteRegTree(c.hive, "Software\\Dovrel");
    DeleteRegTree(c.hive, "Software\\MARROCK");
  }
  // An instance text no key can hold is no configuration.
  g_DeploymentSettings.DesktopMode = false;
  const std::string line = "C:\\K\\KVMD.PRO /s" + std::string(60, '7');
  EXPECT_FALSE(InstanceConfigExists(line.c_str(), kMainframeDisplay));
}

}  // namespace
