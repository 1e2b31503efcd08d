// The desktop installation; see desktop_installation.h.
#include "desktop/desktop_installation.h"

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/emulator_registry.h"
#include "config/installation_keys.h"
#include "desktop/program_group.h"
#include "desktop/shortcuts.h"
#include "base/module_folders.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"

namespace {

bool DialogOpen() { return ProgressDialogWindow() != nullptr && IsWindow(ProgressDialogWindow()); }

const char* LastComponent(const char* name) {
  const char* last = name;
  for (const char* p = name; *p; ++p) {
    if (*p == '/' || *p == '\\') last = p + 1;
  }
  return last;
}

}  // namespace

void RunDesktopInstallation() {
  const DeploymentSettings& s = Settings();
  if (DialogOpen()) {
    SetStatusText("Setting up Kestrava in the Registry");
    PumpMessages(250, true);
  }
  WritePreferredConnectionType(s.ConnectionType);
  AdvanceOverallProgress(3);
  char path[kPathCapacity];
  bool fits = CopyText(path, sizeof path, DownloadFolderPath());
  fits = AddBackslash(path, sizeof path) && fits;
  fits = AppendText(path, sizeof path, LastComponent(s.DesktopIniName)) && fits;
  if (fits) WriteSupportInfo(path);
  AdvanceOverallProgress(5);
  if (DialogOpen()) SetStatusText("Creating Program Group and Icons");
  if (DialogOpen() && s.GroupWanted) {
    ProgmanGroup();
    AdvanceOverallProgress(5);
    ProgmanItems();
    AdvanceOverallProgress(5);
  } else {
    AdvanceOverallProgress(10);
  }
  if (DialogOpen()) SetStatusText("Creating Desktop Shortcuts");
  CreateComponentShortcuts();
  CreateCustomShortcuts();
  AdvanceOverallProgress(5);
}
