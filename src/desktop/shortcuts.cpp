// Desktop shortcuts; see shortcuts.h.
#include "desktop/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "desktop/portable/shortcut_text.h"
#include "config/special_folders.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "download/component_files.h"
#include "base/portable/session_kinds.h"
#include "base/scoped_handles.h"

namespace {

enum { kCommandCapacity = 260 };

struct ProgramShortcut {
  int kind;  // -1: a program that is no session kind
  const char* program;
  ProgramLabel label;
  const char* olderLink;
};

const ProgramShortcut kProgramShortcuts[] = {
    {kMainframeDisplay, "KVMD.EXE", kLabelMainframeDisplay, nullptr},
    {kMainframePrinter, "KVMP.EXE", kLabelMainframePrinter, nullptr},
    {kAs400Display, "KVAD.EXE", kLabelISeriesDisplay, "AS400 Display.LNK"},
    {kAs400Printer, "KVAP.EXE", kLabelISeriesPrinter, "AS400 Printer.LNK"},
    {kVtSession, "KVVT.EXE", kLabelVT, nullptr},
    {-1, "KVSM.EXE", kLabelSessionManager, nullptr},
    {-1, "KVSE.EXE", kLabelScriptEditor, nullptr},
    {kFtpSession, "KVFTP.EXE", kLabelFTP, nullptr},
    {-1, "KVSH.EXE", kLabelScriptingHost, nullptr},
};

bool Wanted(const ProgramShortcut& row) {
  const DeploymentSettings& s = Settings();
  if (row.kind >= 0) return s.KindShortcuts[row.kind].Wanted;
  switch (row.label) {
    case kLabelSessionManager: return s.SessionManagerShortcut;
    case kLabelScriptEditor: return s.ScriptEditorShortcut;
    case kLabelScriptingHost: return s.ScriptingHostShortcut;
    default: return false;
  }
}

// The desktop folder, the label as a file name, extension. False when the
// path does not fit: a cut path would name some other file.
bool FormLinkPath(const char* label, const char* extension, char* path, size_t capacity) {
  char name[kSettingLabelCapacity];
  bool replaced = false;
  LinkFileNameOf(label, name, sizeof name, &replaced);
  if (replaced) WriteLogLineF("Shortcut %s is written as %s%s\r\n", label, name, extension);
  path[0] = '\0';
  bool fits = GetDesktopFolder(path, capacity);
  fits = AppendText(path, capacity, name) && fits;
  fits = AppendText(path, capacity, extension) && fits;
  if (!fits) WriteLogLineF("Shortcut %s does not fit a path; it is not written.\r\n", label);
  return fits;
}

// The browser's program, for browser and URL shortcuts.
bool FindBrowserProgram(char* path) {
  if (!FindDefaultBrowser(path)) return false;
  const char* program = BrowserProgramOf(path);
  if (!program) return false;
  // Not registered: the open command as read stays the target.
  LookUpAppPath(program, path);
  return true;
}

}  // namespace

HRESULT CreateShortcut(const char* target, const char* linkPath, const char* description,
                       const char* arguments) {
  IShellLinkA* link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkA, (void**)&link);
  if (FAILED(result)) return result;
  link->SetPath(target);
  link->SetDescription(description);
  link->SetWorkingDirectory(Settings().DesktopMode ? Settings().InstallFolder
                                                             : DownloadFolderPath());
  if (arguments) link->SetArguments(arguments);
  IPersistFile* file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, (void**)&file);
  if (SUCCEEDED(result)) {
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) widePath[0] = 0;
    result = file->Save(widePath, TRUE);
    file->Release();
  }
  link->Release();
  return result;
}

namespace {

// The default value of an HKEY_LOCAL_MACHINE key, 259 characters at most,
// into text (kCommandCapacity bytes); false when it cannot be read.
bool ReadMachineDefault(const char* keyName, char* text) {
  ScopedKey key;
  if (OpenRegKey(&key, HKEY_LOCAL_MACHINE, keyName, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
  char value[kCommandCapacity + 1] = "";
  DWORD size = kCommandCapacity;
  DWORD type = 0;
  LONG rc = RegQueryValueExA(key.Get(), nullptr, nullptr, &type, (BYTE*)value, &size);
  key.Reset();
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  value[size < (DWORD)kCommandCapacity ? size : (DWORD)kCommandCapacity] = '\0';  // may lack its zero
  CopyText(text, kCommandCapacity, value);
  return true;
}

}  // namespace

bool FindDefaultBrowser(char* command) {
  if (!ReadMachineDefault("Software\\Classes\\Http\\Shell\\Open\\Command", command)) return false;
  CutBrowserCommand(command);
  return true;
}

bool LookUpAppPath(const char* programName, char* path) {
  char keyName[kCommandCapacity];
  if (!FormatText(keyName, sizeof keyName,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\%s", programName)) {
    return false;
  }
  return ReadMachineDefault(keyName, path);
}

void CreateComponentShortcuts() {
  const DeploymentSettings& s = Settings();
  for (const ProgramShortcut& row : kProgramShortcuts) {
    if (!Wanted(row) || IsFileMissing(row.program, row.kind < 0 ? 0 : row.kind)) continue;
    char path[kPathCapacity];
    if (row.olderLink) {
      path[0] = '\0';
      if (GetDesktopFolder(path, sizeof path) && AppendText(path, sizeof path, row.olderLink)) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
        DeleteFileA(path);
      }
    }
    char target[kPathCapacity];
    bool fits = CopyText(target, sizeof target, s.InstallFolder);
    fits = AddBackslash(target, sizeof target) && fits;
    fits = AppendText(target, sizeof target, row.program) && fits;
    const char* label = s.ProgramLabels[row.label];
    if (!fits || !FormLinkPath(label, ".LNK", path, sizeof path)) continue;
    CreateShortcut(target, path, label, nullptr);
  }
}

void CreateBrowserShortcuts() {
  char browser[kCommandCapacity];
  if (!FindBrowserProgram(browser)) return;
  for (const KindShortcut& kind : Settings().KindShortcuts) {
    char path[kPathCapacity];
    if (!kind.Wanted || !FormLinkPath(kind.Label, ".LNK", path, sizeof path)) continue;
    CreateShortcut(browser, path, kind.Label, kind.Url);
  }
}

void CreateCustomShortcuts() {
  for (const CustomShortcut& custom : Settings().CustomShortcuts) {
    if (custom.Target[0] == '\0') continue;
    char program[kCommandCapacity];
    char arguments[kSettingPathCapacity];
    if (IsUrlTarget(custom.Target)) {
      if (!FindBrowserProgram(program)) continue;
      CopyText(arguments, sizeof arguments, custom.Target);
    } else {
      SplitCustomTarget(custom.Target, program, sizeof program, arguments, sizeof arguments);
    }
    char path[kPathCapacity];
    if (!FormLinkPath(custom.Label, ".Lnk", path, sizeof path)) continue;
    CreateShortcut(program, path, custom.Label, arguments);
  }
}
