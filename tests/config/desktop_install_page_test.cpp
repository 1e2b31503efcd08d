// The desktop installation of a desktop-mode page, through the real control
// in the container: the program group through Wine's own Program Manager
// DDE service (its folder in the start menu), the desktop shortcuts, the
// registry steps, and a deployment in which everything is current.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdio.h>
#include <string.h>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

std::string Folder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
  return path;
}

// The names of the links in folder, sorted.
std::vector<std::string> Links(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.lnk").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

BOOL CALLBACK CloseIfTitled(HWND window, LPARAM title) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (strstr(text, (const char*)title)) PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// The shell shows a group it creates in a window of its own; left open, it
// would take the activation from later tests.
void CloseGroupWindows(const char* title) {
  EnumWindows(CloseIfTitled, (LPARAM)title);
}

TEST(DesktopInstallPage, GroupItemsShortcutsAndRegistry) {
  ASSERT_TRUE(RegisterControl());
  const std::string install = TestEnvDir() + "\\group-install";
  // Wine's Program Manager keeps groups in the user's start menu.
  const std::string group = Folder(CSIDL_PROGRAMS) + "\\Host Access";
  const std::string desktop = Folder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const std::string desk =
      "[KVSetup]\r\nDestinationDir=" + install + "\r\n"
      "[Program Group]\r\nUseGroup=Yes\r\nGroupName=Host Access\r\n"
      "MainframeDisplayText=Host Display\r\niSeriesDisplayText=AS/400 Display\r\n"
      "HllapiRedirectorText=Redirector\r\n"
      "[Desktop Shortcuts]\r\nMainframeDisplay=Yes\r\n";
  const struct {
    const char* what;
    bool fresh;  // nothing installed yet: the downloads open the dialog
    std::vector<std::string> groupLinks;
  } cases[] = {
      {"first installation", true, {"Host Display.lnk"}},
      {"everything current", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteEventLogs();
    if (c.fresh) {
      DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\MARROCK");
      DeleteFileA((install + "\\KVMD.EXE").c_str());
    }
    // What an older release left in the group, and the group of this one.
    for (const std::string& name : Links(group)) DeleteFileA((group + "\\" + name).c_str());
    CreateDirectoryA(group.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(group + "\\AS400 Display.lnk", "older"));
    DeleteFileA((desktop + "\\Host Display.LNK").c_str());
    PublishPage("group/site.ini", "[Kestrava]\r\nDesktopMode=desk.ini\r\n");
    PublishPage("group/desk.ini", desk);
    PublishPage("group/md.lst", "KVMD.EXE,1\r\n");
    PublishPage("group/KVMD.EXE", "a program");
    HostRun run = RunHost({PublishPage(
        "group/index.htm",
        ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"}, {"MD_DistFile", "md.lst"}}))});
    EXPECT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    // Long open by now: the two deletions that follow the group's creation
    // take Wine's Program Manager ten seconds each to leave unanswered.
    CloseGroupWindows("Host Access");
    std::vector<std::string> expected = c.groupLinks;
    if (!c.fresh) expected.push_back("AS400 Display.lnk");  // no group work: left alone
    EXPECT_EQ(expected, Links(group));
    EXPECT_TRUE(FileExists(desktop + "\\Host Display.LNK"));
    std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
    EXPECT_EQ(c.fresh, HasLine(lines, "Program Manager: [CreateGroup(Host Access)]"));
    EXPECT_EQ(c.fresh, HasLine(lines, "Program Manager: [DeleteItem(AS400 Display)]"));
    // The item's command line from the folder's short form; no item for a
    // program that is not installed.
    char shortFolder[MAX_PATH] = "";
    GetShortPathNameA(install.c_str(), shortFolder, MAX_PATH);
    EXPECT_EQ(c.fresh, HasLine(lines, "Program Manager: [AddItem(" + std::string(shortFolder) +
                                          "\\KVMD.EXE,Host Display)]"));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
      return line.find("KVHR.EXE") != std::string::npos;
    }));
    // The registry steps run either way.
    EXPECT_EQ(1u, RegBinary(HKEY_LOCAL_MACHINE, "Software\\MARROCK\\Kestrava",
                            "Preferred Connection Type").size());
  }
}

}  // namespace
