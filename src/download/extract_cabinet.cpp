// Cabinet extraction and its callback; see extract_cabinet.h.
#include "download/extract_cabinet.h"

#include <setupapi.h>
#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/deployment_settings.h"
#include "base/folder_path.h"
#include "config/ini_reader.h"
#include "config/initialization_file.h"
#include "config/working_folders.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "download/portable/cabinet_names.h"
#include "download/component_files.h"
#include "download/register_library.h"
#include "download/run_program.h"
#include "download/portable/sibling_clients.h"
#include "download/sibling_settings.h"
#include "download/update_component.h"

namespace {

// Set by each ExtractCabinet before it extracts; read by the callback and
// by the sibling settings files installed after the cabinet.
char g_ExtractFolder[kPathCapacity];
char g_OrvenaFolder[kPathCapacity];
char g_ZelvicFolder[kPathCapacity];
char g_LastCabinetName[kPathCapacity];
// The file being extracted: it is written under a temporary name beside its
// target and put in place only once it arrived whole, so that a cabinet cut
// short leaves the installed file as it was.
char g_PendingTarget[kPathCapacity];
char g_PendingTemporary[kPathCapacity];
DWORD g_PendingSize;  // as the cabinet gives it

enum { kVersionCapacity = 32 };  // 31 characters

// A section value that must be taken whole: one character more than it may
// hold is read, so that a longer value is told from one that fits.
bool ReadWholeValue(const char* iniPath, const char* section, const char* key, char* value,
                    size_t capacity) {
  char read[kPathCapacity + 1];
  size_t readCapacity = capacity + 1 <= sizeof read ? capacity + 1 : sizeof read;
  ReadIniText(iniPath, section, key, "", read, readCapacity);
  if (strlen(read) >= capacity) {
    WriteLogLineF("   [%s] %s is longer than %d characters; it is not used.\r\n", section, key,
                  (int)capacity - 1);
    value[0] = '\0';
    return false;
  }
  CopyText(value, capacity, read);
  return true;
}

// Records and configures the sibling client of the cabinet, or clears its
// folder when the cabinet is not its own.
void ChooseSiblingFolder(const SiblingClient& client, const char* version) {
  char* folder = client.Letter == 'O' ? g_OrvenaFolder : g_ZelvicFolder;
  const SiblingClient* own = SiblingClientForCabinet(g_LastCabinetName);
  if (version[0] == '\0' || own != &client) {
    folder[0] = '\0';
    return;
  }
  CopyText(folder, kPathCapacity, g_ExtractFolder);
  WriteSiblingSettings(client, version, g_ExtractFolder);
}

}  // namespace

bool CreateRunFolder(char* folder, size_t capacity) {
  static unsigned next = GetTickCount() ^ (GetCurrentProcessId() << 4);
  for (int attempt = 0; attempt < 64; ++attempt) {
    if (!FormatText(folder, capacity, "%swevlnk%04X", TempFolderPath(), (next++) & 0xFFFF)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    if (CreateDirectoryA(folder, nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void RemoveTemporaryFolder(const char* folder) {
  char pattern[kPathCapacity];
  bool fits = CopyText(pattern, sizeof pattern, folder) && AddBackslash(pattern, sizeof pattern);
  if (fits && AppendText(pattern, sizeof pattern, "*.*")) {
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(pattern, &found));
    for (bool more = search.IsValid(); more; more = FindNextFileA(search.Get(), &found)) {
      if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
      char path[kPathCapacity];
      if (!FormatText(path, sizeof path, "%s\\%s", folder, found.cFileName)) continue;
      SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path);
    }
  }
  RemoveDirectoryA(folder);
}

namespace {

void RunCabinetProgram(const char* cabinet, const char* run) {
  char program[kPathCapacity];
  if (!IsContainedRelativePath(run)) {
    WriteLogLineF("   %s: Run=%s leaves the extraction folder; it is not run.\r\n", cabinet, run);
    return;
  }
  if (!FormatText(program, sizeof program, "%s\\%s", g_ExtractFolder, run)) {
    WriteLogLineF("   %s: Run=%s does not fit 259 characters in %s; it is not run.\r\n", cabinet,
                  run, g_ExtractFolder);
    return;
  }
  RunProgram(g_ExtractFolder, program);
}

// The target of one file: below the sibling client's folder or the
// extraction folder; in desktop mode a renamed program there, every other
// file where the installation puts a file of its name.
UINT OnFileInCabinet(FILE_IN_CABINET_INFO_A* info) {
  const char* cabinet = g_LastCabinetName;
  const char* name = info->NameInCabinet;
  if (!IsContainedRelativePath(name)) {
    WriteLogLineF("   %s: %s would be written outside the extraction folder; it is skipped.\r\n",
                  cabinet, name);
    return FILEOP_SKIP;
  }
  const char* base = g_OrvenaFolder[0] ? g_OrvenaFolder
                     : g_ZelvicFolder[0] ? g_ZelvicFolder
                                         : g_ExtractFolder;
  char target[MAX_PATH];
  bool fits;
  const char* renamed = DesktopInstalledName(name);
  if (Settings().DesktopMode && renamed == nullptr) {
    fits = GetInstallFolderFor(target, sizeof target, name);
    fits = AppendText(target, sizeof target, name) && fits;
  } else {
    if (!Settings().DesktopMode) renamed = name;
    fits = CopyText(target, sizeof target, base);
    fits = AddBackslash(target, sizeof target) && fits;
    fits = AppendText(target, sizeof target, renamed) && fits;
  }
  if (!fits) {
    WriteLogLineF("   %s: the target of %s does not fit 259 characters; it is skipped.\r\n",
                  cabinet, name);
    return FILEOP_SKIP;
  }
  // A temporary file of its own in the target's folder: another browser window may be
  // extracting the same cabinet at the same moment.
  char folder[MAX_PATH];
  char temporary[MAX_PATH];
  const char* slash = strrchr(target, '\\');
  ScopedFile reserved(
      slash != nullptr &&
              FormatText(folder, sizeof folder, "%.*s", (int)(slash + 1 - target), target)
          ? CreateTemporaryFile(folder, temporary, sizeof temporary)
          : INVALID_HANDLE_VALUE);
  if (!reserved.IsValid()) {
    if (slash == nullptr || GetLastError() == ERROR_FILENAME_EXCED_RANGE) {
      WriteLogLineF("   %s: the target of %s does not fit 259 characters; it is skipped.\r\n",
                    cabinet, name);
    } else {
      WriteLogLineF("   %s could not be extracted: error %lu\r\n", target, GetLastError());
    }
    return FILEOP_SKIP;
  }
  reserved.Reset();  // the platform writes it anew
  CopyText(g_PendingTarget, sizeof g_PendingTarget, target);
  CopyText(g_PendingTemporary, sizeof g_PendingTemporary, temporary);
  g_PendingSize = info->FileSize;
  CopyText(info->FullTargetName, sizeof info->FullTargetName, temporary);
  return FILEOP_DOIT;
}

// Removes what an extraction that did not finish left under the temporary
// name.
void DropPendingFile() {
  if (g_PendingTemporary[0] != '\0') DeleteFileA(g_PendingTemporary);
  g_PendingTemporary[0] = '\0';
  g_PendingTarget[0] = '\0';
}

UINT OnFileExtracted(const FILEPATHS_A* paths) {
  char target[kPathCapacity];
  CopyText(target, sizeof target, g_PendingTarget[0] ? g_PendingTarget : paths->Target);
  if (paths->Win32Error != NO_ERROR) {
    WriteLogLineF("   %s could not be extracted: error %u\r\n", target,
                  (unsigned)paths->Win32Error);
    DropPendingFile();
    return NO_ERROR;
  }
  // The platform reports a file of a cabinet cut short as extracted with
  // the blocks that were there.
  WIN32_FILE_ATTRIBUTE_DATA written = {};
  if (g_PendingTemporary[0] != '\0' &&
      (!GetFileAttributesExA(g_PendingTemporary, GetFileExInfoStandard, &written) ||
       written.nFileSizeHigh != 0 || written.nFileSizeLow != g_PendingSize)) {
    WriteLogLineF("   %s could not be extracted: %lu of its %lu bytes arrived\r\n", target,
                  written.nFileSizeHigh != 0 ? 0UL : (unsigned long)written.nFileSizeLow,
                  (unsigned long)g_PendingSize);
    DropPendingFile();
    return NO_ERROR;
  }
  if (g_PendingTemporary[0] != '\0' &&
      !MoveFileExA(g_PendingTemporary, target, MOVEFILE_REPLACE_EXISTING)) {
    WriteLogLineF("   %s could not be put in place: error %lu\r\n", target, GetLastError());
    DropPendingFile();
    return NO_ERROR;
  }
  g_PendingTemporary[0] = '\0';
  g_PendingTarget[0] = '\0';
  char lower[MAX_PATH];
  CopyText(lower, sizeof lower, target);
  for (char* c = lower; *c; ++c) {
    if (*c >= 'A' && *c <= 'Z') *c = (char)(*c - 'A' + 'a');
  }
  if (strstr(lower, "kvwhll.dll") != nullptr || strstr(lower, "kvftp.dll") != nullptr) {
    RegisterLibrary(target);
  }
  return NO_ERROR;
}

}  // namespace

const char* OrvenaFolder() { return g_OrvenaFolder; }
const char* ZelvicFolder() { return g_ZelvicFolder; }
const char* SiblingFolder(char letter) {
  return letter == 'O' ? g_OrvenaFolder : letter == 'Z' ? g_ZelvicFolder : "";
}

UINT CALLBACK OnCabinetNotify(PVOID context, UINT notification, UINT_PTR param1,
                              UINT_PTR param2) {
  (void)context;
  (void)param2;
  switch (notification) {
    case SPFILENOTIFY_FILEINCABINET:
      return OnFileInCabinet((FILE_IN_CABINET_INFO_A*)param1);
    case SPFILENOTIFY_FILEEXTRACTED:
      return OnFileExtracted((const FILEPATHS_A*)param1);
    default:
      return NO_ERROR;
  }
}

bool ExtractCabinet(const char* cabinetName, int kind) {
  // A name part may keep the separator of its list entry; the section and
  // the client letter go by the file name itself.
  const char* fileName = cabinetName;
  while (*fileName == '\\' || *fileName == '/') ++fileName;
  CopyText(g_LastCabinetName, sizeof g_LastCabinetName, fileName);
  // Every cabinet sets the client folders afresh, one refused below too: a
  // following settings file must not reach an earlier cabinet's client.
  g_OrvenaFolder[0] = '\0';
  g_ZelvicFolder[0] = '\0';

  char iniPath[kPathCapacity];
  ComposeLocalIniPath(LastInitializationFileName(), iniPath, sizeof iniPath);
  char run[kPathCapacity];
  char destDir[kPathCapacity];
  char version[kVersionCapacity];
  bool runFits = ReadWholeValue(iniPath, fileName, "Run", run, sizeof run);
  if (!ReadWholeValue(iniPath, fileName, "DestDir", destDir, sizeof destDir)) {
    // A cut folder would be some other folder: nothing is extracted.
    return false;
  }
  bool temporary = false;
  if (destDir[0] != '\0') {
    CopyText(g_ExtractFolder, sizeof g_ExtractFolder, destDir);
    CreateFolderPath(g_ExtractFolder);
    ReadWholeValue(iniPath, fileName, "Version", version, sizeof version);
    ChooseSiblingFolder(*SiblingClientByLetter('O'), version);
    ChooseSiblingFolder(*SiblingClientByLetter('Z'), version);
  } else {
    if (run[0] != '\0') {
      if (!CreateRunFolder(g_ExtractFolder, sizeof g_ExtractFolder)) {
        WriteLogLineF("   %s: no temporary folder could be made in %s (error %lu).\r\n", fileName,
                      TempFolderPath(), GetLastError());
        return false;
      }
      temporary = true;
    } else {
      CopyText(g_ExtractFolder, sizeof g_ExtractFolder,
               Settings().DesktopMode ? Settings().InstallFolder
                                                : KindComponentFolder(kind));
    }
  }

  char cabinetPath[kPathCapacity];
  bool named = CopyText(cabinetPath, sizeof cabinetPath, ActiveXCacheFolderPath());
  named = AddBackslash(cabinetPath, sizeof cabinetPath) && named;
  named = AppendText(cabinetPath, sizeof cabinetPath, cabinetName) && named;
  BOOL extracted = FALSE;
  if (named) {
    extracted = SetupIterateCabinetA(cabinetPath, 0, OnCabinetNotify, nullptr);
    DWORD error = GetLastError();
    // A cabinet cut short ends inside a file, without its notification.
    DropPendingFile();
    SetLastError(error);
    if (!extracted) {
      WriteLogLineF("   %s could not be extracted: error %lu\r\n", cabinetPath, GetLastError());
    }
  } else {
    WriteLogLineF("   The path of cabinet %s does not fit 259 characters.\r\n", cabinetName);
  }

  // The program of a cabinet that did not extract is not the cabinet's.
  if (extracted && runFits && run[0] != '\0') RunCabinetProgram(fileName, run);
  if (temporary) RemoveTemporaryFolder(g_ExtractFolder);
  return extracted != FALSE;
}
