// Installation keys and the uninstall entry; see installation_keys.h.
#include "config/installation_keys.h"

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/registry_values.h"
#include "config/deployment_settings_private.h"

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrava";

void WriteUninstallEntry(const char* installFolder) {
  // Room for the longest installation folder, the backslash and the name,
  // so the command is never cut.
  char command[kSettingPathCapacity + 16];
  bool fits = CopyText(command, sizeof command, installFolder);
  fits = AddBackslash(command, sizeof command) && fits;
  fits = AppendText(command, sizeof command, "Unins.Exe") && fits;

  ScopedKey key;
  if (CreateRegKey(&key, HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WRITE) != ERROR_SUCCESS) return;
  SetTextValue(key.Get(), "DisplayName", "Kestrava");
  // A cut command would start some other program; leave it out instead.
  if (fits) SetTextValue(key.Get(), "UninstallString", command);
}

}  // namespace

void WritePreferredConnectionType(BYTE code) {
  ScopedKey key;
  if (CreateRegKey(&key, EmulatorRootHive(), kDesktopEmulatorRoot, kWriteAccess) != ERROR_SUCCESS) {
    return;
  }
  SetByteValue(key.Get(), "Preferred Connection Type", code);
}

void WriteInstallationKeys() {
  const DeploymentSettings& s = g_DeploymentSettings;
  HKEY hive = EmulatorRootHive();
  {
    ScopedKey key;
    if (CreateRegKey(&key, hive, kDesktopEmulatorRoot, kWriteAccess) == ERROR_SUCCESS) {
      SetTextValue(key.Get(), "Installation Directory", s.InstallFolder);
      SetByteValue(key.Get(), "WorkingDirType", s.WorkingDirType);
      if (s.WorkingDirType == 0) SetTextValue(key.Get(), "Working Directory", s.WorkingFolder);
      if (s.GroupWanted) SetTextValue(key.Get(), "Program Group", s.GroupName);
    } else {
      ShowKeyFailure(hive, kDesktopEmulatorRoot);
    }
  }
  if (s.WorkingDirType == 1) {
    ScopedKey user;
    if (CreateRegKey(&user, HKEY_CURRENT_USER, kDesktopEmulatorRoot, kWriteAccess) == ERROR_SUCCESS) {
      SetTextValue(user.Get(), "Working Directory", s.WorkingFolder);
    } else {
      ShowKeyFailure(HKEY_CURRENT_USER, kDesktopEmulatorRoot);
    }
  }
  WriteUninstallEntry(s.InstallFolder);
}
