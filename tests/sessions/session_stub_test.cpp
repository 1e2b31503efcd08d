// The session programs' stand-in, started the way the control starts a
// session (the program's full path and its switches as the command line,
// the program's folder as working folder): it publishes its window in the
// shared table and clears it when it goes, answers FindWindowA on its
// class, records what it was given and what it received, closes on
// WM_CLOSE, and misbehaves when told to.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sessions/session_classes.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const UINT kMsgNewParent = 0x049A;
const UINT kMsgRefresh = 0x0465;
const DWORD kWindowWaitMs = 10000;

const char* const kMisbehaviours[] = {"WEVELINK_STUB_WINDOW_DELAY_MS", "WEVELINK_STUB_NO_WINDOW",
                                      "WEVELINK_STUB_IGNORE_CLOSE", "WEVELINK_STUB_KEEP_SLOT",
                                      "WEVELINK_STUB_EXIT_AFTER_MS"};

std::string StubDir(const char* which) {
  return WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + which);
}

std::string Number(HWND window) { return std::to_string((DWORD)(ULONG_PTR)window); }

HWND FakeHandle(DWORD value) { return (HWND)(LONG_PTR)(LONG)value; }

// Dispatches this thread's messages while waiting: windows of other
// processes that become children of this thread's windows send it messages.
void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pump(10);
  }
  return true;
}

struct Stub {
  HANDLE process = nullptr;
  DWORD pid = 0;
  std::string commandLine;
  std::string folder;
};

// The lines the stand-in with that process id wrote, without their
// "pid=N " prefix and line ends.
std::vector<std::string> LogOf(const std::string& path, DWORD pid) {
  std::string text;
  std::vector<std::string> lines;
  ReadFileBytes(path, &text);
  std::string prefix = "pid=" + std::to_string(pid) + " ";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    start = end + 1;
  }
  return lines;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == line) return (int)i;
  }
  return -1;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

HWND MakeContainer() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "WevelinkTestContainer";
    registered = RegisterClassA(&windowClass) != 0;
  }
  return CreateWindowExA(0, "WevelinkTestContainer", "container",
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 700, 500,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

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
    stubs_.clear();
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) SetSessionWindow(kind, slot, nullptr);
    }
    for (HWND window : containers_) DestroyWindow(window);
    containers_.clear();
    for (const char* name : kMisbehaviours) SetEnvironmentVariableA(name, nullptr);
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", nullptr);
  }

  // Starts folder\program with the switches, in that folder.
  Stub& Start(const std::string& program, const std::string& switches,
              const char* folderName = "programs") {
    Stub stub;
    stub.folder = StubDir(folderName);
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
  DWORD WaitForExit(const Stub& stub, DWORD timeoutMs) {
    WaitUntil([&] { return WaitForSingleObject(stub.process, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(stub.process, &code);
    return code;
  }

  bool WaitForLine(const Stub& stub, const std::string& line, DWORD timeoutMs = kWindowWaitMs) {
    return WaitUntil([&] { return IndexOf(LogOf(log_, stub.pid), line) >= 0; }, timeoutMs);
  }

  std::vector<std::string> Log(const Stub& stub) { return LogOf(log_, stub.pid); }

  HWND Container() {
    HWND window = MakeContainer();
    containers_.push_back(window);
    return window;
  }

  std::string log_;
  std::deque<Stub> stubs_;  // references to its elements stay valid
  std::vector<HWND> containers_;
};

TEST_F(SessionStubTest, PublishesItsWindowRecordsItsStartAndClearsTheSlotOnClose) {
  // A handle another process published stays as it was.
  SetSessionWindow(kVtSession, 98, FakeHandle(0x4242));
  Stub& stub = Start("KVMD.PRO", "/s3 /f\"tso.zmd\" /H10.1.1.5 /O23 /qy3270D /u1 /@");
  HWND window = WaitForSlot(kMainframeDisplay, 2);
  ASSERT_NE(nullptr, window) << Joined(Log(stub));
  EXPECT_EQ(window, FindWindowA("qy3270 Mainframe Display  -  S3", nullptr));
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(stub.pid, owner);
  EXPECT_EQ(nullptr, GetParent(window));
  EXPECT_EQ(FakeHandle(0x4242), GetSessionWindow(kVtSession, 98));

  std::vector<std::string> log = Log(stub);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ("start kind=KVMD mode=web cmd=" + stub.commandLine + " cwd=" + stub.folder, log[0]);
  const char* expected[] = {
      "switch s value=[3]",         "switch f value=[tso.zmd] quoted",
      "switch H value=[10.1.1.5]",  "switch O value=[23]",
      "switch q value=[y3270D]",    "switch u value=[1]",
      "switch @ value=[]",          "instance n=3 from=switch",
  };
  for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
    EXPECT_EQ(expected[i], i + 1 < log.size() ? log[i + 1] : "") << Joined(log);
  }
  EXPECT_GE(IndexOf(log, "window hwnd=" + Number(window) +
                             " class=qy3270 Mainframe Display  -  S3 slot=2 parent=0"), 0)
      << Joined(log);

  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(0u, WaitForExit(stub, kWindowWaitMs));
  EXPECT_EQ(nullptr, GetSessionWindow(kMainframeDisplay, 2));
  EXPECT_EQ(nullptr, FindWindowA("qy3270 Mainframe Display  -  S3", nullptr));
  log = Log(stub);
  int close = IndexOf(log, "message CLOSE");
  int destroy = IndexOf(log, "destroy hwnd=" + Number(window) + " slot=cleared");
  EXPECT_GE(close, 0) << Joined(log);
  EXPECT_GT(destroy, close) << Joined(log);
  EXPECT_EQ("exit code=0", log.back());
}

TEST_F(SessionStubTest, TakesTheLowestFreeInstanceAndRefusesABusyOne) {
  Stub& first = Start("KVAP.EXE", "/fprt1 /u1 /@");
  HWND firstWindow = WaitForSlot(kAs400Printer, 0);
  ASSERT_NE(nullptr, firstWindow) << Joined(Log(first));
  EXPECT_EQ(firstWindow, FindWindowA("Kestrava AS/400 Printer  -  P1", nullptr));

  Stub& second = Start("KVAP.EXE", "/fprt2 /u1 /@");
  HWND secondWindow = WaitForSlot(kAs400Printer, 1);
  ASSERT_NE(nullptr, secondWindow) << Joined(Log(second));
  EXPECT_EQ(secondWindow, FindWindowA("Kestrava AS/400 Printer  -  P2", nullptr));
  EXPECT_GE(IndexOf(Log(first), "instance n=1 from=free"), 0) << Joined(Log(first));
  EXPECT_GE(IndexOf(Log(second), "instance n=2 from=free"), 0) << Joined(Log(second));

  Stub& busy = Start("KVAP.EXE", "/s1 /fprt1 /u1 /@");
  EXPECT_EQ(3u, WaitForExit(busy, kWindowWaitMs));
  EXPECT_GE(IndexOf(Log(busy), "error instance 1 busy hwnd=" + Number(firstWindow)), 0)
      << Joined(Log(busy));
  EXPECT_EQ(firstWindow, GetSessionWindow(kAs400Printer, 0));

  PostMessageA(firstWindow, WM_CLOSE, 0, 0);
  PostMessageA(secondWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, WaitForExit(first, kWindowWaitMs));
  EXPECT_EQ(0u, WaitForExit(second, kWindowWaitMs));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Printer, 0));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Printer, 1));
}

TEST_F(SessionStubTest, EveryProgramNameGivesItsKindAndMode) {
  struct Row {
    const char* program;
    int kind;
    int instance;
    const char* windowClass;
    const char* start;
  } rows[] = {
      {"KVMD.PRO", kMainframeDisplay, 11, "qy3270 Mainframe Display  -  S11", "kind=KVMD mode=web"},
      {"KVMP.PRO", kMainframePrinter, 11, "qy3270 Mainframe Printer  -  P11", "kind=KVMP mode=web"},
      {"KVAD.PRO", kAs400Display, 11, "qy5250 AS/400 Display  -  S11", "kind=KVAD mode=web"},
      {"KVAP.PRO", kAs400Printer, 11, "qy5250 AS/400 Printer  -  P11", "kind=KVAP mode=web"},
      {"KVFTP.PRO", kFtpSession, 11, "Kestrava Secure FTP  -  T11", "kind=KVFTP mode=web"},
      {"KVVT.PRO", kVtSession, 11, "qZVT  -  S11", "kind=KVVT mode=web"},
      {"KVMD.EXE", kMainframeDisplay, 12, "Kestrava Mainframe Display  -  S12",
       "kind=KVMD mode=desktop"},
      {"KVMP.EXE", kMainframePrinter, 12, "Kestrava Mainframe Printer  -  P12",
       "kind=KVMP mode=desktop"},
      {"KVAD.EXE", kAs400Display, 12, "Kestrava AS/400 Display  -  S12", "kind=KVAD mode=desktop"},
      {"KVAP.EXE", kAs400Printer, 12, "Kestrava AS/400 Printer  -  P12", "kind=KVAP mode=desktop"},
      {"KVFTP.EXE", kFtpSession, 12, "Kestrava Secure FTP  -  T12", "kind=KVFTP mode=desktop"},
      {"KVVT.EXE", kVtSession, 12, "Kestrava VT  -  S12", "kind=KVVT mode=desktop"},
  };
  const size_t count = sizeof rows / sizeof rows[0];
  for (const Row& row : rows) {
    Start(row.program, "/s" + std::to_string(row.instance) + " /u1 /@");
  }
  std::vector<HWND> windows;
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(rows[i].program);
    HWND window = WaitForSlot(rows[i].kind, rows[i].instance - 1);
    windows.push_back(window);
    ASSERT_NE(nullptr, window) << Joined(Log(stubs_[i]));
    EXPECT_EQ(window, FindWindowA(rows[i].windowClass, nullptr));
    std::vector<std::string> log = Log(stubs_[i]);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(0u, log[0].find(std::string("start ") + rows[i].start + " cmd=")) << log[0];
  }
  for (HWND window : windows) PostMessageA(window, WM_CLOSE, 0, 0);
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(rows[i].program);
    EXPECT_EQ(0u, WaitForExit(stubs_[i], kWindowWaitMs));
    EXPECT_EQ(nullptr, GetSessionWindow(rows[i].kind, rows[i].instance - 1));
  }
}

TEST_F(SessionStubTest, RefusesNamesAndInstancesOutsideTheContract) {
  // The program under its build name is no session program.
  Stub& unnamed = Start("session-stub.exe", "/s1 /u1 /@", ".");
  EXPECT_EQ(2u, WaitForExit(unnamed, kWindowWaitMs));
  std::vector<std::string> log = Log(unnamed);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(0u, log[0].find("start kind=? mode=? cmd=")) << Joined(log);
  EXPECT_EQ(0u, log[1].find("error ")) << Joined(log);

  const char* badInstances[] = {"/s0", "/s100", "/sX", "/s1x"};
  for (const char* instance : badInstances) {
    SCOPED_TRACE(instance);
    Stub& bad = Start("KVVT.PRO", std::string(instance) + " /u1 /@");
    EXPECT_EQ(2u, WaitForExit(bad, kWindowWaitMs));
    EXPECT_GE(IndexOf(Log(bad), "error instance switch is not a number from 1 to 99"), 0)
        << Joined(Log(bad));
  }
  for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) {
    EXPECT_EQ(nullptr, GetSessionWindow(kVtSession, slot)) << slot;
  }
}

TEST_F(SessionStubTest, TakesTheNewParentAndRecordsRefreshAndFocus) {
  HWND container = Container();
  ASSERT_NE(nullptr, container);
  Stub& stub = Start("KVMD.PRO", "/s4 /f\"tso.zmd\" /qy3270D /u1 /@");
  HWND window = WaitForSlot(kMainframeDisplay, 3);
  ASSERT_NE(nullptr, window) << Joined(Log(stub));

  // What the control does to re-use a running session inside the page.
  SetParent(window, container);
  SetWindowPos(window, nullptr, 10, 20, 400, 300, SWP_NOZORDER);
  ASSERT_TRUE(PostMessageA(window, kMsgNewParent, 0, (LPARAM)container));
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(PostMessageA(window, kMsgRefresh, 0, 0));
  std::string newParent = "message NEWPARENT parent=" + Number(container) + " now=" +
                          Number(container);
  EXPECT_TRUE(WaitForLine(stub, newParent)) << Joined(Log(stub));
  EXPECT_TRUE(WaitForLine(stub, "message REFRESH")) << Joined(Log(stub));
  EXPECT_EQ(container, GetParent(window));
  EXPECT_EQ(3, FindSessionSlotWithParent(kMainframeDisplay, container));

  // Full-screen embedding passes focus changes on with zero parameters.
  DWORD_PTR result;
  EXPECT_TRUE(SendMessageTimeoutA(window, WM_KILLFOCUS, 0, 0, SMTO_NORMAL, 5000, &result));
  EXPECT_TRUE(SendMessageTimeoutA(window, WM_SETFOCUS, 0, 0, SMTO_NORMAL, 5000, &result));
  std::vector<std::string> log = Log(stub);
  int kill = IndexOf(log, "message KILLFOCUS wparam=0");
  EXPECT_GE(kill, 0) << Joined(log);
  EXPECT_GE(IndexOf(std::vector<std::string>(log.begin() + (kill < 0 ? 0 : kill), log.end()),
                    "message SETFOCUS wparam=0"), 0)
      << Joined(log);

  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return GetSessionWindow(kMainframeDisplay, 3) == nullptr; },
                        kWindowWaitMs));
  EXPECT_EQ(0u, WaitForExit(stub, kWindowWaitMs));
  EXPECT_EQ(-1, FindSessionSlotWithParent(kMainframeDisplay, container));
}

TEST_F(SessionStubTest, EmbedsItselfWhereTheCommandLineSays) {
  HWND container = Container();
  ASSERT_NE(nullptr, container);
  std::string handle = std::to_string((int)(LONG_PTR)container);
  Stub& stub = Start("KVVT.PRO",
                     "/s5 /f\"vt.zvt\" /qyVT /u1 /*" + handle + " /(10 /)20 /_410 /+320 /@");
  HWND window = WaitForSlot(kVtSession, 4);
  ASSERT_NE(nullptr, window) << Joined(Log(stub));
  EXPECT_EQ(container, GetParent(window));
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, container, (POINT*)&rect, 2);
  EXPECT_EQ(10, rect.left);
  EXPECT_EQ(20, rect.top);
  EXPECT_EQ(410, rect.right);
  EXPECT_EQ(320, rect.bottom);
  std::vector<std::string> log = Log(stub);
  EXPECT_GE(IndexOf(log, "embedded parent=" + Number(container) + " rect=10,20,410,320 ok=1"), 0)
      << Joined(log);
  EXPECT_GE(IndexOf(log, "window hwnd=" + Number(window) + " class=qZVT  -  S5 slot=4 parent=" +
                             Number(container)), 0)
      << Joined(log);
  EXPECT_EQ(4, FindSessionSlotWithParent(kVtSession, container));

  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return GetSessionWindow(kVtSession, 4) == nullptr; },
                        kWindowWaitMs));
  EXPECT_EQ(0u, WaitForExit(stub, kWindowWaitMs));
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
  ASSERT_NE(nullptr, window) << Joined(Log(stub));
  EXPECT_GE(GetTickCount() - start, 2400u);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, WaitForExit(stub, kWindowWaitMs));
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
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(stub.process, &code);
  EXPECT_EQ(0u, code);
  std::vector<std::string> log = Log(stub);
  EXPECT_GE(IndexOf(log, "no-window"), 0) << Joined(log);
  for (const std::string& line : log) EXPECT_NE(0u, line.find("window hwnd=")) << line;
}

TEST_F(SessionStubTest, IgnoredCloseKeepsTheWindowUntilTheExitTimer) {
  SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", "1");
  SetEnvironmentVariableA("WEVELINK_STUB_EXIT_AFTER_MS", "6000");
  Stub& stub = Start("KVFTP.PRO", "/s8 /f\"f.zft\" /qyFTP /u1 /@");
  HWND window = WaitForSlot(kFtpSession, 7);
  ASSERT_NE(nullptr, window) << Joined(Log(stub));
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  ASSERT_TRUE(WaitForLine(stub, "message CLOSE ignored")) << Joined(Log(stub));
  Pump(500);
  EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(stub.process, 0));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(window, GetSessionWindow(kFtpSession, 7));

  EXPECT_EQ(0u, WaitForExit(stub, 15000));
  EXPECT_EQ(nullptr, GetSessionWindow(kFtpSession, 7));
  std::vector<std::string> log = Log(stub);
  EXPECT_GT(IndexOf(log, "exit-timer"), IndexOf(log, "message CLOSE ignored")) << Joined(log);
  EXPECT_GE(IndexOf(log, "destroy hwnd=" + Number(window) + " slot=cleared"), 0) << Joined(log);
}

TEST_F(SessionStubTest, KeptSlotOutlivesTheWindow) {
  SetEnvironmentVariableA("WEVELINK_STUB_KEEP_SLOT", "1");
  Stub& stub = Start("KVVT.EXE", "/s9 /f\"v.zvt\" /u1 /@");
  HWND window = WaitForSlot(kVtSession, 8);
  ASSERT_NE(nullptr, window) << Joined(Log(stub));
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(0u, WaitForExit(stub, kWindowWaitMs));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(window, GetSessionWindow(kVtSession, 8));
  EXPECT_GE(IndexOf(Log(stub), "destroy hwnd=" + Number(window) + " slot=kept"), 0)
      << Joined(Log(stub));
}

}  // namespace
