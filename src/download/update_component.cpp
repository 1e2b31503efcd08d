// The per-kind component update; see update_component.h.
#include "download/update_component.h"

#include <windows.h>

#include <string.h>

#include "base/message_box.h"
#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/deployment_settings.h"
#include "config/initialization_file.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "download/cache_file.h"
#include "download/component_files.h"
#include "download/error_text.h"
#include "download/extract_cabinet.h"
#include "download/file_digest.h"
#include "download/portable/distribution_list.h"
#include "download/install_component.h"
#include "base/message_pump.h"
#include "download/portable/special_names.h"
#include "download/progress_dialog.h"
#include "download/trusted_file.h"
#include "base/portable/session_kinds.h"
#include "download/cache_file_private.h"

namespace {


// Rebuilt by every list; large enough that it does not belong on the stack.
DistributionList g_List;
// Set when a download of this list failed because the server stopped
// answering: the list's other due files are then not asked for.
bool g_ServerGone = false;

void LogList(const DistributionList& list) {
  for (int i = 0; i < list.Count; ++i) {
    WriteLogLineF("   %s: Distribution Version is %d\r\n", list.Entries[i].FileName,
                  (int)list.Entries[i].Version);
  }
  if (list.LongLines > 0) {
    WriteLogLineF("   %d line(s) of 260 characters or more ignored, the first beginning %s\r\n",
                  list.LongLines, list.FirstLongLine);
  }
  if (list.LinesPastLimit > 0) {
    WriteLogLineF("   %d line(s) past the %dth entry ignored\r\n", list.LinesPastLimit,
                  (int)kDistributionEntries);
  }
}

// "Error %d caching to %s." (web) or "Error %d writing to %s." (desktop):
// logged, then shown in an unowned box.
void ReportLocalFileError(DWORD error, const char* path) {
  const bool desktop = Settings().DesktopMode;
  char message[kPathCapacity + 64];
  FormatText(message, sizeof message,
             desktop ? "Error %d writing to %s." : "Error %d caching to %s.", (int)error, path);
  WriteLogTimeStamp();
  WriteLogText(message);
  WriteLogText("\r\n");
  char text[sizeof message + 256];
  CopyText(text, sizeof text, message);
  AppendErrorText(text, sizeof text, error);
  ShowErrorBox(nullptr, text, desktop ? kWriteErrorCaption : kCacheErrorCaption);
}

void ShowDownloadStart(const char* entry, int kind) {
  if (!ProgressDialogWindow()) CreateProgressDialog(Settings().DesktopMode);
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 0);
  SetProgressItemText(IDC_STATUS_LINE, SessionInstallingText(kind));
  char name[kDistributionNameCapacity];
  FormatComponentDisplayName(entry, Settings().DesktopMode, name, sizeof name);
  if (Settings().DesktopMode) {
    SetProgressItemText(IDC_COMPONENT_LINE, name);
  } else {
    char line[kDistributionNameCapacity + 32];
    FormatText(line, sizeof line, "Caching component %s ...", name);
    SetProgressItemText(IDC_COMPONENT_LINE, line);
  }
  // The lines and the bar repaint at the next message dispatch, or within
  // the dialog's refresh interval when they changed a moment ago.
}

enum DownloadOutcome { kDownloaded, kDownloadFailed, kDownloadCancelled };

// Whether what arrived has the size and SHA-256 digest the list gives; a
// difference is logged and shown.
bool MatchesList(const DistributionEntry& listed) {
  unsigned long size = 0;
  unsigned char digest[kSha256Bytes];
  FinishDownloadDigest(&size, digest);
  if (size != listed.Size) {
    WriteLogLineF("   %s: %lu bytes arrived where the distribution list gives %lu; it is not "
                  "installed.\r\n",
                  listed.FileName, size, listed.Size);
  } else if (memcmp(digest, listed.Sha256, kSha256Bytes) != 0) {
    WriteLogLineF("   %s: the SHA-256 digest of what arrived differs from the distribution "
                  "list's; it is not installed.\r\n",
                  listed.FileName);
  } else {
    return true;
  }
  char message[kPathCapacity + 128];
  FormatText(message, sizeof message,
             "%s did not arrive as its distribution list describes it (size and SHA-256 "
             "digest); it is not installed.",
             listed.FileName);
  ShowErrorBox(nullptr, message, kCacheErrorCaption);
  return false;
}

// Ends the download's digest on every path out of the download.
struct DigestEnd {
  ~DigestEnd() { EndDownloadDigest(); }
};

// Downloads the entry into a temporary file in the target's folder and,
// once it arrived whole (and, when the list gives them, with its size and
// digest), puts it in the target's place.
DownloadOutcome DownloadComponent(const DistributionEntry& listed, const char* folder,
                                  const char* target) {
  const char* entry = listed.FileName;
  const bool checked = listed.Integrity == kIntegrityGiven;
  DigestEnd digestEnd;
  if (checked) BeginDownloadDigest();
  char temporary[kPathCapacity];
  ScopedFile file(CreateTemporaryFile(folder, temporary, sizeof temporary));
  if (!file.IsValid()) {
    ReportLocalFileError(GetLastError(), target);
    return kDownloadFailed;
  }
  bool arrived = CacheFile(entry, file.Get(), true);
  file.Reset();
  if (CancelRequested() || !arrived) {
    DeleteFileA(temporary);
    return CancelRequested() ? kDownloadCancelled : kDownloadFailed;
  }
  if (checked && !MatchesList(listed)) {
    DeleteFileA(temporary);
    return kDownloadFailed;
  }
  // A program or library that would be refused at its start must not take
  // the place of one that works: a network's sign-in page answering for it
  // would otherwise break the installed program for good.
  if (IsStartedOrLoaded(ComponentNamePart(entry)) &&
      CheckTrustOrReport(temporary, kInstallRefusal, target) != 0) {
    DeleteFileA(temporary);
    return kDownloadFailed;
  }
  if (!ReplaceWithTemporary(temporary, target)) {
    ReportLocalFileError(GetLastError(), target);
    return kDownloadFailed;
  }
  return kDownloaded;
}

// One entry of the list. False when the user cancelled.
bool UpdateEntry(const DistributionEntry& entry, int kind, HKEY versions) {
  const char* namePart = ComponentNamePart(entry.FileName);
  if (!IsUsableNamePart(namePart)) {
    WriteLogLineF("   %s names no file that can be kept; it is ignored.\r\n", entry.FileName);
    return true;
  }
  if (entry.Integrity == kIntegrityMalformed) {
    // Read as absent, a damaged field would let any file through.
    WriteLogLineF("   %s: its size and digest are not SIZE:SHA256 (64 hex digits); the entry is "
                  "refused.\r\n",
                  entry.FileName);
    return true;
  }
  const bool due =
      IsFileMissing(namePart, kind) || NeedsUpdateIn(versions, namePart, entry.Version);
  if (!due) {
    // A cabinet that is only unpacked where the files are needed (neither
    // DestDir nor Run) is unpacked again from the cache on every load. Its
    // section is the file's own name, as ExtractCabinet reads it: under the
    // listed name a cabinet in a folder would run its setup every time.
    const char* fileName = namePart;
    while (*fileName == '\\' || *fileName == '/') ++fileName;
    if (IsCabinetName(entry.FileName) &&
        GetDistFileSetupKind(LastInitializationFileName(), fileName) == 0) {
      InstallComponentFile(namePart, entry.Version, kind);
    }
    return true;
  }

  if (g_ServerGone) {
    WriteLogLineF("   %s is not fetched: the server stopped answering.\r\n", entry.FileName);
    return true;
  }
  ShowDownloadStart(entry.FileName, kind);
  char folder[kPathCapacity];
  char target[kPathCapacity];
  bool named = ComponentDownloadFolder(namePart, kind, folder, sizeof folder);
  named = CopyText(target, sizeof target, folder) && named;
  named = AppendText(target, sizeof target, namePart) && named;
  if (!named) {
    ReportLocalFileError(ERROR_FILENAME_EXCED_RANGE, target);
    return true;
  }
  switch (DownloadComponent(entry, folder, target)) {
    case kDownloadCancelled:
      return false;
    case kDownloadFailed:
      // Its box said why; the rest of the list would each say it again.
      g_ServerGone = ServerStoppedAnswering();
      return true;  // nothing recorded: the next load tries again
    case kDownloaded:
      InstallComponentFile(namePart, entry.Version, kind);
      return true;
  }
  return true;
}

}  // namespace

// A current entry takes a file check and a registry read, less than a look
// at the message queue costs; the page cannot tell a look after every such
// entry from one every few milliseconds.
const DWORD kEntryLookIntervalMs = 4;

void UpdateComponent(const char* listName, int kind) {
  if (kind < 0 || kind > 5 || listName == nullptr) return;
  bool fetched = CacheFileWithRetries(listName, INVALID_HANDLE_VALUE);
  if (CancelRequested()) return;
  if (!fetched) {
    // What the buffer holds now is some earlier read, not this list.
    WriteLogLineF("   Distribution list %s could not be fetched; its files are not updated.\r\n",
                  listName);
    return;
  }
  if (IsWebPageText(TransferBuffer)) {
    // Each line of a page taken as an entry would be requested, and fail.
    char message[kPathCapacity + 96];
    FormatText(message, sizeof message,
               "Distribution list %s is a web page, not a list; none of it is used.", listName);
    WriteLogLineF("   %s\r\n", message);
    ShowErrorBox(nullptr, message, kCacheErrorCaption);
    return;
  }
  ParseDistributionText(TransferBuffer, &g_List);
  g_ServerGone = false;
  LogList(g_List);
  ScopedKey versions(OpenComponentVersions());
  DWORD lastLook = GetTickCount();  // the list's fetch has just pumped
  for (int i = 0; i < g_List.Count; ++i) {
    if (CancelRequested()) return;
    // A key that appeared with this list's first installation is read from
    // the next entry on.
    if (!versions.IsValid()) versions.Reset(OpenComponentVersions());
    if (!UpdateEntry(g_List.Entries[i], kind, versions.Get())) return;
    // Let the page and the dialog take what is waiting, without a pause.
    if (GetTickCount() - lastLook >= kEntryLookIntervalMs) {
      PumpMessages(0, true);
      lastLook = GetTickCount();
    }
  }
}

namespace {

// Removes what matches pattern in folder (a folder when folders is set, a
// file otherwise) last written before limit; how many went.
int RemoveOlderThan(const char* folder, const char* pattern, bool folders, ULONGLONG limit) {
  char search[kPathCapacity];
  if (!FormatText(search, sizeof search, "%s%s", folder, pattern)) return 0;
  WIN32_FIND_DATAA found;
  ScopedFind find(FindFirstFileA(search, &found));
  if (!find.IsValid()) return 0;
  int removed = 0;
  do {
    const FILETIME& written = found.ftLastWriteTime;
    const ULONGLONG time = (ULONGLONG)written.dwHighDateTime << 32 | written.dwLowDateTime;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder != folders || time >= limit) continue;
    char path[kPathCapacity];
    if (!FormatText(path, sizeof path, "%s%s", folder, found.cFileName)) continue;
    if (folders) {
      RemoveTemporaryFolder(path);
      if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) ++removed;
    } else if (DeleteFileA(path)) {
      ++removed;
    }
  } while (FindNextFileA(find.Get(), &found));
  return removed;
}

}  // namespace

void RemoveLeftoverDownloads() {
  // A browser that died during a download or a setup left its temporary
  // file or extraction folder for good. One still in use is younger, or
  // held open: it stays.
  const ULONGLONG kHour = 36000000000ULL;  // in 100-nanosecond units
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG limit = ((ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime) - kHour;
  char downloads[kPathCapacity];
  if (!FormatText(downloads, sizeof downloads, "%s\\", DownloadFolderPath())) return;
  const int files = RemoveOlderThan(downloads, "wvl*.tmp", false, limit);
  if (files > 0) {
    WriteLogLineF("Removed %d leftover temporary download(s) older than an hour.\r\n", files);
  }
  const int folders = RemoveOlderThan(TempFolderPath(), "wevlnk*", true, limit);
  if (folders > 0) {
    WriteLogLineF("Removed %d leftover extraction folder(s) older than an hour.\r\n", folders);
  }
}

// One create per name tried, where GetTempFileNameA would create, close
// and leave it to be opened again.
HANDLE CreateTemporaryFile(const char* folder, char* path, size_t capacity) {
  static unsigned next = GetTickCount() ^ (GetCurrentProcessId() << 4);
  for (int attempt = 0; attempt < 64; ++attempt) {
    char name[16];
    FormatText(name, sizeof name, "wvl%04X.tmp", (next++) & 0xFFFF);
    if (!CopyText(path, capacity, folder) || !AppendText(path, capacity, name)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return file;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

bool ReplaceWithTemporary(const char* temporary, const char* target) {
  // Polled: a reader's close signals nothing that could be waited on.
  const DWORD kRetryMs = 2000;
  const DWORD kPollMs = 20;
  const DWORD start = GetTickCount();
  for (;;) {
    if (MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING)) return true;
    const DWORD error = GetLastError();
    const bool shared = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
    if (!shared || GetTickCount() - start >= kRetryMs) {
      DeleteFileA(temporary);
      SetLastError(error);
      return false;
    }
    PumpMessages(kPollMs, true);
  }
}
