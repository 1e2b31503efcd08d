// Sessions embedded in the page, through the real control in the container
// with the signed stand-in as the embedded program: the container window is
// resized, focused, repainted and destroyed on command while the page
// stays, and the stand-in's window, its record and the event log show what
// the control did with each.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include "host_run.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_shutdown.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

// The container commands of tools/host (host_options.h).
enum { kResize = 1, kFocus = 2, kBlur = 3, kPaint = 4, kDestroy = 5, kSubclass = 6 };

std::string Program(const char* name) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(
      WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/programs/" + name), &bytes));
  return bytes;
}

size_t Count(const std::vector<std::string>& lines, const std::string& part) {
  return (size_t)std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(part) != std::string::npos;
  });
}

// A stand-in's record line: each starts with the process id.
std::string Of(DWORD pid, const std::string& what) {
  return "pid=" + std::to_string(pid) + " " + what;
}

// The first OBJECT's rectangle as the container laid it out and gave it to
// the control (its trace's "object 0 rect=L,T,R,B").
RECT ObjectRect(const std::vector<std::string>& trace) {
  RECT rect = {};
  for (const std::string& line : trace) {
    if (sscanf(line.c_str(), "object 0 rect=%ld,%ld,%ld,%ld", &rect.left, &rect.top, &rect.right,
               &rect.bottom) == 4)
      break;
  }
  return rect;
}

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), (POINT*)&rect, 2);
  return rect;
}

class EmbeddedSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    ASSERT_TRUE(OpenSessionWindowTable());
  }
  static void TearDownTestSuite() { CloseSessionWindowTable(); }

  void SetUp() override {
    DeleteEventLogs();
    SetServerRules("");
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) DeleteRegTree(hive, "Software\\MARROCK");
    DeleteFileA((DownloadFolder() + "\\KVAD.PRO").c_str());
    stubLog_ = TestEnvDir() + "\\embedded-stub.log";
    DeleteFileA(stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", nullptr);
    SetDeploymentBusy(0);
  }
  // Ends the stand-ins still running (one that ignores WM_CLOSE stays).
  void TearDown() override {
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", nullptr);
    EndStandInsOf(stubLog_);
    for (int kind : {kAs400Display, kMainframeDisplay}) {
      HWND window = GetSessionWindow(kind, 0);
      if (window) ClearSessionWindow(kind, 0, window);
    }
  }

  // The page with one AS/400 display session embedded as mode asks.
  std::string PublishEmbeddingPage(const char* folder, const char* mode) {
    PublishPage(std::string(folder) + "/site.ini", "[Kestrava]\r\n");
    PublishPage(std::string(folder) + "/ad.lst", "KVAD.PRO,1\r\n");
    PublishPage(std::string(folder) + "/KVAD.PRO", Program("KVAD.PRO"));
    Params params = {{"LogEvents", "Y"},      {"IniFile", "site.ini"}, {"AD_DistFile", "ad.lst"},
                     {"Sessions", "AD_S1"},   {"AD_S1", "a.zad"},      {"AD_S1_RunInBrowser", mode}};
    return PublishPage(std::string(folder) + "/index.htm", ControlPage(params, 400, 300));
  }

  // The embedded stand-in's window, once it is a child of the container.
  HWND WaitForEmbeddedWindow() {
    HWND window = nullptr;
    WaitUntil(
        [&] {
          window = GetSessionWindow(kAs400Display, 0);
          return window && GetParent(window) != nullptr;
        },
        30000);
    return window;
  }

  std::vector<std::string> StubLines() { return ReadLines(stubLog_); }
  std::vector<std::string> LogLines() {
    std::vector<std::string> files = EventLogFiles();
    if (files.empty()) return {};
    std::string text;
    HANDLE file = CreateFileA(files.back().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    char chunk[4096];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
      text.append(chunk, got);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return LogLinesWithoutStamps(text);
  }

  std::string stubLog_;
};

// Position: the session starts over the control's rectangle as a child of
// the container; a paint brings it back there without resizing it, unless
// a deployment runs; focus is not relayed; the container's destruction
// closes the first embedded window of the table, waits for its slot and
// gives the container its own procedure back.
TEST_F(EmbeddedSessionTest, PositionFollowsTheControlAndClosesWithTheContainer) {
  RunningHost host({PublishEmbeddingPage("embed-position", "P")});
  ASSERT_TRUE(host.Started());
  HWND window = WaitForEmbeddedWindow();
  ASSERT_NE(nullptr, window);
  HWND container = GetParent(window);
  char className[64] = "";
  GetClassNameA(container, className, sizeof className);
  EXPECT_STREQ("WevelinkHostContainer", className);

  DWORD own = 0;
  GetWindowThreadProcessId(window, &own);

  // Started once, from the first paint, with the container and the
  // control's rectangle (the geometry switches, then " /@"); the stand-in
  // took both and its window lies there.
  const RECT object = ObjectRect(host.Trace());
  ASSERT_LT(object.left, object.right);
  std::vector<std::string> stub = StubLines();
  ASSERT_EQ(1u, Count(stub, " start "));
  const std::string start = stub[std::find_if(stub.begin(), stub.end(), [](const std::string& l) {
                                    return l.find(" start ") != std::string::npos;
                                  }) - stub.begin()];
  const unsigned long handle = (unsigned long)(ULONG_PTR)container;
  char expected[128];
  snprintf(expected, sizeof expected, " /*%lu /(%ld /)%ld /_%ld /+%ld /@", handle, object.left,
           object.top, object.right, object.bottom);
  EXPECT_NE(std::string::npos, start.find(expected)) << expected << " in " << start;
  snprintf(expected, sizeof expected, "embedded parent=%lu rect=%ld,%ld,%ld,%ld ok=1", handle,
           object.left, object.top, object.right, object.bottom);
  EXPECT_EQ(1u, Count(stub, Of(own, expected)));
  const RECT placed = RectInParent(window);
  const int width = placed.right - placed.left, height = placed.bottom - placed.top;
  EXPECT_EQ(object.left, placed.left);
  EXPECT_EQ(object.top, placed.top);
  EXPECT_EQ(object.right, placed.right);
  EXPECT_EQ(object.bottom, placed.bottom);

  // A paint moves it back to the control's rectangle, keeping its size.
  SetWindowPos(window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(host.Send(kPaint));
  EXPECT_TRUE(WaitUntil([&] { return RectInParent(window).left == placed.left; }, 5000));
  RECT now = RectInParent(window);
  EXPECT_EQ(placed.top, now.top);
  EXPECT_EQ(width, now.right - now.left);
  EXPECT_EQ(height, now.bottom - now.top);

  // Not while a deployment runs. The moves that paints before it asked for
  // are made first: they reach the stand-in as sent messages, in order.
  SetDeploymentBusy(1);
  ASSERT_TRUE(host.Send(kPaint));
  EXPECT_TRUE(WaitUntil([&] { return Count(LogLines(), ". skip .") > 0; }, 5000));
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
  SetWindowPos(window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(host.Send(kPaint));
  EXPECT_TRUE(WaitUntil([&] { return Count(LogLines(), ". skip .") > 1; }, 5000));
  EXPECT_EQ(150, RectInParent(window).left);
  SetDeploymentBusy(0);

  // Focus is the container's own in Position; resizing the container does
  // not resize the session (the paint that follows may move it back).
  ASSERT_TRUE(host.Send(kFocus));
  ASSERT_TRUE(host.Send(kBlur));
  ASSERT_TRUE(host.Send(kResize, MAKELPARAM(700, 500)));
  ASSERT_TRUE(WaitUntil([&] { return Count(host.Trace(), "command resize 700x500") > 0; }, 5000));
  for (const char* relayed : {"message REFRESH", "message SETFOCUS", "message KILLFOCUS"})
    EXPECT_EQ(0u, Count(StubLines(), relayed)) << relayed;
  now = RectInParent(window);
  EXPECT_EQ(width, now.right - now.left);
  EXPECT_EQ(height, now.bottom - now.top);
  // Later paints do not launch again.
  EXPECT_EQ(1u, Count(StubLines(), " start "));

  // A second session window in the same container (a program that embedded
  // itself there), of a kind that comes first in the table: the container's
  // destruction closes that one only; the control's own session goes with
  // the container, as its child, without being told.
  std::string line = "\"" + WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/programs/KVMD.PRO") +
                     "\" /s1 /*" + std::to_string((unsigned long)(ULONG_PTR)container) +
                     " /(0 /)0 /_60 /+40 /@";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION second = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &second));
  const DWORD other = second.dwProcessId;
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  ASSERT_TRUE(WaitUntil(
      [&] {
        HWND mainframe = GetSessionWindow(kMainframeDisplay, 0);
        return mainframe && GetParent(mainframe) == container;
      },
      30000));

  ASSERT_TRUE(host.Send(kDestroy));
  EXPECT_TRUE(WaitUntil([&] { return Count(host.Trace(), "command destroy done") > 0; }, 15000));
  EXPECT_EQ(1u, Count(host.Trace(), "container ncdestroy proc=own"));
  stub = StubLines();
  EXPECT_EQ(1u, Count(stub, Of(other, "message CLOSE")));
  EXPECT_EQ(0u, Count(stub, Of(own, "message CLOSE")));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), Of(own, "destroy ")) > 0; }, 5000));
  EXPECT_EQ(nullptr, GetSessionWindow(kMainframeDisplay, 0));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 0));
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
  std::vector<std::string> log = LogLines();
  EXPECT_LE(1u, Count(log, "Entering OnDraw( ) ..."));
  EXPECT_EQ(Count(log, "Entering OnDraw( ) ..."), Count(log, "... Leaving OnDraw( )"));
  EXPECT_LE(1u, Count(log, "Entering ClientWndProc( ) ... 2"));
  EXPECT_LE(1u, Count(log, "Entering ClientWndProc( ) ... 15"));
  EXPECT_EQ(Count(log, "Entering ClientWndProc( ) ..."),
            Count(log, "... Leaving ClientWndProc( )"));
}

// FullScreen: resizing the container sizes the session to the client area
// without moving it, a paint changes nothing, focus is relayed and followed
// by the refresh; a session that ignores WM_CLOSE is given up on after the
// bound and the container still goes.
TEST_F(EmbeddedSessionTest, FullScreenFollowsTheContainerAndItsFocus) {
  SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", "1");
  RunningHost host({PublishEmbeddingPage("embed-full", "F")});
  ASSERT_TRUE(host.Started());
  HWND window = WaitForEmbeddedWindow();
  ASSERT_NE(nullptr, window);
  RECT client;
  GetClientRect(GetParent(window), &client);
  RECT placed = RectInParent(window);
  EXPECT_EQ(0, placed.left);
  EXPECT_EQ(0, placed.top);
  EXPECT_EQ(client.right, placed.right);
  EXPECT_EQ(client.bottom, placed.bottom);

  ASSERT_TRUE(host.Send(kResize, MAKELPARAM(640, 480)));
  EXPECT_TRUE(WaitUntil([&] { return RectInParent(window).right == 640; }, 5000));
  RECT now = RectInParent(window);
  EXPECT_EQ(0, now.left);
  EXPECT_EQ(0, now.top);
  EXPECT_EQ(480, now.bottom);

  SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(host.Send(kPaint));
  ASSERT_TRUE(WaitUntil([&] { return Count(host.Trace(), "command paint") > 0; }, 5000));
  EXPECT_EQ(30, RectInParent(window).left);

  ASSERT_TRUE(host.Send(kFocus));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), "message REFRESH") > 0; }, 5000));
  ASSERT_TRUE(host.Send(kBlur));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), "message KILLFOCUS wparam=0") > 0; }, 5000));
  std::vector<std::string> stub = StubLines();
  auto focus = std::find_if(stub.begin(), stub.end(), [](const std::string& line) {
    return line.find("message SETFOCUS wparam=0") != std::string::npos;
  });
  auto refresh = std::find_if(stub.begin(), stub.end(), [](const std::string& line) {
    return line.find("message REFRESH") != std::string::npos;
  });
  EXPECT_TRUE(focus < refresh);

  const DWORD before = GetTickCount();
  ASSERT_TRUE(host.Send(kDestroy));
  EXPECT_TRUE(WaitUntil([&] { return Count(host.Trace(), "command destroy done") > 0; }, 20000));
  const DWORD waited = GetTickCount() - before;
  EXPECT_LE(9000u, waited);
  EXPECT_GT(15000u, waited);
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE ignored"));
  EXPECT_EQ(1u, Count(host.Trace(), "container ncdestroy proc=own"));
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  std::vector<std::string> log = LogLines();
  // One line per pass of the wait, each pass at least its length.
  EXPECT_LE(1u, Count(log, ". 1 ."));
  EXPECT_GE(kEmbeddedCloseTimeoutMs / kEmbeddedClosePassMs + 3u, Count(log, ". 1 ."));
  EXPECT_EQ(1u, Count(log, "did not close within 10 seconds; the container goes on without it."));
}

// Leaving the page: losing its site the control hides the embedded
// window, and the container window's destruction then closes it.
TEST_F(EmbeddedSessionTest, LeavingThePageHidesThenClosesTheSession) {
  RunningHost host({PublishEmbeddingPage("embed-leave", "P")});
  ASSERT_TRUE(host.Started());
  ASSERT_NE(nullptr, WaitForEmbeddedWindow());
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exitCode);
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE"));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 0));
  std::vector<std::string> log = LogLines();
  EXPECT_EQ(1u, Count(log, "... (1) Leaving OnSetClientSite( ) 0"));
  EXPECT_LE(1u, Count(log, "Entering ClientWndProc( ) ... 2"));
}

// Something that subclassed the container after the control keeps its
// place: the control leaves the chain as it is, and the later subclasser and
// the container's own procedure still get the window's last message.
TEST_F(EmbeddedSessionTest, ALaterSubclasserOfTheContainerKeepsItsPlace) {
  RunningHost host({PublishEmbeddingPage("embed-subclass", "P")});
  ASSERT_TRUE(host.Started());
  ASSERT_NE(nullptr, WaitForEmbeddedWindow());
  ASSERT_TRUE(host.Send(kSubclass));
  ASSERT_TRUE(host.Send(kDestroy));
  EXPECT_TRUE(WaitUntil([&] { return Count(host.Trace(), "command destroy done") > 0; }, 15000));
  std::vector<std::string> trace = host.Trace();
  auto at = [&](const char* line) { return std::find(trace.begin(), trace.end(), line); };
  EXPECT_TRUE(at("command subclass") < at("subclass ncdestroy"));
  EXPECT_TRUE(at("subclass ncdestroy") < at("container ncdestroy proc=other"));
  EXPECT_TRUE(at("container ncdestroy proc=other") < trace.end());
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE"));
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(1u, Count(LogLines(), "The container window was subclassed after the control; its "
                                  "procedure is left in place."));
}

// The next page in the same browser window with the same instance: the
// running session is shown again in its place, not started a second time.
TEST_F(EmbeddedSessionTest, TheNextPageReusesTheRunningSession) {
  const std::string first = PublishEmbeddingPage("embed-reuse", "P");
  std::string html;
  ASSERT_TRUE(ReadFileBytes(WwwDir() + "\\embed-reuse\\index.htm", &html));
  const std::string second = PublishPage("embed-reuse/again.htm", html);
  RunningHost host({first, second}, "--keep-container --stay 4000");
  ASSERT_TRUE(host.Started());
  HWND window = WaitForEmbeddedWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(WaitUntil([&] { return Count(LogLines(), "'s Parent is ") > 0; }, 20000));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), "message REFRESH") > 0; }, 5000));
  EXPECT_EQ(1u, Count(StubLines(), " start "));
  EXPECT_EQ(window, GetSessionWindow(kAs400Display, 0));
  EXPECT_TRUE(IsWindowVisible(window));
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE"));  // with the window, at the end
}

}  // namespace
