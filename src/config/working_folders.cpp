// Folder trees and file placement; see working_folders.h.
#include "config/working_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "base/folder_path.h"
#include "config/portable/install_type.h"
#include "config/installation_keys.h"
#include "config/special_folders.h"
#include "config/deployment_settings_private.h"

namespace {

const char* const kWorkingSubfolders[] = {"Config",   "Certs", "Macros", "Scripts",
                                          "Transfer", "Spool", "Traces"};

// Creates parent\name with one call; a path that does not fit is skipped
// rather than cut into the name of some other folder.
void CreateSubfolder(const char* parent, const char* name) {
  char path[kSettingPathCapacity];
  bool fits = CopyText(path, sizeof path, parent);
  fits = AddBackslash(path, sizeof path) && fits;
  fits = AppendText(path, sizeof path, name) && fits;
  if (fits) CreateDirectoryA(path, nullptr);
}

}  // namespace

bool FindPersonalWorkingFolder(char* folder, size_t capacity) {
  char personal[kSettingPathCapacity];
  if (GetSpecialFolder(CSIDL_PERSONAL, personal, sizeof personal) != S_OK) return false;
  char working[kSettingPathCapacity];
  bool fits = CopyText(working, sizeof working, personal);
  fits = AddBackslash(working, sizeof working) && fits;
  fits = AppendText(working, sizeof working, "Kestrava") && fits;
  if (!fits || strlen(working) >= capacity) return false;
  return CopyText(folder, capacity, working);
}

void CreateWorkingFolderTree(const char* workingFolder) {
  if (workingFolder == nullptr || workingFolder[0] == '\0') return;
  CreateDirectoryA(workingFolder, nullptr);
  for (const char* name : kWorkingSubfolders) CreateSubfolder(workingFolder, name);
}

void CreateFolderTree() {
  const DeploymentSettings& s = g_DeploymentSettings;
  CreateFolderPath(s.InstallFolder);
  CreateSubfolder(s.InstallFolder, "Certs");
  CreateWorkingFolderTree(s.WorkingFolder);
  WriteInstallationKeys();
}

bool GetInstallFolderFor(char* folder, size_t capacity, const char* fileName) {
  InstallPlace place = ClassifyInstallFile(fileName);
  if (place == kInstallOnDesktop) return GetDesktopFolder(folder, capacity);
  return ComposeInstallFolder(place, g_DeploymentSettings.InstallFolder,
                              g_DeploymentSettings.WorkingFolder, folder, capacity);
}
