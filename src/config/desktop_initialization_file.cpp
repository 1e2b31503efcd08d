// Reading the desktop initialization file; see
// desktop_initialization_file.h.
#include "config/desktop_initialization_file.h"

#include <windows.h>

#include <string.h>

#include "base/event_log.h"
#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/ini_reader.h"
#include "config/portable/setting_values.h"
#include "config/working_folders.h"
#include "config/deployment_settings_private.h"
#include "base/portable/session_kinds.h"

namespace {

// "Program Group" label keys, in the order of ProgramLabel.
const char* const kLabelKeys[kProgramLabels] = {
    "MainframeDisplayText", "MainframePrinterText", "iSeriesDisplayText", "iSeriesPrinterText",
    "VTText",               "SessionManagerText",   "ScriptEditorText",   "FTPText",
    "HllapiRedirectorText", "ScriptingHostText"};

const char kDefaultInstallFolder[] = "C:\\Program Files\\MARROCK\\Kestrava";

// The default installation folder lies on the drive that holds Windows.
void SetDefaultInstallFolder(char* folder, size_t capacity) {
  CopyText(folder, capacity, kDefaultInstallFolder);
  char windows[MAX_PATH];
  UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  if (length > 0 && length < sizeof windows) folder[0] = windows[0];
}

// A folder key read whole (one character more than it may hold, so that a
// longer value is told from one that fits) and given in full; otherwise
// logged and left empty, so that the default stands: a cut or relative
// folder would be some other folder.
void ReadFolderKey(const char* path, const char* key, char* folder, size_t capacity) {
  char value[kSettingPathCapacity + 1];
  ReadIniText(path, "KVSetup", key, "", value, sizeof value);
  folder[0] = '\0';
  if (value[0] == '\0') return;
  // "C:/Apps/Kestrava" is a full path too: it is kept with backslashes, the
  // separator of every path the control forms from it.
  for (char* at = value; *at; ++at) {
    if (*at == '/') *at = '\\';
  }
  if (strlen(value) >= capacity) {
    WriteLogLineF("[KVSetup] %s is longer than %d characters; it is not used.\r\n", key,
                  (int)capacity - 1);
  } else if (!IsFullFolderPath(value)) {
    WriteLogLineF("[KVSetup] %s=%s is not a full folder path; it is not used.\r\n", key, value);
  } else {
    CopyText(folder, capacity, value);
  }
}

void ReadFolders(const char* path) {
  DeploymentSettings& s = g_DeploymentSettings;
  ReadFolderKey(path, "DestinationDir", s.InstallFolder, sizeof s.InstallFolder);
  if (s.InstallFolder[0] == '\0') SetDefaultInstallFolder(s.InstallFolder, sizeof s.InstallFolder);

  if (s.WorkingDirType == 1) {
    if (FindPersonalWorkingFolder(s.WorkingFolder, sizeof s.WorkingFolder)) return;
    s.WorkingDirType = 0;
    CopyText(s.WorkingFolder, sizeof s.WorkingFolder, s.InstallFolder);
    return;
  }
  ReadFolderKey(path, "WorkingDir", s.WorkingFolder, sizeof s.WorkingFolder);
  if (s.WorkingFolder[0] == '\0') CopyText(s.WorkingFolder, sizeof s.WorkingFolder, s.InstallFolder);
}

void ReadProgramGroup(const char* path) {
  DeploymentSettings& s = g_DeploymentSettings;
  s.GroupWanted = ReadIniYesNo(path, "Program Group", "UseGroup");
  if (s.GroupWanted) {
    ReadIniText(path, "Program Group", "GroupName", "", s.GroupName, sizeof s.GroupName);
  }
  for (int label = 0; label < kProgramLabels; ++label) {
    ReadIniText(path, "Program Group", kLabelKeys[label], "", s.ProgramLabels[label],
                sizeof s.ProgramLabels[label]);
  }
}

void ReadDesktopShortcuts(const char* path) {
  DeploymentSettings& s = g_DeploymentSettings;
  const char* const section = "Desktop Shortcuts";
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    s.KindShortcuts[kind].Wanted = ReadIniYesNo(path, section, SessionDesktopIniKey(kind));
  }
  s.SessionManagerShortcut = ReadIniYesNo(path, section, "SessionManager");
  s.ScriptEditorShortcut = ReadIniYesNo(path, section, "ScriptEditor");
  s.ScriptingHostShortcut = ReadIniYesNo(path, section, "ScriptingHost");
}

}  // namespace

bool ComposeDesktopIniPath(char* path, size_t capacity) {
  return ComposeLocalIniPath(g_DeploymentSettings.DesktopIniName, path, capacity);
}

void ReadDesktopInitializationFile() {
  char path[kSettingPathCapacity];
  ComposeDesktopIniPath(path, sizeof path);
  ReadFolders(path);
  ReadProgramGroup(path);
  char connection[kSettingPathCapacity];
  ReadIniText(path, "KVSetup", "Connection", "", connection, sizeof connection);
  g_DeploymentSettings.ConnectionType = ConnectionTypeFromText(connection);
  ReadDesktopShortcuts(path);
}
