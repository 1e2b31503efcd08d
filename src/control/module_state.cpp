// Home of the module-wide values and the module start that fills them.
#include "control/module_state.h"

#include "common/bounded_text.h"
#include "config/folder_path.h"
#include "sessions/session_window_table.h"

HINSTANCE g_ModuleInstance = nullptr;
OSVERSIONINFOA g_PlatformVersion;
char g_TempFolder[kPathCapacity];
char g_SystemFolder[kPathCapacity];
char g_ActiveXCacheFolder[kPathCapacity];
char g_DownloadFolder[kPathCapacity];
char g_ComponentFolder[kComponentGroups][kPathCapacity];

namespace {

void ReadActiveXCacheFolder() {
  CopyText(g_ActiveXCacheFolder, kPathCapacity, g_TempFolder);
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  char value[kPathCapacity];
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, "ActiveXCache", nullptr, &type, (BYTE*)value, &size) ==
          ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    value[size < sizeof value ? size : sizeof value - 1] = '\0';  // stored text may lack it
    CopyText(g_ActiveXCacheFolder, kPathCapacity, value);
  }
  RegCloseKey(key);
}

}  // namespace

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

  OpenSessionWindowTable();  // absent is allowed: its users test for it

  ReadActiveXCacheFolder();

  CopyText(g_DownloadFolder, kPathCapacity, g_TempFolder);
  AppendText(g_DownloadFolder, kPathCapacity, "Kestrava");
  CreateFolderPath(g_DownloadFolder);

  for (int group = 0; group < kComponentGroups; ++group) {
    CopyText(g_ComponentFolder[group], kPathCapacity, g_DownloadFolder);
  }
  return true;
}
