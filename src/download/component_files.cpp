// Component file places, presence and versions; see component_files.h.
#include "download/component_files.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/deployment_settings.h"
#include "config/working_folders.h"
#include "base/module_folders.h"
#include "download/portable/distribution_list.h"
#include "download/portable/special_names.h"
#include "download/extract_cabinet.h"
#include "base/portable/session_kinds.h"

const char* KindComponentFolder(int kind) {
  int group = SessionComponentGroup(kind);
  return ComponentFolderPath(group < 0 ? 0 : group);
}

namespace {

bool FolderWithBackslash(const char* source, char* folder, size_t capacity) {
  bool fits = CopyText(folder, capacity, source);
  return AddBackslash(folder, capacity) && fits && folder[0] != '\0';
}

bool PlacedFolder(const char* namePart, int kind, char* folder, size_t capacity) {
  const DeploymentSettings& s = Settings();
  if (s.DesktopMode) return GetInstallFolderFor(folder, capacity, namePart);
  if (s.WorkingDirType == 1) {
    // Web mode with the personal working folder: the installation rule, with
    // the component folder standing in for the installation folder.
    SetInstallFolder(ComponentFolderPath(0));
    return GetInstallFolderFor(folder, capacity, namePart);
  }
  return FolderWithBackslash(KindComponentFolder(kind), folder, capacity);
}

}  // namespace

bool ComponentDownloadFolder(const char* namePart, int kind, char* folder, size_t capacity) {
  if (IsCabinetName(namePart)) return FolderWithBackslash(ActiveXCacheFolderPath(), folder, capacity);
  return PlacedFolder(namePart, kind, folder, capacity);
}

bool IsFileMissing(const char* namePart, int kind) {
  char name[kPathCapacity];
  if (ExpandCompressedName(namePart, name, sizeof name) == kUnknownCompressed) return true;
  char folder[kPathCapacity];
  bool found;
  if (IsCabinetName(namePart)) {
    found = FolderWithBackslash(ActiveXCacheFolderPath(), folder, sizeof folder);
  } else if (CompareTextNoCase(namePart, "orvena.ini") == 0) {
    // Empty until an Orvena cabinet has been extracted: the name alone is
    // then looked for, as the platform resolves it.
    found = CopyText(folder, sizeof folder, OrvenaFolder());
    if (found) AddBackslash(folder, sizeof folder);
  } else if (InstalledFontFor(namePart) != nullptr) {
    // An installed font was moved into the fonts folder: a load after its
    // installation would otherwise fetch it again.
    char windows[kPathCapacity];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    found = length > 0 && length < sizeof windows &&
            FolderWithBackslash(windows, folder, sizeof folder) &&
            AppendText(folder, sizeof folder, "Fonts\\");
  } else if (!Settings().DesktopMode && strcmp(name, namePart) != 0) {
    // Web mode expands a compressed file in the kind's component folder.
    found = FolderWithBackslash(KindComponentFolder(kind), folder, sizeof folder);
  } else {
    // Desktop mode expands it into the folder of its expanded name.
    found = PlacedFolder(name, kind, folder, sizeof folder);
  }
  char path[kPathCapacity];
  if (!found || !CopyText(path, sizeof path, folder) || !AppendText(path, sizeof path, name)) {
    // A place that cannot be named cannot be written either: downloading
    // would only fail again.
    return false;
  }
  // The attributes tell what opening the file would: found (present, even
  // when locked or a folder), not found (missing), or the folder is not
  // there (present, as the placement rule says). Under Wine they are read
  // without a round trip to the server, where an open and a close take two.
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return false;
  return GetLastError() == ERROR_FILE_NOT_FOUND;
}

HKEY OpenComponentVersions() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(EmulatorRootHive(), EmulatorRoot(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

bool NeedsUpdateIn(HKEY versions, const char* namePart, long version) {
  if (version == 0 || versions == nullptr) return true;
  LONG stored = 0;
  DWORD size = sizeof stored;
  DWORD type = 0;
  LONG result = RegQueryValueExA(versions, namePart, nullptr, &type, (BYTE*)&stored, &size);
  return result != ERROR_SUCCESS || size != sizeof stored || stored < version;
}

bool NeedsUpdate(const char* namePart, long version, int kind) {
  (void)kind;
  if (version == 0) return true;
  ScopedKey versions(OpenComponentVersions());
  return NeedsUpdateIn(versions.Get(), namePart, version);
}
