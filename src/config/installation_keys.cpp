// Installation keys and the uninstall entry; see installation_keys.h.
#include "config/installation_keys.h"

#include "common/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/registry_values.h"

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrava";

void WriteUninstallEntry(const char* installFolder) {
  // Room for the longest installation folder, the backslash and the name,
  // so the command is never cut.
  char command[kSettingPathCapacity + 16];
  bool fits = CopyText(command, sizeof command, installFolder);
  fits = AddBackslash(command, sizeof command) && fits;
  fits = AppendText(command, sizeof command, "Unins.Exe") && fits;

  ScopedRegKey key;
  if (key.Create(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WRITE) != ERROR_SUCCESS) return;
  SetTextValue(key.Get(), "DisplayName", "Kestrava");
  // A cut command would start some other program; leave it out instead.
  if (fits) SetTextValue(key.Get(), "UninstallString", command);
}

}  // namespace

void WritePreferredConnectionType(BYTE code) {
  ScopedRegKey key;
  if (key.Create(EmulatorRootHive(), kDesktopEmulatorRoot, KEY_ALL_ACCESS) != ERROR_SUCCESS) {
    return;
  }
  SetByteValue(key.Get(), "Preferred Connection Type", code);
}

void WriteInstallationKeys() {
  const DeploymentSettings& s = g_DeploymentSettings;
  HKEY hive = EmulatorRootHive();
  {
    ScopedRegKey key;
    if (key.Create(hive, kDesktopEmulatorRoot, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
      SetTextValue(key.Get(), "Installation Directory", s.InstallFolder);
      SetByteValue(key.Get(), "WorkingDirType", s.WorkingDirType);
      if (s.WorkingDirType == 0) SetTextValue(key.Get(), "Working Directory", s.WorkingFolder);
      if (s.GroupWanted) SetTextValue(key.Get(), "Program Group", s.GroupName);
    } else {
      ShowKeyFailure(hive, kDesktopEmulatorRoot);
    }
  }
  if (s.WorkingDirType == 1) {
    ScopedRegKey user;
    if (user.Create(HKEY_CURRENT_USER, kDesktopEmulatorRoot, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
      SetTextValue(user.Get(), "Working Directory", s.WorkingFolder);
    } else {
      ShowKeyFailure(HKEY_CURRENT_USER, kDesktopEmulatorRoot);
    }
  }
  WriteUninstallEntry(s.InstallFolder);
}
