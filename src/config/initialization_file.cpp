// Reading the initialization file; see initialization_file.h.
#include "config/initialization_file.h"

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/emulator_registry.h"
#include "config/portable/folder_macros.h"
#include "config/ini_reader.h"
#include "config/portable/setting_values.h"
#include "config/working_folders.h"
#include "base/module_folders.h"
#include "config/deployment_settings_private.h"
#include "base/portable/session_kinds.h"

namespace {

// Asked by the update pipeline for the sections of cabinets.
char g_LastIniName[260];

void ReadWorkingDirType(const char* path) {
  DeploymentSettings& s = g_DeploymentSettings;
  s.WorkingDirType = 0;
  if (!ReadIniYesNo(path, "Kestrava", "UsePersonalFolderAsWorkingDir")) return;
  // A failed lookup leaves the working folder as it was.
  if (!FindPersonalWorkingFolder(s.WorkingFolder, sizeof s.WorkingFolder)) return;
  s.WorkingDirType = 1;
  CreateWorkingFolderTree(s.WorkingFolder);
}

void ReadKindShortcuts(const char* path) {
  for (int kind = 0; kind < kShortcutKinds; ++kind) {
    KindShortcut& shortcut = g_DeploymentSettings.KindShortcuts[kind];
    char url[kSettingPathCapacity];
    ReadIniText(path, SessionIniSection(kind), "ShortCutURL", "", url, sizeof url);
    if (url[0] == '\0') continue;  // an earlier reading's shortcut stays
    shortcut.Wanted = true;
    ExpandKindUrl(url, TempFolderPath(), shortcut.Url, sizeof shortcut.Url);
    ReadIniText(path, SessionIniSection(kind), "ShortCutLabel", "", shortcut.Label,
                sizeof shortcut.Label);
  }
}

}  // namespace

void ReadInitializationFile(const char* iniName) {
  CopyText(g_LastIniName, sizeof g_LastIniName, iniName);
  DeploymentSettings& s = g_DeploymentSettings;
  char path[kSettingPathCapacity];
  ComposeLocalIniPath(iniName, path, sizeof path);

  if (!s.DesktopMode) {
    char desktopIni[kDesktopIniNameCapacity];
    ReadIniText(path, "Kestrava", "DesktopMode", "", desktopIni, sizeof desktopIni);
    if (desktopIni[0] != '\0') {
      s.DesktopMode = true;  // for the life of the module
      CopyText(s.DesktopIniName, sizeof s.DesktopIniName, desktopIni);
    }
  }
  ReadIniText(path, "Kestrava", "CDVersion", "3.2C1", s.CDVersion, sizeof s.CDVersion);
  char base[kSettingPathCapacity];
  ReadIniText(path, "Kestrava", "BaseRegistry", "", base, sizeof base);
  s.BaseRegistry = BaseRegistryFromText(base);
  ReadWorkingDirType(path);
  s.Lock = ReadIniNumber(path, "Configuration Lock Feature", "Lock", "");
  s.LockFTP = ReadIniNumber(path, "Configuration Lock Feature", "LockFTP", "");
  s.ConnectRetryMilliseconds = ReadIniNumber(path, "HLLAPI", "ConnectRetryMilliseconds", "0");

  WriteEmulatorSettings(EmulatorRoot());
  ReadKindShortcuts(path);
}

void ReadCustomShortcuts(const char* iniName) {
  DeploymentSettings& s = g_DeploymentSettings;
  char path[kSettingPathCapacity];
  ComposeLocalIniPath(iniName, path, sizeof path);
  const char* baseFolder = s.DesktopMode ? s.InstallFolder : TempFolderPath();

  for (int n = 1; n <= kCustomShortcuts; ++n) {
    CustomShortcut& shortcut = s.CustomShortcuts[n - 1];
    char key[32];
    FormatText(key, sizeof key, "ShortCut%d", n);
    char value[kSettingPathCapacity];
    ReadIniText(path, "Custom Shortcuts", key, "", value, sizeof value);
    ExpandCustomTarget(value, baseFolder, !s.DesktopMode, shortcut.Target,
                       sizeof shortcut.Target);
    if (shortcut.Target[0] == '\0') continue;  // its label stays
    FormatText(key, sizeof key, "ShortCutLabel%d", n);
    ReadIniText(path, "Custom ShortCuts", key, "", shortcut.Label, sizeof shortcut.Label);
  }
}

const char* LastInitializationFileName() { return g_LastIniName; }

int GetDistFileSetupKind(const char* iniName, const char* distFileName) {
  // A null section would read the list of section names instead.
  if (distFileName == nullptr || distFileName[0] == '\0') return 0;
  char path[kSettingPathCapacity];
  ComposeLocalIniPath(iniName, path, sizeof path);
  char value[kSettingPathCapacity];
  ReadIniText(path, distFileName, "DestDir", "", value, sizeof value);
  if (value[0] != '\0') return 1;
  ReadIniText(path, distFileName, "Run", "", value, sizeof value);
  return value[0] != '\0' ? 2 : 0;
}
