// Sessions through the real control in the container, with the signed
// stand-in under the session programs' names: the command line and working
// folder each entry is started with, the publisher check, the foreground
// wait, and sessions embedded in the page while the test drives the
// container's window; and the control's reuse and close in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>

#include "base/event_log.h"
#include "base/module_folders.h"
#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"
#include "host_run.h"
#include "sessions/session_launcher.h"
#include "sessions/session_shutdown.h"
#include "sessions/session_state.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
// The container commands of tools/host (host_options.h).
enum { kResize = 1, kFocus = 2, kBlur = 3, kPaint = 4, kDestroy = 5, kSubclass = 6 };

void Store(HKEY hive, const char* path, const char* name, const void* bytes, DWORD size) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  RegSetValueExA(key, name, 0, REG_BINARY, (const BYTE*)bytes, size);
  RegCloseKey(key);
}

size_t Count(const std::vector<std::string>& lines, const std::string& part) {
  return (size_t)std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(part) != std::string::npos;
  });
}

std::string Number(HWND window) { return std::to_string((int)(LONG_PTR)window); }

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), (POINT*)&rect, 2);
  return rect;
}

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

// An event log's entries, read while it is written.
std::vector<std::string> LogAt(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  char chunk[4096];
  DWORD got = 0;
  while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
    text.append(chunk, got);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return LogLinesWithoutStamps(text);
}

class SessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    ASSERT_TRUE(OpenSessionWindowTable());
  }
  static void TearDownTestSuite() { CloseSessionWindowTable(); }
  void SetUp() override {
    TearDown();
    DeleteEventLogs();
    SetServerRules("");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\MARROCK");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\MARROCK");
    for (const char* name : {"KVMD.PRO", "KVAP.PRO", "KVAD.PRO", "KVFTP.PRO", "KVVT.PRO"})
      DeleteFileA((DownloadFolder() + "\\" + name).c_str());
    DeleteFileA(stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog_.c_str());
  }
  void TearDown() override {
    EndStandInsOf(stubLog_);
    SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", nullptr);
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", nullptr);
    SetDeploymentBusy(0);
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) SetSessionWindow(kind, slot, nullptr);
    }
  }

  // Publishes site.ini, the files and the page under folder, loads it and
  // keeps the stand-ins' start records.
  HostRun Deploy(const std::string& folder, const std::string& ini, const Params& files,
                 Params params, const std::string& version = "") {
    PublishPage(folder + "/site.ini", ini);
    for (const auto& file : files) PublishPage(folder + "/" + file.first, file.second);
    params.insert(params.begin(), {{"LogEvents", "Y"}, {"IniFile", "site.ini"}});
    std::string page = PublishPage(folder + "/index.htm", ControlPage(params));
    const DWORD start = GetTickCount();
    HostRun run = version.empty() ? RunHost({page}) : RunHostUnder(version, {page});
    seconds_ = (GetTickCount() - start) / 1000.0;
    EXPECT_TRUE(run.finished);
    starts_.clear();
    for (const std::string& line : StubLines()) {
      size_t at = line.find(" start ");
      if (at != std::string::npos) starts_.push_back(line.substr(at + 7));
    }
    return run;
  }

  // The page with one AS/400 display session embedded as mode asks; twice:
  // a second page of the same session follows it.
  std::vector<std::string> Pages(const std::string& folder, const char* mode, bool twice = false) {
    PublishPage(folder + "/site.ini", "[Kestrava]\r\n");
    PublishPage(folder + "/ad.lst", "KVAD.PRO,1\r\n");
    PublishPage(folder + "/KVAD.PRO", StandInProgram("KVAD.PRO"));
    const std::string page = ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"},
                                          {"AD_DistFile", "ad.lst"}, {"Sessions", "AD_S1"},
                                          {"AD_S1", "a.zad"}, {"AD_S1_RunInBrowser", mode}});
    std::vector<std::string> pages = {PublishPage(folder + "/index.htm", page)};
    if (twice) pages.push_back(PublishPage(folder + "/again.htm", page));
    return pages;
  }

  // The embedded stand-in's window, once it is a child of the container.
  HWND WaitForEmbeddedWindow() {
    HWND w = nullptr;
    WaitUntil([&] { return (w = GetSessionWindow(kAs400Display, 0)) && GetParent(w); }, 30000);
    return w;
  }
  std::vector<std::string> StubLines() { return ReadLines(stubLog_); }
  std::vector<std::string> LogLines() {
    std::vector<std::string> files = EventLogFiles();
    return files.empty() ? std::vector<std::string>() : LogAt(files.back());
  }
  bool TraceHas(RunningHost& host, const std::string& part) {
    return WaitUntil([&] { return Count(host.Trace(), part) > 0; }, 15000);
  }

  std::string stubLog_ = TestEnvDir() + "\\session-stub.log";
  std::vector<std::string> starts_;  // "kind=... mode=... cmd=... cwd=..."
  double seconds_ = 0;
};

// What each entry is started with and where, in front: the page's list and
// its cookie reach the launcher, the mode picks program and folder, and
// Save with a saved configuration gives /u0.
TEST_F(SessionTest, CommandLinesAndFolders) {
  const std::string dl = DownloadFolder();
  const std::string install = TestEnvDir() + "\\launch-install";
  const std::string web = "[Kestrava]\r\n";
  const std::string desktop = "[Kestrava]\r\nDesktopMode=desk.ini\r\n";
  const Params example = {{"Sessions", "MD_S1,AP_SX"}, {"MD_S1", "tso.zmd"},
                          {"MD_S1_HostAddress", "10.1.1.5"}, {"MD_S1_Port", "23"},
                          {"MD_S1_Save", "Y"}, {"AP_SX", "prt1"}, {"AP_SX_Var2", "a b"}};
  Params withCookie = example;
  withCookie.push_back({"MD_S1_Blk", "sso/ticket.asp"});
  const struct {
    const char* what;
    const std::string& ini;
    bool savedConfig;
    Params params;
    std::vector<std::string> starts;
  } cases[] = {
      {"web, with a cookie", web, false, withCookie,
       {"kind=KVMD mode=web cmd=" + dl + "\\KVMD.PRO /s1 /f\"tso.zmd\" /H10.1.1.5 /O23 /ialice "
            "/js3cret /kticket-0 /qy3270D /u2 /@ cwd=" + dl,
        "kind=KVAP mode=web cmd=" + dl + "\\KVAP.PRO /fprt1 /2\"a b\" /qy5250P /u1 /@ cwd=" + dl}},
      {"desktop", desktop, false, example,
       {"kind=KVMD mode=desktop cmd=" + install +
            "\\KVMD.EXE /s1 /f\"tso.zmd\" /H10.1.1.5 /O23 /u2 /@ cwd=" + install,
        "kind=KVAP mode=desktop cmd=" + install + "\\KVAP.EXE /fprt1 /2\"a b\" /u1 /@ cwd=" +
            install}},
      {"desktop, saved configuration", desktop, true,
       {{"Sessions", "MD_S1"}, {"MD_S1", "tso.zmd"}, {"MD_S1_Save", "Y"}},
       {"kind=KVMD mode=desktop cmd=" + install + "\\KVMD.EXE /s1 /f\"tso.zmd\" /u0 /@ cwd=" +
            install}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    if (c.savedConfig) {
      Store(HKEY_CURRENT_USER, "Software\\MARROCK\\Kestrava\\Mainframe Display S1", "", "", 0);
    }
    // The issuer's cookie for "alice", "s3cret", "ticket-0".
    Params files = {{"desk.ini", "[KVSetup]\r\nDestinationDir=" + install + "\r\n"},
                    {"sso/ticket.asp", "path=/; blkcookie=ph/o8kvbSwnNBYDb/N+dfzjk2YX+6uc=; x=1"}};
    Params params = c.params;
    // Each program the entries start, delivered by its kind's list.
    for (const std::string& start : c.starts) {
      const std::string kind = start.substr(5, start.find(' ') - 5);  // "KVMD"
      const std::string program = kind + (c.ini == desktop ? ".EXE" : ".PRO");
      files.push_back({kind + ".lst", program + ",1\r\n"});
      files.push_back({program, StandInProgram(program.c_str())});
      params.push_back({kind.substr(2) + "_DistFile", kind + ".lst"});
    }
    HostRun run = Deploy("commands", c.ini, files, params);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(c.starts, starts_);
    EXPECT_LE(1u, Count(StubLines(), " message SETFOCUS "));  // in front
  }
}

// The publisher check runs once per kind: a passed check sets the kind's
// flag, a set flag skips it, and a program that fails it, cannot start or
// whose line does not fit is reported and not run; the next entry follows.
// A bad cookie is shown and the session starts without it; a PARAM over its
// capacity ends the deployment before any session (the lists came first).
TEST_F(SessionTest, ChecksAndFailures) {
  const std::string path = DownloadFolder() + "\\KVMD.PRO";
  const std::string security = "Web-to-Host Control\tSecurity error ";
  const std::string launch = "Program Launch Error\tFailed to launch session ... ";
  const std::string none(1, '\0');
  Params longVars;
  for (int n = 1; n <= 4; ++n)
    longVars.push_back({"MD_S1_Var" + std::to_string(n), std::string(63, 'd')});
  const struct {
    const char* what;
    const char* programFolder;  // null: no program listed
    bool alreadyVerified;
    Params extra;     // the first entry's further PARAMs
    std::string box;  // each box starts so
    size_t boxes, starts;
    std::string kvmdFlag, kvvtFlag;
  } cases[] = {
      {"signed, checked once", "programs", false, {}, "", 0, 3, "\1", "\1"},
      {"unsigned and current, flag already set", "unsigned", true, {}, "", 0, 3, "\1", "\1"},
      {"unsigned", "unsigned", false, {},
       security + "800B0100 launching session " + path + ":\\r\\nNo Signature found", 2, 1, none,
       "\1"},
      {"altered", "altered", false, {}, security + "80096010 launching session " + path, 2, 1,
       none, "\1"},
      {"missing, flag already set", nullptr, true, {}, launch + "Error Code 2.\t", 2, 1, "\1",
       "\1"},
      {"line over 259 characters", "programs", false, longVars,
       launch + "The command line is longer than 259 characters.\t", 1, 2, "\1", "\1"},
      {"cookie not valid", "programs", false, {{"MD_S1_Blk", "bad.asp"}},
       "Blockade API Error\tblk_ParseCookie( ) returned error code 504.\t", 1, 3, "\1", "\1"},
      {"port of 16 characters", "programs", false, {{"MD_S1_Port", std::string(16, '2')}},
       "Web-to-Host Control\tBuffer Overrun Check Failure: MD_S1_Port ... operation aborted.", 1, 0,
       none, none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Params files = {{"vt.lst", "KVVT.PRO,1\r\n"}, {"KVVT.PRO", StandInProgram("KVVT.PRO")},
                    {"bad.asp", "no cookie here"},
                    {"md.lst", c.programFolder ? "KVMD.PRO,1\r\n" : ""}};
    if (c.programFolder) files.push_back({"KVMD.PRO", StandInProgram("KVMD.PRO", c.programFolder)});
    if (c.alreadyVerified) {
      // A download of the kind would clear the flag: the program is current.
      const BYTE verified = 1;
      const DWORD version = 1;
      Store(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified", &verified, 1);
      Store(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO", &version, 4);
      ASSERT_TRUE(!c.programFolder || WriteFileBytes(path, files.back().second));
    }
    Params params = {{"MD_DistFile", "md.lst"}, {"VT_DistFile", "vt.lst"},
                     {"Sessions", "MD_S1,MD_S2,VT_S1"}, {"MD_S1", "a"},
                     {"MD_S2", "b"}, {"VT_S1", "v"}};
    params.insert(params.end(), c.extra.begin(), c.extra.end());
    HostRun run = Deploy("checks", "[Kestrava]\r\n", files, params);
    EXPECT_EQ(c.boxes, run.boxes.size());
    for (const std::string& box : run.boxes) EXPECT_EQ(0u, box.find(c.box)) << box;
    EXPECT_EQ(c.starts, starts_.size());
    EXPECT_EQ(c.kvmdFlag, RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified"));
    EXPECT_EQ(c.kvvtFlag, RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvvtVerified"));
  }
}

// The wait for a new session's window: found at once when it comes; a
// session without a window is waited for at most ten seconds where the
// family waits; a line without an instance, NT 4 and 98 are not waited for.
TEST_F(SessionTest, ForegroundWaitIsBoundedPerFamily) {
  const struct {
    const char* what;
    const char* kind;
    const char* session;
    const char* version;
    double atLeast, below;
  } cases[] = {
      {"FTP found at once", "FTP", "FTP_S3", "", 0, 7},
      {"no instance switch", "VT", "VT_SX", "", 0, 7},
      {"NT 4", "VT", "VT_S2", "nt40", 0, 7},
      {"98", "VT", "VT_S2", "win98", 0, 7},
      {"2000: bounded", "VT", "VT_S2", "win2k", 10, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    // Every session but the FTP one never shows a window.
    SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", c.kind[0] == 'V' ? "1" : nullptr);
    const std::string program = "KV" + std::string(c.kind) + ".PRO";
    const Params files = {{"w.lst", program + ",1\r\n"},
                          {program, StandInProgram(program.c_str())}};
    const Params params = {{std::string(c.kind) + "_DistFile", "w.lst"}, {"Sessions", c.session},
                           {c.session, "v"}};
    HostRun run = Deploy("foreground", "[Kestrava]\r\n", files, params, c.version);
    // Wine's loader now and then cannot reserve a new process's address
    // ranges (CreateProcess gives 1359): the machine's fault, run again.
    if (run.boxes.size() == 1 && run.boxes[0].find("Error Code 1359.") != std::string::npos)
      run = Deploy("foreground", "[Kestrava]\r\n", files, params, c.version);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(1u, starts_.size());
    EXPECT_LE(c.atLeast, seconds_);
    EXPECT_GT(c.below, seconds_);
  }
}

// Position: the session starts once, from the first paint, over the
// control's rectangle as a child of the container; a paint brings it back
// there without resizing it, unless a deployment runs; focus is not relayed.
// The container's destruction closes it and gives the container its own
// procedure back.
TEST_F(SessionTest, PositionFollowsTheControlAndClosesWithTheContainer) {
  RunningHost host(Pages("embed-position", "P"));
  HWND window = WaitForEmbeddedWindow();
  ASSERT_NE(nullptr, window);
  RECT object = {};
  for (const std::string& line : host.Trace()) {
    if (sscanf(line.c_str(), "object 0 rect=%ld,%ld,%ld,%ld", &object.left, &object.top,
               &object.right, &object.bottom) == 4)
      break;
  }
  char expected[128];
  snprintf(expected, sizeof expected, " /*%s /(%ld /)%ld /_%ld /+%ld /@",
           Number(GetParent(window)).c_str(), object.left, object.top, object.right, object.bottom);
  EXPECT_EQ(1u, Count(StubLines(), expected)) << expected;
  const RECT placed = RectInParent(window);
  EXPECT_TRUE(Same(object, placed));
  EXPECT_LT(object.left, object.right);
  for (int busy : {0, 1}) {
    // While a deployment runs the paint leaves it; the moves paints before
    // asked for reach the stand-in first, as sent messages in order.
    SetDeploymentBusy(busy);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    SetWindowPos(window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(host.Send(kPaint));
    EXPECT_TRUE(WaitUntil(
        [&] { return busy ? Count(LogLines(), ". skip .") : Same(RectInParent(window), placed); },
        5000));
  }
  EXPECT_EQ(150, RectInParent(window).left);
  SetDeploymentBusy(0);
  ASSERT_TRUE(host.Send(kFocus));
  ASSERT_TRUE(host.Send(kBlur));
  ASSERT_TRUE(host.Send(kResize, MAKELPARAM(700, 500)));
  ASSERT_TRUE(TraceHas(host, "command resize 700x500"));
  for (const char* relayed : {"message REFRESH", "message SETFOCUS", "message KILLFOCUS"})
    EXPECT_EQ(0u, Count(StubLines(), relayed)) << relayed;
  const RECT now = RectInParent(window);
  EXPECT_EQ(placed.right - placed.left, now.right - now.left);
  EXPECT_EQ(placed.bottom - placed.top, now.bottom - now.top);
  EXPECT_EQ(1u, Count(StubLines(), " start "));
  ASSERT_TRUE(host.Send(kDestroy));
  EXPECT_TRUE(TraceHas(host, "command destroy done"));
  EXPECT_EQ(1u, Count(host.Trace(), "container ncdestroy proc=own"));
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE"));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 0));
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
}

// FullScreen: resizing the container sizes the session to the client area
// without moving it, a paint changes nothing, focus is relayed and followed
// by the refresh. Something that subclasses the container after the control
// keeps its place in the chain, and the container's own procedure still
// gets the last message; the session closes with the container.
TEST_F(SessionTest, FullScreenFollowsTheContainerAndALaterSubclasserKeepsItsPlace) {
  RunningHost host(Pages("embed-full", "F"));
  HWND window = WaitForEmbeddedWindow();
  ASSERT_NE(nullptr, window);
  RECT client;
  GetClientRect(GetParent(window), &client);
  EXPECT_TRUE(Same(client, RectInParent(window)));
  ASSERT_TRUE(host.Send(kResize, MAKELPARAM(640, 480)));
  EXPECT_TRUE(WaitUntil([&] { return Same(RectInParent(window), {0, 0, 640, 480}); }, 5000));
  SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(host.Send(kPaint));
  ASSERT_TRUE(TraceHas(host, "command paint"));
  EXPECT_EQ(30, RectInParent(window).left);

  ASSERT_TRUE(host.Send(kFocus));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), "message REFRESH") > 0; }, 5000));
  ASSERT_TRUE(host.Send(kBlur));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), "message KILLFOCUS wparam=0"); }, 5000));
  std::vector<std::string> stub = StubLines();
  auto first = [&](const char* part) {
    return std::find_if(stub.begin(), stub.end(), [&](const std::string& line) {
      return line.find(part) != std::string::npos;
    });
  };
  EXPECT_TRUE(first("message SETFOCUS wparam=0") < first("message REFRESH"));

  ASSERT_TRUE(host.Send(kSubclass));
  ASSERT_TRUE(host.Send(kDestroy));
  EXPECT_TRUE(TraceHas(host, "command destroy done"));
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE"));
  std::vector<std::string> trace = host.Trace();
  auto line = [&](const char* text) { return std::find(trace.begin(), trace.end(), text); };
  EXPECT_TRUE(line("command subclass") < line("subclass ncdestroy"));
  EXPECT_TRUE(line("subclass ncdestroy") < line("container ncdestroy proc=other"));
  EXPECT_TRUE(line("container ncdestroy proc=other") < trace.end());
  EXPECT_TRUE(host.Finish().finished);
  EXPECT_EQ(1u, Count(LogLines(), "The container window was subclassed after the control; its "
                                  "procedure is left in place."));
}

// The next page in the same browser window with the same instance: the
// running session is shown again in its place, not started a second time;
// leaving the last page closes it.
TEST_F(SessionTest, TheNextPageReusesTheRunningSession) {
  RunningHost host(Pages("embed-reuse", "P", true), "--keep-container --stay 4000");
  HWND window = WaitForEmbeddedWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(WaitUntil([&] { return Count(LogLines(), "'s Parent is ") > 0; }, 20000));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), "message REFRESH") > 0; }, 5000));
  EXPECT_EQ(1u, Count(StubLines(), " start "));
  EXPECT_EQ(window, GetSessionWindow(kAs400Display, 0));
  EXPECT_TRUE(IsWindowVisible(window));
  HostRun run = host.Finish();
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(1u, Count(StubLines(), "message CLOSE"));
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 0));
}

// A container that sets the client site only after the PARAMs: the page
// that asks for its session in the page has no window to put it in.
TEST_F(SessionTest, EmbeddingWithoutAClientSiteIsDisabled) {
  const std::string page = PublishPage(
      "unsited/index.htm", ControlPage({{"LogEvents", "Y"}, {"LocalLaunch", "Y"},
                                        {"Sessions", "MD_S1"}, {"MD_S1", "c"},
                                        {"MD_S1_RunInBrowser", "F"}}));
  EXPECT_TRUE(RunHost({page}, "--site-after-load").finished);
  const std::vector<std::string> log = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(HasLine(log, "MD_S1: Embed Mode is Disabled"));
}

// The control's own calls on a session in a window of this test. With
// sessions embedded, an entry whose session runs already is shown in the
// container instead of started: moved in and told its new parent when it
// stands elsewhere, only placed when it is there. Closing it posts WM_CLOSE
// and waits, dispatching, at most ten seconds, one log line per pass; a
// session that is not embedded is left alone, without a log line.
TEST_F(SessionTest, TheLauncherReusesAndTheControlClosesTheEmbeddedSession) {
  HWND container = TestContainerWindow();
  ASSERT_NE(nullptr, container);
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  ApplyLogEventsSetting(true);
  SetContainerWindow(container);
  const std::string p = Number(container);
  const struct {
    const char* what;
    bool embedded, ignoreClose;
    double atLeast, below;
  } cases[] = {
      {"not embedded", false, false, 0, 1},
      {"reused, then closed", true, false, 0, 5},
      {"ignores WM_CLOSE", true, true, 10, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetSessionWindow(kAs400Display, 11, nullptr);
    DeleteFileA(stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", c.ignoreClose ? "1" : nullptr);
    StandIn stub(StandInFolder(), "KVAD.PRO", "/s12 /fa /qy5250D /u1 /@");
    HWND window = nullptr;
    PumpUntil([&] { return (window = GetSessionWindow(kAs400Display, 11)) != nullptr; }, 30000);
    ASSERT_NE(nullptr, window);
    const std::string w = Number(window);
    SetEmbedMode(kEmbedPosition);
    SetEmbedRect({10, 20, 410, 320});
    SessionListToBuild()->Count = 1;
    CopyText(SessionListToBuild()->Commands[0], kSessionCommandCapacity, "KVAD.PRO /s123 /f\"a\"");
    size_t refreshed = 0;
    for (const std::string& line : {w + "'s Parent set to " + p, w + "'s Parent is " + p}) {
      if (!c.embedded) break;
      LaunchSessions(nullptr);
      const std::vector<std::string> log = LogAt(EventLogPath());
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(line, log.back());
      // It has taken its place once it has the refresh posted after the move.
      EXPECT_TRUE(PumpUntil([&] { return Count(StubLines(), "REFRESH") > refreshed; }, 5000));
      ++refreshed;
      EXPECT_TRUE(Same(RectInParent(window), {10, 20, 410, 320}));
    }
    EXPECT_EQ(c.embedded ? container : nullptr, GetParent(window));
    const std::string told = "pid=" + std::to_string(stub.pid) + " message NEWPARENT parent=" + p;
    EXPECT_EQ(c.embedded ? 1u : 0u, Count(StubLines(), told));
    EXPECT_EQ(1u, Count(StubLines(), " start "));
    SetEmbedMode(kEmbedOff);
    ClearSessionList();

    const size_t logged = LogAt(EventLogPath()).size();
    const DWORD start = GetTickCount();
    CloseEmbeddedSession();
    const double seconds = (GetTickCount() - start) / 1000.0;
    EXPECT_LE(c.atLeast, seconds);
    EXPECT_GT(c.below, seconds);
    std::vector<std::string> lines = LogAt(EventLogPath());
    lines.erase(lines.begin(), lines.begin() + std::min(logged, lines.size()));
    EXPECT_EQ(c.embedded && !c.ignoreClose ? nullptr : window, GetSessionWindow(kAs400Display, 11));
    if (!c.embedded) {
      EXPECT_TRUE(lines.empty()) << lines[0];
      continue;
    }
    ASSERT_LE(2u, lines.size());
    EXPECT_EQ("WM_CLOSE posted to window " + w, lines[0]);
    EXPECT_EQ(". 2 .", lines[1]);
    // One line per pass of the wait, not one per spin.
    EXPECT_GT(c.ignoreClose ? 250u : 20u, lines.size());
    const std::string left = "Window " + w + " did not close within 10 seconds; "
                             "it is left running.";
    EXPECT_EQ(c.ignoreClose, lines.back() == left);
  }
  SetContainerWindow(nullptr);
  EndEventLog();
  DestroyWindow(container);
}

}  // namespace
