// Compressed component files; see expand_file.h.
#include "download/expand_file.h"

#include <windows.h>

#include <string.h>

#include "base/message_box.h"
#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "config/deployment_settings.h"
#include "download/component_files.h"
#include "download/extract_cabinet.h"
#include "download/portable/distribution_list.h"
#include "download/portable/special_names.h"
#include "download/portable/szdd_check.h"
#include "download/trusted_file.h"
#include "base/scoped_handles.h"

namespace {

// A folder as VerInstallFileA takes it: it adds the separator itself.
bool FolderWithoutBackslash(char* folder) {
  size_t length = strlen(folder);
  if (length > 3 && folder[length - 1] == '\\') folder[length - 1] = '\0';
  return length > 0;
}

DWORD Install(const char* source, const char* target, const char* sourceFolder,
              const char* targetFolder) {
  // No temporary-name buffer: with VIFF_FORCEINSTALL there is no version
  // comparison that would leave a temporary copy to report.
  char temporary[MAX_PATH] = "";
  UINT temporaryLength = 0;
  // The platform's declaration takes writable texts it does not write.
  return VerInstallFileA(VIFF_FORCEINSTALL, const_cast<char*>(source), const_cast<char*>(target),
                         const_cast<char*>(sourceFolder), const_cast<char*>(targetFolder),
                         const_cast<char*>(targetFolder), temporary, &temporaryLength);
}

// The in-use branch: the new library waits in the root of the Windows
// drive until the restart moves it over the one in use.
ExpandOutcome ReplaceAtRestart(const char* namePart, const char* expanded, const char* sourceFolder,
                               const char* targetFolder, const char* notice) {
  char root[MAX_PATH];
  UINT length = GetWindowsDirectoryA(root, sizeof root);
  if (length < 2 || length >= sizeof root || root[1] != ':') return kExpandFailed;
  root[3] = '\0';  // "C:\"
  root[2] = '\\';
  DWORD result = Install(namePart, expanded, sourceFolder, root);
  if (result != 0) {
    WriteLogLineF("   %s could not be expanded into %s either: 0x%lX\r\n", namePart, root, result);
    return kExpandFailed;
  }
  char rootCopy[MAX_PATH];
  char installed[MAX_PATH];
  bool named = FormatText(rootCopy, sizeof rootCopy, "%s%s", root, expanded);
  named = FormatText(installed, sizeof installed, "%s\\%s", targetFolder, expanded) && named;
  char source[MAX_PATH];
  FormatText(source, sizeof source, "%s\\%s", sourceFolder, namePart);
  if (named && MoveFileExA(rootCopy, installed,
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
    WriteLogLineF("   %s is in use; %s replaces it at the next restart.\r\n", installed, rootCopy);
    MessageBoxA(nullptr, notice, kControlCaption, MB_ICONINFORMATION | MB_SETFOREGROUND);
  } else {
    // Nothing will ever move it: a copy left in the drive root would only
    // be litter.
    WriteLogLineF("   %s is in use and its replacement cannot be scheduled: error %lu\r\n",
                  installed, GetLastError());
    DeleteFileA(rootCopy);
  }
  DeleteFileA(source);
  return kReplacedAtRestart;
}

// Reads the downloaded file through and checks that it decodes to the size
// its header announces. False (logged) when it does not or cannot be read:
// the expansion would write what it could decode and report success.
bool IsWholeCompressedFile(const char* namePart, const char* source) {
  ScopedFile file(CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) {
    WriteLogLineF("   %s could not be read: error %lu\r\n", source, GetLastError());
    return false;
  }
  SzddCheck check;
  static unsigned char piece[16 * 1024];  // not on the stack
  DWORD count = 0;
  while (ReadFile(file.Get(), piece, sizeof piece, &count, nullptr) && count > 0) {
    check.Feed(piece, count);
  }
  if (check.IsWhole()) return true;
  WriteLogLineF("   %s is damaged: it decodes to %lu of the %lu bytes it announces; it is not "
                "installed.\r\n",
                namePart, check.Decoded(), check.Announced());
  return false;
}

// Expands a copy into a folder of its own and checks its publisher there:
// the installed file is only replaced by one that would be started.
bool PassesPublisherCheck(const char* namePart, const char* expanded, const char* sourceFolder,
                          const char* target) {
  char folder[kPathCapacity];
  if (!CreateRunFolder(folder, sizeof folder)) {
    WriteLogLineF("   %s: no temporary folder could be made to check it (error %lu); it is not "
                  "installed.\r\n",
                  namePart, GetLastError());
    return false;
  }
  char copy[kPathCapacity];
  const DWORD result = Install(namePart, expanded, sourceFolder, folder);
  bool trusted = false;
  if (result != 0) {
    WriteLogLineF("   %s could not be expanded to check it: 0x%lX\r\n", namePart, result);
  } else if (FormatText(copy, sizeof copy, "%s\\%s", folder, expanded)) {
    trusted = CheckTrustOrReport(copy, kInstallRefusal, target) == 0;
  }
  RemoveTemporaryFolder(folder);
  return trusted;
}

}  // namespace

ExpandOutcome ExpandComponentFile(const char* namePart, int kind) {
  char expanded[MAX_PATH];
  switch (ExpandCompressedName(namePart, expanded, sizeof expanded)) {
    case kNotCompressed:
      return kNotCompressedFile;
    case kUnknownCompressed:
      WriteLogLineF(
          "   %s: no expansion is known for this compressed name; it is not installed.\r\n",
          namePart);
      return kUnknownCompression;
    case kExpandedName:
      break;
  }
  char sourceFolder[MAX_PATH];
  char targetFolder[MAX_PATH];
  char source[MAX_PATH];
  bool named = ComponentDownloadFolder(namePart, kind, sourceFolder, sizeof sourceFolder);
  // Web mode expands in the kind's component folder, whatever the working
  // folder; desktop mode into the folder of the expanded name.
  if (Settings().DesktopMode) {
    named = ComponentDownloadFolder(expanded, kind, targetFolder, sizeof targetFolder) && named;
  } else {
    named = CopyText(targetFolder, sizeof targetFolder, KindComponentFolder(kind)) && named;
    named = AddBackslash(targetFolder, sizeof targetFolder) && named;
  }
  named = FormatText(source, sizeof source, "%s%s", sourceFolder, namePart) && named;
  char target[MAX_PATH];
  named = FormatText(target, sizeof target, "%s%s", targetFolder, expanded) && named;
  if (!named || !FolderWithoutBackslash(sourceFolder) || !FolderWithoutBackslash(targetFolder)) {
    WriteLogLineF("   %s: its expanded path does not fit 259 characters; it is not expanded.\r\n",
                  namePart);
    return kExpandFailed;
  }
  if (!IsWholeCompressedFile(namePart, source)) {
    // Not kept: the next load downloads it again.
    DeleteFileA(source);
    return kDamagedDownload;
  }
  if (IsStartedOrLoaded(expanded) &&
      !PassesPublisherCheck(namePart, expanded, sourceFolder, target)) {
    DeleteFileA(source);
    return kRefusedProgram;
  }
  DWORD result = Install(namePart, expanded, sourceFolder, targetFolder);
  if (result == 0) {
    DeleteFileA(source);
    return kExpanded;
  }
  WriteLogLineF("   %s could not be expanded to %s: 0x%lX\r\n", namePart, target, result);
  const char* notice = InUseNoticeFor(namePart);
  if (notice != nullptr && PlatformVersion().dwPlatformId == VER_PLATFORM_WIN32_NT) {
    return ReplaceAtRestart(namePart, expanded, sourceFolder, targetFolder, notice);
  }
  return kExpandFailed;
}
