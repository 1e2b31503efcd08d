// Sibling client settings; see sibling_settings.h.
#include "download/sibling_settings.h"

#include "base/portable/bounded_text.h"
#include "config/registry_values.h"
#include "base/event_log.h"
#include "base/module_folders.h"

namespace {

// Opens hive\path with full access, creating it; false (logged) when it
// cannot be made or named.
bool CreateKey(ScopedKey* key, HKEY hive, const char* path, bool named) {
  LONG result = named ? CreateRegKey(key, hive, path, kWriteAccess) : ERROR_FILENAME_EXCED_RANGE;
  if (result == ERROR_SUCCESS) return true;
  WriteLogLineF("   Unable to create key %s\\%s: error %ld\r\n", HiveName(hive), path, result);
  return false;
}

}  // namespace

void WriteSiblingSettings(const SiblingClient& client, const char* version, const char* folder) {
  char program[kPathCapacity];
  bool programFits = FormatSiblingProgramPath(client, folder, program, sizeof program);
  char keyPath[kPathCapacity];

  ScopedKey versionKey;
  bool named = FormatSiblingVersionKey(client, version, keyPath, sizeof keyPath);
  if (CreateKey(&versionKey, HKEY_LOCAL_MACHINE, keyPath, named)) {
    if (programFits) SetTextValue(versionKey.Get(), "", program);
    char shortFolder[kPathCapacity];
    DWORD length = GetShortPathNameA(folder, shortFolder, sizeof shortFolder);
    bool isShort = length > 0 && length < sizeof shortFolder;
    SetTextValue(versionKey.Get(), "InstallPath", isShort ? shortFolder : folder);
  }

  ScopedKey userKey;
  if (CreateKey(&userKey, HKEY_CURRENT_USER, client.ClientKey, true)) {
    SetTextValue(userKey.Get(), "Font", kSiblingFontText);
    SetTextValue(userKey.Get(), "Pos33", kSiblingPositionText);
  }

  ScopedKey appPaths;
  named = FormatSiblingAppPathsKey(client, keyPath, sizeof keyPath);
  if (CreateKey(&appPaths, HKEY_LOCAL_MACHINE, keyPath, named)) {
    if (programFits) SetTextValue(appPaths.Get(), "", program);
    SetTextValue(appPaths.Get(), "Path", folder);
  }
}
