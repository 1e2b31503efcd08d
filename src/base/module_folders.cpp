// Home of the module-wide values and the module start that fills them.
#include "base/module_folders.h"

#include "base/portable/bounded_text.h"
#include "base/folder_path.h"
#include "base/scoped_handles.h"

namespace {

HINSTANCE g_ModuleInstance = nullptr;
OSVERSIONINFOA g_PlatformVersion;
char g_TempFolder[kPathCapacity];
char g_SystemFolder[kPathCapacity];
char g_ActiveXCacheFolder[kPathCapacity];
char g_DownloadFolder[kPathCapacity];
char g_ComponentFolder[kComponentGroups][kPathCapacity];

void ReadActiveXCacheFolder() {
  CopyText(g_ActiveXCacheFolder, kPathCapacity, g_TempFolder);
  ScopedKey key;
  if (OpenRegKey(&key, HKEY_LOCAL_MACHINE,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                 KEY_QUERY_VALUE) != ERROR_SUCCESS) {
    return;
  }
  char value[kPathCapacity];
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), "ActiveXCache", nullptr, &type, (BYTE*)value, &size) ==
          ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    value[size < sizeof value ? size : sizeof value - 1] = '\0';  // stored text may lack it
    CopyText(g_ActiveXCacheFolder, kPathCapacity, value);
  }
}

}  // namespace

HINSTANCE ModuleResources() { return g_ModuleInstance; }
void SetModuleResources(HINSTANCE instance) { g_ModuleInstance = instance; }
const OSVERSIONINFOA& PlatformVersion() { return g_PlatformVersion; }
const char* TempFolderPath() { return g_TempFolder; }
const char* SystemFolderPath() { return g_SystemFolder; }
const char* ActiveXCacheFolderPath() { return g_ActiveXCacheFolder; }
const char* DownloadFolderPath() { return g_DownloadFolder; }
const char* ComponentFolderPath(int group) {
  return group >= 0 && group < kComponentGroups ? g_ComponentFolder[group] : "";
}

bool InitializeModuleFolders(HINSTANCE instance) {
  g_ModuleInstance = instance;

  ZeroMemory(&g_PlatformVersion, sizeof g_PlatformVersion);
  g_PlatformVersion.dwOSVersionInfoSize = sizeof g_PlatformVersion;
  GetVersionExA(&g_PlatformVersion);

  DWORD length = GetTempPathA(kPathCapacity, g_TempFolder);
  if (length == 0 || length >= kPathCapacity) g_TempFolder[0] = '\0';
  AddBackslash(g_TempFolder, kPathCapacity);

  length = GetWindowsDirectoryA(g_SystemFolder, kPathCapacity);
  if (length == 0 || length >= kPathCapacity) g_SystemFolder[0] = '\0';
  AddBackslash(g_SystemFolder, kPathCapacity);
  AppendText(g_SystemFolder, kPathCapacity, "System");

  ReadActiveXCacheFolder();

  CopyText(g_DownloadFolder, kPathCapacity, g_TempFolder);
  AppendText(g_DownloadFolder, kPathCapacity, "Kestrava");
  CreateFolderPath(g_DownloadFolder);

  for (int group = 0; group < kComponentGroups; ++group) {
    CopyText(g_ComponentFolder[group], kPathCapacity, g_DownloadFolder);
  }
  return true;
}
