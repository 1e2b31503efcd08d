// Emulator settings, support texts and component versions; see
// emulator_registry.h.
#include "config/emulator_registry.h"

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/ini_reader.h"
#include "config/registry_values.h"
#include "config/deployment_settings_private.h"

namespace {

const char* const kAboutNames[] = {"Info1",    "Info2",    "Name", "Address1", "Address2",
                                   "Address3", "Phone",    "Fax",  "BBS",      "INet"};

// Opens the emulator root plus "\" and subkey. False when the key path does
// not fit or cannot be created.
bool OpenRootSubkey(const char* subkey, ScopedKey* key) {
  char path[kSettingPathCapacity];
  bool fits = CopyText(path, sizeof path, EmulatorRoot());
  fits = AppendText(path, sizeof path, "\\") && fits;
  fits = AppendText(path, sizeof path, subkey) && fits;
  return fits && CreateRegKey(key, EmulatorRootHive(), path, kWriteAccess) == ERROR_SUCCESS;
}

// Copies one value from the file unless it is missing or begins with "?".
void CopySupportValue(HKEY key, const char* filePath, const char* section, const char* name) {
  char value[kSettingPathCapacity];
  ReadIniText(filePath, section, name, "?", value, sizeof value);
  if (value[0] != '?') SetTextValue(key, name, value);
}

}  // namespace

void WriteEmulatorSettings(const char* root) {
  const DeploymentSettings& s = g_DeploymentSettings;
  HKEY hive = EmulatorRootHive();
  ScopedKey key;
  if (CreateRegKey(&key, hive, root, kWriteAccess) != ERROR_SUCCESS) {
    ShowKeyFailure(hive, root);
    return;
  }
  SetTextValue(key.Get(), "CDVersion", s.CDVersion);
  SetByteValue(key.Get(), "BaseRegistry", s.BaseRegistry);
  SetByteValue(key.Get(), "WorkingDirType", s.WorkingDirType);
  if (s.WorkingDirType == 1) {
    ScopedKey user;
    if (CreateRegKey(&user, HKEY_CURRENT_USER, kWebEmulatorRoot, kWriteAccess) == ERROR_SUCCESS) {
      SetTextValue(user.Get(), "Working Directory", s.WorkingFolder);
    } else {
      ShowKeyFailure(HKEY_CURRENT_USER, kWebEmulatorRoot);
    }
  }
  SetInt32Value(key.Get(), "Lock", s.Lock);
  SetInt32Value(key.Get(), "LockFTP", s.LockFTP);
  SetInt32Value(key.Get(), "HllapiConnectRetry", s.ConnectRetryMilliseconds);
}

void WriteSupportInfo(const char* filePath) {
  ScopedKey support;
  if (OpenRootSubkey("Support", &support)) {
    for (int n = 1; n <= 9; ++n) {
      char name[16];
      FormatText(name, sizeof name, "Line%d", n);
      CopySupportValue(support.Get(), filePath, "Support", name);
    }
  }
  ScopedKey about;
  if (OpenRootSubkey("About", &about)) {
    for (const char* name : kAboutNames) CopySupportValue(about.Get(), filePath, "About", name);
  }
}

void WriteComponentValue(const char* valueName, LONG value) {
  HKEY hive = EmulatorRootHive();
  ScopedKey key;
  if (CreateRegKey(&key, hive, EmulatorRoot(), kWriteAccess) != ERROR_SUCCESS) {
    if (!g_DeploymentSettings.DesktopMode) ShowKeyFailure(hive, kWebEmulatorRoot);
    return;
  }
  SetInt32Value(key.Get(), valueName, value);
}
