// Shortcuts a web-mode page leaves on the desktop, through the real control
// in the container, read back with IShellLinkA: browser shortcuts per kind,
// custom shortcuts to programs and URLs, labels that a file name cannot
// hold, with and without a registered browser.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <string.h>

#include <gtest/gtest.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "desktop/desktop_installation.h"
#include "desktop/shortcuts.h"
#include "base/module_folders.h"
#include "download/progress_dialog.h"
#include "host_run.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

using namespace testsupport;

namespace {

const char kHttpCommand[] = "Software\\Classes\\Http\\Shell\\Open\\Command";
const char kAppPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

void SetDefault(const char* key, const std::string& value) {
  HKEY handle;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE,
                                           nullptr, &handle, nullptr));
  RegSetValueExA(handle, nullptr, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
  RegCloseKey(handle);
}

// The all-users desktop; the user's own on the 9x family.
std::string DesktopFolder(int csidl = CSIDL_COMMON_DESKTOPDIRECTORY) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
  return path;
}

// "target | arguments | description | working folder", or "(missing)".
std::string ReadLink(const std::string& path) {
  if (!FileExists(path)) return "(missing)";
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              (void**)&link))) {
    return "(no shell link)";
  }
  IPersistFile* file = nullptr;
  std::string text = "(unreadable)";
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    char target[MAX_PATH] = "", arguments[MAX_PATH] = "", description[MAX_PATH] = "",
         folder[MAX_PATH] = "";
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, MAX_PATH);
    link->GetDescription(description, MAX_PATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    text = std::string(target) + " | " + arguments + " | " + description + " | " + folder;
  }
  if (file) file->Release();
  link->Release();
  return text;
}

class ShortcutsPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    CoInitialize(nullptr);
  }
  static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(ShortcutsPageTest, BrowserAndCustomShortcutsOfAWebPage) {
  // Two copies of a real program under the browser's name: the one App
  // Paths names, and the one the open command names (with a blank in its
  // folder, so the command quotes it).
  const std::string browser = TestEnvDir() + "\\browser\\iexplore.exe";
  const std::string opened = TestEnvDir() + "\\Web Browser\\iexplore.exe";
  for (const std::string& program : {browser, opened}) {
    CreateDirectoryA(program.substr(0, program.rfind('\\')).c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(WinPathFromUnix(SESSION_STUB_UNIX).c_str(), program.c_str(), FALSE));
  }
  const std::string common = DesktopFolder();
  const std::string own = DesktopFolder(CSIDL_DESKTOPDIRECTORY);
  const std::string dl = DownloadFolder();
  const std::string customs =
      "[Custom ShortCuts]\r\n"
      "ShortCut1=C:\\Tools\\app.exe -s 1\r\nShortCutLabel1=Tool\r\n"
      "ShortCut2=C:/Tools/app.exe\r\nShortCutLabel2=Slash tool\r\n"
      "ShortCut3=C:\\Tools\\plain.exe\r\n"
      "ShortCut4=C:\\Tools\\x.exe\r\nShortCutLabel4=..\\..\\x\r\n";
  const std::string kinds =
      "[Mainframe Display]\r\nShortCutURL=http://h/tso.htm\r\nShortCutLabel=Host Display\r\n"
      "[AS/400 Display]\r\nShortCutURL=http://h/as.htm\r\nShortCutLabel=AS/400 Display\r\n";
  const std::string browserLink = browser + " | http://h/as.htm | AS/400 Display | " + dl;
  const struct {
    const char* what;
    bool browserRegistered;
    bool kindShortcuts;
    std::vector<std::pair<std::string, std::string>> links;  // file name, what it holds
    const char* windowsVersion = "";
    bool appPathRegistered = true;  // else the open command, cut, is the target
  } cases[] = {
      {"browser registered", true, true,
       {{"Host Display.LNK", browser + " | http://h/tso.htm | Host Display | " + dl},
        {"AS-400 Display.LNK", browserLink},
        {"Tool.Lnk", "C:\\Tools\\app.exe | -s 1 | Tool | " + dl},
        {"Slash tool.Lnk", browser + " | C:/Tools/app.exe | Slash tool | " + dl},
        {".Lnk", "C:\\Tools\\plain.exe |  |  | " + dl},
        {"..-..-x.Lnk", "C:\\Tools\\x.exe |  | ..\\..\\x | " + dl}}},
      {"no kind shortcut wanted", true, false,
       {{"AS-400 Display.LNK", "(missing)"}, {"Tool.Lnk", "C:\\Tools\\app.exe | -s 1 | Tool | " + dl}}},
      {"no browser", false, true,
       {{"Host Display.LNK", "(missing)"}, {"Slash tool.Lnk", "(missing)"},
        {"Tool.Lnk", "C:\\Tools\\app.exe | -s 1 | Tool | " + dl}}},
      {"Windows 98", true, false, {{"Tool.Lnk", "C:\\Tools\\app.exe | -s 1 | Tool | " + dl}}, "win98"},
      {"open command without App Paths", true, true,
       {{"Host Display.LNK", opened + " | http://h/tso.htm | Host Display | " + dl},
        {"Slash tool.Lnk", opened + " | C:/Tools/app.exe | Slash tool | " + dl}},
       "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteEventLogs();
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\Http");
    DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPath);
    if (c.browserRegistered) {
      SetDefault(kHttpCommand, "\"" + opened + "\" \"%1\"");
      if (c.appPathRegistered) SetDefault(kAppPath, browser);
    }
    for (const std::string& folder : {common, own}) {
      for (const char* name : {"Host Display.LNK", "AS-400 Display.LNK", "Tool.Lnk",
                               "Slash tool.Lnk", ".Lnk", "..-..-x.Lnk"}) {
        DeleteFileA((folder + "\\" + name).c_str());
      }
    }
    const bool family9x = strcmp(c.windowsVersion, "win98") == 0;
    const std::string& desktop = family9x ? own : common;
    PublishPage("links/site.ini", "[Kestrava]\r\n" + (c.kindShortcuts ? kinds : "") + customs);
    const std::string page = PublishPage(
        "links/index.htm", ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"}}));
    HostRun run = c.windowsVersion[0] ? RunHostUnder(c.windowsVersion, {page}) : RunHost({page});
    EXPECT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    for (const auto& link : c.links) {
      EXPECT_EQ(link.second, ReadLink(desktop + "\\" + link.first)) << link.first;
    }
    EXPECT_EQ(!family9x, FileExists(common + "\\Tool.Lnk"));
    std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
    // No session on the page: the launch still ends with the shortcuts.
    EXPECT_TRUE(HasLine(lines, "Launching Sessions..."));
    EXPECT_EQ(c.kindShortcuts && c.browserRegistered,
              HasLine(lines, "Shortcut AS/400 Display is written as AS-400 Display.LNK"));
  }
  DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\Http");
  DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPath);
}

// Desktop mode: a link per installed program whose shortcut is wanted; the
// older AS/400 link goes only when the new one is made.
TEST_F(ShortcutsPageTest, ProgramShortcutsOfTheInstalledPrograms) {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  const std::string install = TestEnvDir() + "\\links-install";
  const std::string desktop = DesktopFolder();
  CreateDirectoryA(install.c_str(), nullptr);
  DeploymentSettings& s = g_DeploymentSettings;
  s.DesktopMode = true;
  CopyText(s.InstallFolder, sizeof s.InstallFolder, install.c_str());
  const struct {
    int kind;
    ProgramLabel label;
    const char* program;
    const char* older;
    bool installed;
  } rows[] = {
      {0, kLabelMainframeDisplay, "KVMD.EXE", nullptr, false},
      {2, kLabelISeriesDisplay, "KVAD.EXE", "AS400 Display.LNK", true},
      {3, kLabelISeriesPrinter, "KVAP.EXE", "AS400 Printer.LNK", false},
  };
  for (const auto& row : rows) {
    s.KindShortcuts[row.kind].Wanted = true;
    FormatText(s.ProgramLabels[row.label], kSettingLabelCapacity, "Label %s", row.program);
    const std::string program = install + "\\" + row.program;
    DeleteFileA(program.c_str());
    if (row.installed) {
      ASSERT_TRUE(WriteFileBytes(program, "program"));
    }
    DeleteFileA((desktop + "\\Label " + row.program + ".LNK").c_str());
    if (row.older) {
      ASSERT_TRUE(WriteFileBytes(desktop + "\\" + row.older, "older"));
      SetFileAttributesA((desktop + "\\" + row.older).c_str(), FILE_ATTRIBUTE_READONLY);
    }
  }
  CreateComponentShortcuts();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.program);
    EXPECT_EQ(row.installed ? install + "\\" + row.program + " |  | Label " + row.program + " | " + install
                            : "(missing)",
              ReadLink(desktop + "\\Label " + row.program + ".LNK"));
    if (row.older) {
      EXPECT_EQ(!row.installed, FileExists(desktop + "\\" + row.older));
      SetFileAttributesA((desktop + "\\" + row.older).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  }
  s = DeploymentSettings();
}

// The installation's share of the overall progress is 23 steps whether the
// dialog is open and the group wanted or not.
TEST_F(ShortcutsPageTest, DesktopInstallationAdvancesTwentyThreeSteps) {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  const struct {
    const char* what;
    bool dialog;
    bool group;
  } cases[] = {
      {"no dialog", false, true},
      {"dialog, no group wanted", true, false},
      {"dialog and group", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeploymentSettings& s = g_DeploymentSettings;
    s = DeploymentSettings();
    s.DesktopMode = true;
    s.GroupWanted = c.group;
    // A name the Program Manager is not sent: the group's steps run, but no
    // shell window opens for a group to outlive the test.
    CopyText(s.GroupName, sizeof s.GroupName, "Steps \"Group\"");
    CopyText(s.InstallFolder, sizeof s.InstallFolder, TestEnvDir().c_str());
    ResetProgressForDeployment();
    if (c.dialog) {
      ASSERT_TRUE(CreateProgressDialog(true));
    }
    RunDesktopInstallation();
    EXPECT_EQ(23, (int)OverallProgressSteps());
    if (c.dialog) DestroyProgressDialogAndWait();
  }
  g_DeploymentSettings = DeploymentSettings();
}

}  // namespace
