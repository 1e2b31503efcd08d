// The session programs' stand-in, started the way the control starts a
// session (the program's full path and its switches as the command line,
// the program's folder as working folder): it publishes its window in the
// shared table and clears it when it goes, answers FindWindowA on its
// class, records what it was given and what it received, closes on
// WM_CLOSE, and misbehaves when told to. Which program name gives which
// kind, and how switches split, are checked natively.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "host_run.h"
#include "sessions/session_state.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_launcher.h"
#include "sessions/portable/session_list.h"
#include "sessions/session_shutdown.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const UINT kMsgNewParent = 0x049A;
const UINT kMsgRefresh = 0x0465;
// Every wait ends as soon as what it waits for happens. The first window of
// a run can take long (Wine may have to start its desktop process for it):
// with the two presets' tests at once, one has taken more than 10 s.
const DWORD kWindowWaitMs = 30000;

const char* const kMisbehaviours[] = {"WEVELINK_STUB_WINDOW_DELAY_MS", "WEVELINK_STUB_NO_WINDOW",
                                      "WEVELINK_STUB_IGNORE_CLOSE", "WEVELINK_STUB_KEEP_SLOT",
                                      "WEVELINK_STUB_EXIT_AFTER_MS"};

std::string Number(HWND window) { return std::to_string((DWORD)(ULONG_PTR)window); }

// Dispatches this thread's messages while waiting (windows of other
// processes that become children of this thread's windows send it
// messages), until done or the time is up.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Pump(DWORD ms) {
  WaitUntil([] { return false; }, ms);
}

// The lines a stand-in wrote, without their "pid=N " prefix and line ends.
struct Log {
  std::vector<std::string> lines;

  Log(const std::string& path, DWORD pid) {
    std::string text;
    ReadFileBytes(path, &text);
    std::string prefix = "pid=" + std::to_string(pid) + " ";
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    }
  }
  // The first such line at or after from, or -1.
  int IndexOf(const std::string& line, int from = 0) const {
    for (size_t i = from < 0 ? lines.size() : from; i < lines.size(); ++i) {
      if (lines[i] == line) return (int)i;
    }
    return -1;
  }
  std::string Text() const {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
  }
  // Success when the log has the line, the whole log otherwise.
  testing::AssertionResult Has(const std::string& line) const {
    if (IndexOf(line) >= 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no \"" << line << "\" in\n" << Text();
  }
};

struct Stub {
  HANDLE process = nullptr;
  DWORD pid = 0;
  std::string commandLine;
  std::string folder;
};

class SessionStubTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenSessionWindowTable()); }
  static void TearDownTestSuite() { CloseSessionWindowTable(); }

  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    log_ = std::string(temp) + "wevelink-stub-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", log_.c_str());
    for (const char* name : kMisbehaviours) SetEnvironmentVariableA(name, nullptr);
    // A stand-in that a failing case leaves behind ends on its own.
    SetEnvironmentVariableA("WEVELINK_STUB_EXIT_AFTER_MS", "60000");
  }

  void TearDown() override {
    for (Stub& stub : stubs_) {
      if (WaitForSingleObject(stub.process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(stub.process, 255);
        WaitForSingleObject(stub.process, 5000);
      }
      CloseHandle(stub.process);
    }
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) SetSessionWindow(kind, slot, nullptr);
    }
    if (container_ != nullptr) DestroyWindow(container_);
    for (const char* name : kMisbehaviours) SetEnvironmentVariableA(name, nullptr);
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", nullptr);
  }

  // Starts folder\program with the switches, in that folder.
  Stub& Start(const std::string& program, const std::string& switches,
              const char* folderName = "programs") {
    Stub stub;
    stub.folder = WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + folderName);
    stub.commandLine = stub.folder + "\\" + program + (switches.empty() ? "" : " " + switches);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string writable = stub.commandLine;
    if (CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                       stub.folder.c_str(), &startup, &info)) {
      CloseHandle(info.hThread);
      stub.process = info.hProcess;
      stub.pid = info.dwProcessId;
    } else {
      ADD_FAILURE() << "CreateProcessA " << stub.commandLine << ": " << GetLastError();
    }
    stubs_.push_back(stub);
    return stubs_.back();
  }

  HWND WaitForSlot(int kind, int slot) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = GetSessionWindow(kind, slot)) != nullptr; }, kWindowWaitMs);
    return window;
  }

  // The exit code once the process has ended, pumping meanwhile; 259
  // (STILL_ACTIVE) when it is still running after timeoutMs.
  DWORD WaitForExit(const Stub& stub, DWORD timeoutMs = kWindowWaitMs) {
    WaitUntil([&] { return WaitForSingleObject(stub.process, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(stub.process, &code);
    return code;
  }

  testing::AssertionResult Logged(const Stub& stub, const std::string& line) {
    WaitUntil([&] { return LogOf(stub).IndexOf(line) >= 0; }, kWindowWaitMs);
    return LogOf(stub).Has(line);
  }

  Log LogOf(const Stub& stub) { return Log(log_, stub.pid); }

  // A top-level window of this test for sessions to be embedded in.
  HWND Container() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WevelinkTestContainer";
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
    container_ = CreateWindowExA(0, "WevelinkTestContainer", "container",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 700,
                                 500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return container_;
  }

  std::string log_;
  std::deque<Stub> stubs_;  // references to its elements stay valid
  HWND container_ = nullptr;
};

TEST_F(SessionStubTest, PublishesItsWindowRecordsItsStartAndClearsTheSlotOnClose) {
  // A handle another process published stays as it was.
  const HWND other = (HWND)(LONG_PTR)0x4242;
  SetSessionWindow(kVtSession, 98, other);
  Stub& stub = Start("KVMD.PRO", "/s3 /f\"tso.zmd\" /H10.1.1.5 /O23 /qy3270D /u1 /@");
  HWND window = WaitForSlot(kMainframeDisplay, 2);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();
  EXPECT_EQ(window, FindWindowA("qy3270 Mainframe Display  -  S3", nullptr));
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(stub.pid, owner);
  EXPECT_EQ(nullptr, GetParent(window));
  EXPECT_EQ(other, GetSessionWindow(kVtSession, 98));

  const std::vector<std::string> expected = {
      "start kind=KVMD mode=web cmd=" + stub.commandLine + " cwd=" + stub.folder,
      "switch s value=[3]",
      "switch f value=[tso.zmd] quoted",
      "switch H value=[10.1.1.5]",
      "switch O value=[23]",
      "switch q value=[y3270D]",
      "switch u value=[1]",
      "switch @ value=[]",
      "instance n=3 from=switch",
  };
  Log log = LogOf(stub);
  ASSERT_GE(log.lines.size(), expected.size()) << log.Text();
  EXPECT_EQ(expected, std::vector<std::string>(log.lines.begin(),
                                               log.lines.begin() + expected.size()));
  EXPECT_TRUE(log.Has("window hwnd=" + Number(window) +
                      " class=qy3270 Mainframe Display  -  S3 slot=2 parent=0"));

  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(0u, WaitForExit(stub));
  EXPECT_EQ(nullptr, GetSessionWindow(kMainframeDisplay, 2));
  EXPECT_EQ(nullptr, FindWindowA("qy3270 Mainframe Display  -  S3", nullptr));
  log = LogOf(stub);
  EXPECT_TRUE(log.Has("message CLOSE"));
  EXPECT_GT(log.IndexOf("destroy hwnd=" + Number(window) + " slot=cleared"),
            log.IndexOf("message CLOSE"))
      << log.Text();
  EXPECT_EQ("exit code=0", log.lines.back());
}

TEST_F(SessionStubTest, TakesTheLowestFreeInstanceAndRefusesABusyOne) {
  Stub& first = Start("KVAP.EXE", "/fprt1 /u1 /@");
  HWND firstWindow = WaitForSlot(kAs400Printer, 0);
  ASSERT_NE(nullptr, firstWindow) << LogOf(first).Text();
  EXPECT_EQ(firstWindow, FindWindowA("Kestrava AS/400 Printer  -  P1", nullptr));
  Stub& second = Start("KVAP.EXE", "/fprt2 /u1 /@");
  HWND secondWindow = WaitForSlot(kAs400Printer, 1);
  ASSERT_NE(nullptr, secondWindow) << LogOf(second).Text();
  EXPECT_EQ(secondWindow, FindWindowA("Kestrava AS/400 Printer  -  P2", nullptr));
  EXPECT_TRUE(LogOf(first).Has("instance n=1 from=free"));
  EXPECT_TRUE(LogOf(second).Has("instance n=2 from=free"));

  Stub& busy = Start("KVAP.EXE", "/s1 /fprt1 /u1 /@");
  EXPECT_EQ(3u, WaitForExit(busy));
  EXPECT_TRUE(LogOf(busy).Has("error instance 1 busy hwnd=" + Number(firstWindow)));
  EXPECT_EQ(firstWindow, GetSessionWindow(kAs400Printer, 0));

  PostMessageA(firstWindow, WM_CLOSE, 0, 0);
  PostMessageA(secondWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, WaitForExit(first));
  EXPECT_EQ(0u, WaitForExit(second));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Printer, 0));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Printer, 1));
}

TEST_F(SessionStubTest, RefusesNamesAndInstancesOutsideTheContract) {
  // The program under its build name is no session program.
  Stub& unnamed = Start("session-stub.exe", "/s1 /u1 /@", ".");
  EXPECT_EQ(2u, WaitForExit(unnamed));
  Log log = LogOf(unnamed);
  ASSERT_GE(log.lines.size(), 2u) << log.Text();
  EXPECT_EQ(0u, log.lines[0].find("start kind=? mode=? cmd=")) << log.Text();
  EXPECT_EQ(0u, log.lines[1].find("error ")) << log.Text();

  Stub& bad = Start("KVVT.PRO", "/s100 /u1 /@");
  EXPECT_EQ(2u, WaitForExit(bad));
  EXPECT_TRUE(LogOf(bad).Has("error instance switch is not a number from 1 to 99"));
  for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) {
    EXPECT_EQ(nullptr, GetSessionWindow(kVtSession, slot)) << slot;
  }
}

TEST_F(SessionStubTest, TakesTheNewParentAndRecordsRefreshAndFocus) {
  HWND container = Container();
  ASSERT_NE(nullptr, container);
  Stub& stub = Start("KVMD.PRO", "/s4 /f\"tso.zmd\" /qy3270D /u1 /@");
  HWND window = WaitForSlot(kMainframeDisplay, 3);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();

  // What the control does to re-use a running session inside the page.
  SetParent(window, container);
  SetWindowPos(window, nullptr, 10, 20, 400, 300, SWP_NOZORDER);
  ASSERT_TRUE(PostMessageA(window, kMsgNewParent, 0, (LPARAM)container));
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(PostMessageA(window, kMsgRefresh, 0, 0));
  EXPECT_TRUE(Logged(stub, "message NEWPARENT parent=" + Number(container) + " now=" +
                               Number(container)));
  EXPECT_TRUE(Logged(stub, "message REFRESH"));
  EXPECT_EQ(container, GetParent(window));
  EXPECT_EQ(3, FindSessionSlotWithParent(kMainframeDisplay, container));

  // Full-screen embedding passes focus changes on with zero parameters.
  DWORD_PTR result;
  EXPECT_TRUE(SendMessageTimeoutA(window, WM_KILLFOCUS, 0, 0, SMTO_NORMAL, 5000, &result));
  EXPECT_TRUE(SendMessageTimeoutA(window, WM_SETFOCUS, 0, 0, SMTO_NORMAL, 5000, &result));
  Log log = LogOf(stub);
  int kill = log.IndexOf("message KILLFOCUS wparam=0", log.IndexOf("message REFRESH"));
  EXPECT_GE(log.IndexOf("message SETFOCUS wparam=0", kill), 0) << log.Text();

  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(0u, WaitForExit(stub));
  EXPECT_EQ(nullptr, GetSessionWindow(kMainframeDisplay, 3));
  EXPECT_EQ(-1, FindSessionSlotWithParent(kMainframeDisplay, container));
}

TEST_F(SessionStubTest, EmbedsItselfWhereTheCommandLineSays) {
  HWND container = Container();
  ASSERT_NE(nullptr, container);
  std::string handle = std::to_string((int)(LONG_PTR)container);
  Stub& stub = Start("KVVT.PRO",
                     "/s5 /f\"vt.zvt\" /qyVT /u1 /*" + handle + " /(10 /)20 /_410 /+320 /@");
  HWND window = WaitForSlot(kVtSession, 4);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();
  EXPECT_EQ(container, GetParent(window));
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, container, (POINT*)&rect, 2);
  EXPECT_EQ(10, rect.left);
  EXPECT_EQ(20, rect.top);
  EXPECT_EQ(410, rect.right);
  EXPECT_EQ(320, rect.bottom);
  Log log = LogOf(stub);
  EXPECT_TRUE(log.Has("embedded parent=" + Number(container) + " rect=10,20,410,320 ok=1"));
  EXPECT_TRUE(log.Has("window hwnd=" + Number(window) + " class=qZVT  -  S5 slot=4 parent=" +
                      Number(container)));
  EXPECT_EQ(4, FindSessionSlotWithParent(kVtSession, container));

  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(0u, WaitForExit(stub));
  EXPECT_EQ(nullptr, GetSessionWindow(kVtSession, 4));
}

TEST_F(SessionStubTest, LateWindowAppearsOnlyAfterTheDelay) {
  SetEnvironmentVariableA("WEVELINK_STUB_WINDOW_DELAY_MS", "2500");
  DWORD start = GetTickCount();
  Stub& stub = Start("KVAD.PRO", "/s6 /f\"a.zad\" /qy5250D /u1 /@");
  Pump(1000);
  EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(stub.process, 0));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 5));
  EXPECT_EQ(nullptr, FindWindowA("qy5250 AS/400 Display  -  S6", nullptr));
  HWND window = WaitForSlot(kAs400Display, 5);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();
  EXPECT_GE(GetTickCount() - start, 2400u);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, WaitForExit(stub));
}

TEST_F(SessionStubTest, NoWindowNeverPublishesAndEndsByItself) {
  SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", "1");
  Stub& stub = Start("KVMP.PRO", "/s7 /fprt /qy3270P /u1 /@");
  bool everSeen = false;
  bool ended = WaitUntil(
      [&] {
        everSeen = everSeen || GetSessionWindow(kMainframePrinter, 6) != nullptr ||
                   FindWindowA("qy3270 Mainframe Printer  -  P7", nullptr) != nullptr;
        return WaitForSingleObject(stub.process, 0) == WAIT_OBJECT_0;
      },
      15000);
  ASSERT_TRUE(ended);
  EXPECT_FALSE(everSeen);
  EXPECT_EQ(0u, WaitForExit(stub));
  Log log = LogOf(stub);
  EXPECT_TRUE(log.Has("no-window"));
  for (const std::string& line : log.lines) EXPECT_NE(0u, line.find("window hwnd=")) << line;
}

TEST_F(SessionStubTest, IgnoredCloseKeepsTheWindowUntilTheExitTimer) {
  SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", "1");
  SetEnvironmentVariableA("WEVELINK_STUB_EXIT_AFTER_MS", "6000");
  Stub& stub = Start("KVFTP.PRO", "/s8 /f\"f.zft\" /qyFTP /u1 /@");
  HWND window = WaitForSlot(kFtpSession, 7);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  ASSERT_TRUE(Logged(stub, "message CLOSE ignored"));
  Pump(500);
  EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(stub.process, 0));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(window, GetSessionWindow(kFtpSession, 7));

  EXPECT_EQ(0u, WaitForExit(stub, 15000));
  EXPECT_EQ(nullptr, GetSessionWindow(kFtpSession, 7));
  Log log = LogOf(stub);
  EXPECT_GT(log.IndexOf("exit-timer"), log.IndexOf("message CLOSE ignored")) << log.Text();
  EXPECT_TRUE(log.Has("destroy hwnd=" + Number(window) + " slot=cleared"));
}

TEST_F(SessionStubTest, KeptSlotOutlivesTheWindow) {
  SetEnvironmentVariableA("WEVELINK_STUB_KEEP_SLOT", "1");
  Stub& stub = Start("KVVT.EXE", "/s9 /f\"v.zvt\" /u1 /@");
  HWND window = WaitForSlot(kVtSession, 8);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(0u, WaitForExit(stub));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(window, GetSessionWindow(kVtSession, 8));
  EXPECT_TRUE(LogOf(stub).Has("destroy hwnd=" + Number(window) + " slot=kept"));
}

// The open event log's entries, read while the log is written.
std::vector<std::string> OpenLogLines() {
  std::string text;
  HANDLE file = CreateFileA(EventLogPath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, file);
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return LogLinesWithoutStamps(text);
}

// The control's side of closing: the session embedded in the container is
// told to close and waited for, at most ten seconds, dispatching meanwhile;
// with nothing embedded nothing happens, not even a log line.
TEST_F(SessionStubTest, CloseEmbeddedSessionWaitsBoundedForTheSessionToGo) {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  ApplyLogEventsSetting(true);
  ASSERT_TRUE(IsEventLogOpen());
  HWND container = Container();
  ASSERT_NE(nullptr, container);
  SetContainerWindow(container);
  const std::string handle = std::to_string((int)(LONG_PTR)container);
  const struct {
    const char* what;
    bool embedded, ignoreClose;
    double atLeast, below;
  } cases[] = {
      {"nothing embedded", false, false, 0, 1},
      {"closes", true, false, 0, 5},
      {"ignores WM_CLOSE", true, true, 10, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", c.ignoreClose ? "1" : nullptr);
    Stub& stub = Start("KVAD.PRO", std::string("/s2 /fa /qy5250D /u1") +
                                       (c.embedded ? " /*" + handle + " /(0 /)0 /_40 /+30" : "") +
                                       " /@");
    HWND window = WaitForSlot(kAs400Display, 1);
    ASSERT_NE(nullptr, window) << LogOf(stub).Text();
    if (c.embedded) {
      ASSERT_TRUE(WaitUntil([&] { return GetParent(window) == container; }, kWindowWaitMs));
    }
    const size_t logged = OpenLogLines().size();
    DWORD start = GetTickCount();
    CloseEmbeddedSession();
    double seconds = (GetTickCount() - start) / 1000.0;
    EXPECT_LE(c.atLeast, seconds);
    EXPECT_GT(c.below, seconds);
    std::vector<std::string> lines = OpenLogLines();
    lines.erase(lines.begin(), lines.begin() + std::min(logged, lines.size()));
    const std::string number = std::to_string((int)(LONG_PTR)window);
    if (!c.embedded) {
      EXPECT_TRUE(lines.empty()) << lines[0];
      EXPECT_EQ(window, GetSessionWindow(kAs400Display, 1));
    } else {
      ASSERT_LE(2u, lines.size());
      EXPECT_EQ("WM_CLOSE posted to window " + number, lines[0]);
      EXPECT_EQ(". 2 .", lines[1]);
      // One line per pass of the wait, not one per spin.
      EXPECT_GT(c.ignoreClose ? 250u : 20u, lines.size());
      EXPECT_EQ(c.ignoreClose, lines.back() == "Window " + number +
                                                   " did not close within 10 seconds; it is left running.");
      EXPECT_EQ(c.ignoreClose ? window : nullptr, GetSessionWindow(kAs400Display, 1));
    }
    TerminateProcess(stub.process, 0);
    WaitForExit(stub);
    SetSessionWindow(kAs400Display, 1, nullptr);
  }
  SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", nullptr);
  SetContainerWindow(nullptr);
  EndEventLog();
}

// With sessions embedded, an entry whose session runs already is shown in
// the container again instead of started: moved in and told its new parent
// when it stands elsewhere, only sized and refreshed when it is there.
TEST_F(SessionStubTest, LauncherReusesARunningSessionForTheContainer) {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  ApplyLogEventsSetting(true);
  HWND container = Container();
  ASSERT_NE(nullptr, container);
  Stub& stub = Start("KVAD.PRO", "/s12 /fa /qy5250D /u1 /@");
  HWND window = WaitForSlot(kAs400Display, 11);
  ASSERT_NE(nullptr, window) << LogOf(stub).Text();
  SetContainerWindow(container);
  SetEmbedMode(kEmbedPosition);
  SetEmbedRect({10, 20, 410, 320});
  SessionListToBuild()->Count = 1;
  CopyText(SessionListToBuild()->Commands[0], kSessionCommandCapacity, "KVAD.PRO /s123 /f\"a\"");
  const std::string w = Number(window), p = Number(container);
  for (const std::string& line : {w + "'s Parent set to " + p, w + "'s Parent is " + p}) {
    SCOPED_TRACE(line);
    const size_t logged = OpenLogLines().size();
    LaunchSessions(nullptr);
    std::vector<std::string> lines = OpenLogLines();
    ASSERT_EQ(logged + 2, lines.size());
    EXPECT_EQ(line, lines.back());
    EXPECT_TRUE(Logged(stub, "message REFRESH"));
    EXPECT_EQ(container, GetParent(window));
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, container, (POINT*)&rect, 2);
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(320, rect.bottom);
  }
  Log log = LogOf(stub);
  EXPECT_TRUE(log.Has("message NEWPARENT parent=" + p + " now=" + p)) << log.Text();
  EXPECT_EQ(1, (int)std::count_if(log.lines.begin(), log.lines.end(), [](const std::string& l) {
              return l.compare(0, 6, "start ") == 0;
            }));
  SetEmbedMode(kEmbedOff);
  SetContainerWindow(nullptr);
  ClearSessionList();
  EndEventLog();
}

}  // namespace
