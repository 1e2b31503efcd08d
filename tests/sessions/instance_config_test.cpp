// Whether an instance has a saved configuration, looked up in the prefix's real registry: the
// kind's keys per mode, the hives BaseRegistry allows, the free instance for a line without one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/portable/session_kinds.h"
#include "config/deployment_settings_private.h"
#include "sessions/session_shutdown.h"
#include "test_support.h"

using namespace testsupport;

namespace {

TEST(InstanceConfigExists, KeysPerKindModeAndHive) {
  const HKEY user = HKEY_CURRENT_USER;
  const HKEY machine = HKEY_LOCAL_MACHINE;
  const std::string line60 = "C:\\K\\KVMD.PRO /s" + std::string(60, '7');
  const struct {
    const char *what, *key, *line;
    HKEY hive;
    bool desktop;
    BYTE baseRegistry;
    int kind;
    bool exists;
  } cases[] = {
      {"web FTP, fourth key, machine", "Software\\Dovrel\\qyFTP\\Kestrava FTP T2",
       "C:\\K\\KVFTP.PRO /s2 /f\"f\" /qyFTP", machine, false, 0, kFtpSession, true},
      {"current user only", "Software\\Dovrel\\qyFTP\\Kestrava FTP T2", "C:\\K\\KVFTP.PRO /s2",
       machine, false, 2, kFtpSession, false},
      {"current user only, user key", "Software\\Dovrel\\qy5250\\Kestrava FTP T2",
       "C:\\K\\KVFTP.PRO /s2", user, false, 2, kFtpSession, true},
      {"no switch: the free instance", "Software\\MARROCK\\Kestrava Web\\Mainframe Display S1",
       "C:\\K\\KVMD.PRO /f\"a\"", machine, false, 0, kMainframeDisplay, true},
      {"an instance no key can hold", "Software\\Dovrel\\x", line60.c_str(), machine, false, 0,
       kMainframeDisplay, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(c.hive, c.key, nullptr, REG_SZ, "", 1));
    g_DeploymentSettings.DesktopMode = c.desktop;
    g_DeploymentSettings.BaseRegistry = c.baseRegistry;
    EXPECT_EQ(c.exists, InstanceConfigExists(c.line, c.kind));
    DeleteRegTree(c.hive, "Software\\Dovrel");
    DeleteRegTree(c.hive, "Software\\MARROCK");
  }
}

}  // namespace
