// Initialization-file keys; see ini_reader.h.
#include "config/ini_reader.h"

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "config/portable/setting_values.h"
#include "base/module_folders.h"
#include "base/portable/page_values.h"

bool ComposeLocalIniPath(const char* name, char* path, size_t capacity) {
  bool fits = CopyText(path, capacity, DownloadFolderPath());
  fits = AppendText(path, capacity, "\\") && fits;
  fits = AppendText(path, capacity, LastPathComponent(name ? name : "")) && fits;
  if (!fits && capacity > 0) path[0] = '\0';
  return fits;
}

void ReadIniText(const char* path, const char* section, const char* key,
                 const char* defaultValue, char* value, size_t capacity) {
  if (capacity == 0) return;
  if (path == nullptr || path[0] == '\0') {
    CopyText(value, capacity, defaultValue);
    return;
  }
  GetPrivateProfileStringA(section, key, defaultValue, value, (DWORD)capacity, path);
}

bool ReadIniYesNo(const char* path, const char* section, const char* key) {
  char value[kSettingPathCapacity];
  ReadIniText(path, section, key, "", value, sizeof value);
  return YesNoFromText(value);
}

LONG ReadIniNumber(const char* path, const char* section, const char* key,
                   const char* defaultValue) {
  char value[kSettingPathCapacity];
  ReadIniText(path, section, key, defaultValue, value, sizeof value);
  return NumberFromText(value);
}
