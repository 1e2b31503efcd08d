// Home of the process-wide deployment settings; see deployment_settings.h.
#include "config/deployment_settings.h"
#include "config/deployment_settings_private.h"

#include "base/portable/bounded_text.h"

DeploymentSettings g_DeploymentSettings = {};  // web mode, BaseRegistry 0

const DeploymentSettings& Settings() { return g_DeploymentSettings; }

void SetInstallFolder(const char* folder) {
  CopyText(g_DeploymentSettings.InstallFolder, sizeof g_DeploymentSettings.InstallFolder, folder);
}

const char kDesktopEmulatorRoot[] = "Software\\MARROCK\\Kestrava";
const char kWebEmulatorRoot[] = "Software\\MARROCK\\Kestrava Web";

HKEY EmulatorRootHive() {
  return g_DeploymentSettings.BaseRegistry == 2 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

const char* EmulatorRoot() {
  return g_DeploymentSettings.DesktopMode ? kDesktopEmulatorRoot : kWebEmulatorRoot;
}
