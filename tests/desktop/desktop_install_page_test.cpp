// A desktop-mode page through the real control: the group via Wine's Program Manager DDE service,
// shortcuts and registry steps, all current, a name not sent and a Program Manager not answering.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string.h>
#include <thread>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

std::vector<std::string> Links(const std::string& folder) {
  std::vector<std::string> names;
  ForEachFound(folder + "\\*.lnk", [&](const WIN32_FIND_DATAA& found) {
    names.push_back(found.cFileName);
  });
  std::sort(names.begin(), names.end());
  return names;
}

BOOL CALLBACK CloseGroupWindow(HWND window, LPARAM closed) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (strstr(text, "Host") && PostMessageA(window, WM_CLOSE, 0, 0)) ++*(int*)closed;
  return TRUE;
}

// Group windows the shell opens take activation from later tests, and a late one keeps its process
// holding the test's output handles: close them until none shows for quietMs, ten seconds at most.
void CloseGroupWindows(DWORD quietMs) {
  const DWORD start = GetTickCount();
  DWORD lastSeen = start;
  do {
    int closed = 0;
    EnumWindows(CloseGroupWindow, (LPARAM)&closed);
    if (closed > 0) lastSeen = GetTickCount();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  } while (GetTickCount() - lastSeen < quietMs && GetTickCount() - start < 10000);
}

// A desktop whose Program Manager does not answer: its first window's shell DDE servers are closed.
bool SilentDesktop(const char* name) {
  HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  bool silent = false;
  std::thread([&] {
    if (!SetThreadDesktop(desktop)) return;  // the test's own desktop must keep its shell
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0);
    int closed = 0;
    silent = window && WaitUntil([&] {
      HWND server = FindWindowA("WineDdeServerName", nullptr);
      if (server && PostMessageA(server, WM_CLOSE, 0, 0)) ++closed;
      return closed > 0 && !server;
    }, 10000);
    DestroyWindow(window);
  }).join();
  return silent;  // the desktop stays for the process's later hosts
}

TEST(DesktopInstallPage, GroupItemsShortcutsAndRegistry) {
  ASSERT_TRUE(RegisterControl());
  CoInitialize(nullptr);
  // Under Program Files: the items' command lines take the folder's 8.3 form.
  const std::string install = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Group Install";
  // Wine's Program Manager keeps groups in the user's start menu.
  const std::string programs = ShellFolder(CSIDL_PROGRAMS);
  const std::string group = programs + "\\Host Access";
  const std::string desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  char shortFolder[MAX_PATH] = "";
  CreateDirectoryA(install.c_str(), nullptr);
  GetShortPathNameA(install.c_str(), shortFolder, MAX_PATH);
  const std::string addItem = "[AddItem(" + std::string(shortFolder) + "\\KVMD.EXE,Host Display)]";
  // A link per installed program, item text made a file name (the redirector's is not installed).
  const std::vector<std::string> items = {"AS-400 Display.lnk", "Host Display.lnk",
                                          "Kestrava Uninstall.lnk"};
  const std::vector<std::string> older = {"AS400 Display.lnk", "AS400 Printer.lnk"};
  const std::string program = StandInProgram("KVMD.PRO");
  const struct {
    const char* what;
    bool fresh;  // nothing installed yet: the downloads open the dialog
    const char* group;
    std::vector<std::string> links;          // in the group afterwards
    std::vector<std::string> sent, notSent;  // Program Manager log lines
    bool unanswered = false;  // on a desktop whose Program Manager does not answer
  } cases[] = {
      {"first installation", true, "Host Access", items,
       {"[CreateGroup(Host Access)]", "[DeleteItem(AS400 Display)]", "[DeleteItem(AS400 Printer)]",
        addItem, "AS/400 Display is sent as AS-400 Display"},
       {"KVHR.EXE"}},
      {"everything current", false, "Host Access", older, {}, {"CreateGroup", "DeleteItem"}},
      {"name that cannot be sent", true, "Host\"] [DeleteGroup(x)", older,
       {"Host\"] [DeleteGroup(x) cannot be sent and is left out.",
        "the group's items are left out with it."},
       {"CreateGroup", "DeleteItem", "AddItem"}},
      {"no answer", true, "Host Access", older, {}, {"Program Manager:", "not added"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(!c.unanswered || SilentDesktop("wevelink-silent"));
    SetHostDesktop(c.unanswered ? "wevelink-silent" : "");
    if (c.fresh) {
      DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\MARROCK");
      for (const char* program : {"KVMD.EXE", "KVAD.EXE", "UNINS.EXE"}) {
        DeleteFileA((install + "\\" + program).c_str());
      }
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\MARROCK\\Kestrava",
                       "Preferred Connection Type");
    // What an older release left in the groups, and nothing of this one.
    for (const std::string& name : Links(group)) DeleteFileA((group + "\\" + name).c_str());
    CreateDirectoryA(group.c_str(), nullptr);
    for (const std::string& name : older) {
      ASSERT_TRUE(WriteFileBytes(group + "\\" + name, "older"));
    }
    for (const char* link : {"Host Display.LNK", "AS-400 Display.LNK"}) {
      DeleteFileA((desktop + "\\" + link).c_str());
    }
    // The older desktop links, read-only: only an installed program's goes.
    for (const std::string& name : older) {
      SetFileAttributesA((desktop + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      ASSERT_TRUE(WriteFileBytes(desktop + "\\" + name, "older"));
      SetFileAttributesA((desktop + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    const std::string desk = "[KVSetup]\r\nDestinationDir=" + install +
                             "\r\nConnection=R\r\n[Program Group]\r\nUseGroup=Yes\r\nGroupName=" +
                             c.group + "\r\nMainframeDisplayText=Host Display\r\n"
                             "iSeriesDisplayText=AS/400 Display\r\n"
                             "iSeriesPrinterText=AS/400 Printer\r\n"
                             "HllapiRedirectorText=Redirector\r\n[Desktop Shortcuts]\r\n"
                             "MainframeDisplay=Yes\r\niSeriesDisplay=Y\r\niSeriesPrinter=Y\r\n";
    HostRun run = Deploy("group", "[Kestrava]\r\nDesktopMode=desk.ini\r\n",
                         {{"desk.ini", desk}, {"md.lst", "KVMD.EXE,1\r\nUNINS.EXE,1\r\n"},
                          {"ad.lst", "KVAD.EXE,1\r\n"}, {"KVMD.EXE", program},
                          {"KVAD.EXE", program}, {"UNINS.EXE", program}},
                         {{"MD_DistFile", "md.lst"}, {"AD_DistFile", "ad.lst"}});
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    CloseGroupWindows(0);
    EXPECT_EQ(c.links, Links(group));
    // The shortcuts and the registry steps run whatever becomes of the group.
    EXPECT_EQ(install + "\\KVAD.EXE |  | AS/400 Display | " + install,
              ReadLink(desktop + "\\AS-400 Display.LNK"));
    EXPECT_FALSE(FileExists(desktop + "\\AS-400 Printer.LNK"));  // KVAP.EXE is not installed
    EXPECT_FALSE(FileExists(desktop + "\\" + older[0]));
    EXPECT_TRUE(FileExists(desktop + "\\" + older[1]));
    // Written again each time: 1 is Connection=R's code.
    EXPECT_EQ("\x01", RegBinary(HKEY_LOCAL_MACHINE, "Software\\MARROCK\\Kestrava",
                                "Preferred Connection Type"));
    std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
    EXPECT_EQ(c.unanswered, HasLine(lines, "Program Manager did not answer: the program group "
                                           "Host Access is not made."));
    for (const std::string& line : c.sent) {
      EXPECT_TRUE(HasLine(lines, "Program Manager: " + line)) << line;
    }
    for (const std::string& text : c.notSent) {
      EXPECT_EQ(0u, Count(lines, text)) << text;
    }
  }
  CloseGroupWindows(2000);
  SetFileAttributesA((desktop + "\\" + older[1]).c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA((desktop + "\\" + older[1]).c_str());
  CoUninitialize();
}

}  // namespace
