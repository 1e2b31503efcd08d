// Sessions started, embedded, taken over and closed by the real control, signed stand-ins.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>

#include "base/portable/session_kinds.h"
#include "host_run.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
// The container commands of tools/host (host_options.h).
enum { kResize = 1, kFocus = 2, kBlur = 3, kPaint = 4, kDestroy = 5, kSubclass = 6, kScroll = 8,
       kReload = 9 };

std::string Number(HWND window) { return std::to_string((int)(LONG_PTR)window); }

RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), (POINT*)&rect, 2);
  return rect;
}

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class SessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    ASSERT_TRUE(OpenSessionWindowTable());
  }
  static void TearDownTestSuite() { CloseSessionWindowTable(); }
  void SetUp() override {
    TearDown();
    ResetDeployment();
    for (const char* name : {"KVMD.PRO", "KVAD.PRO", "KVFTP.PRO", "KVVT.PRO"})
      DeleteFileA((DownloadFolder() + "\\" + name).c_str());
    DeleteFileA(stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog_.c_str());
  }
  void TearDown() override {
    EndStandInsOf(stubLog_);
    SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", nullptr);
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", nullptr);
    SetEnvironmentVariableA("WEVELINK_STUB_WINDOW_DELAY_MS", nullptr);
    SetDeploymentBusy(0);
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) SetSessionWindow(kind, slot, nullptr);
    }
  }

  HostRun Launch(const std::string& folder, const std::string& ini, const Pairs& files,
                 const Pairs& params, const std::string& version = "",
                 const std::string& hostArgs = "") {
    const DWORD start = GetTickCount();
    HostRun run = Deploy(folder, ini, files, params, version, hostArgs);
    seconds_ = (GetTickCount() - start) / 1000.0;
    starts_.clear();
    for (const std::string& line : StubLines()) {
      size_t at = line.find(" start ");
      if (at != std::string::npos) starts_.push_back(line.substr(at + 7));
    }
    return run;
  }
  // The page with one AS/400 display session embedded as mode asks.
  std::string Page(const std::string& folder, const char* mode, const std::string& session) {
    return PublishDeployment(
        folder, "[Kestrava]\r\n",
        {{"ad.lst", "KVAD.PRO,1\r\n"}, {"KVAD.PRO", StandInProgram("KVAD.PRO")}},
        {{"AD_DistFile", "ad.lst"}, {"Sessions", session}, {session, "a.zad"},
         {session + "_RunInBrowser", mode}});
  }

  std::vector<std::string> StubLines() { return ReadLines(stubLog_); }
  std::vector<std::string> LogLines() { return LogLinesWithoutStamps(ReadOnlyEventLog()); }
  bool TraceHas(RunningHost& host, const std::string& part) {
    return WaitUntil([&] { return Count(host.Trace(), part) > 0; }, 15000);
  }

  std::string stubLog_ = TestEnvDir() + "\\session-stub.log";
  std::vector<std::string> starts_;  // "kind=... mode=... cmd=... cwd=..."
  double seconds_ = 0;
};

// Each mode's command line and folder: session and cookie reach the launcher, Save gives /u0 where
// a saved configuration exists; the full program name starts no launch.exe at the folder's blank.
TEST_F(SessionTest, CommandLinesAndFolders) {
  const std::string dl = DownloadFolder();
  const std::string install = TestEnvDir() + "\\launch install";
  ASSERT_TRUE(WriteFileBytes(TestEnvDir() + "\\launch.exe", StandInProgram("KVVT.PRO")));
  const std::string line =
      " /s1 /f\"tso.zmd\" /H10.1.1.5 /O23 /Ppw /ialice /js3cret /kticket-0";
  const struct {
    const char *ini, *program;
    std::string start;
  } cases[] = {
      {"[Kestrava]\r\n", "KVMD.PRO",
       "kind=KVMD mode=web cmd=" + dl + "\\KVMD.PRO" + line + " /qy3270D /u2 /@ cwd=" + dl},
      {"[Kestrava]\r\nDesktopMode=desk.ini\r\n", "KVMD.EXE",
       "kind=KVMD mode=desktop cmd=" + install + "\\KVMD.EXE" + line + " /u0 /@ cwd=" + install},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    SetUp();
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\MARROCK\\Kestrava"
                                             "\\Mainframe Display S1", "", REG_SZ, "", 1));
    // The issuer's cookie for "alice", "s3cret", "ticket-0".
    const Pairs files = {
        {"desk.ini", "[KVSetup]\r\nDestinationDir=" + install + "\r\n"},
        {"sso/ticket.asp", "path=/; blkcookie=ph/o8kvbSwnNBYDb/N+dfzjk2YX+6uc=; x=1"},
        {"md.lst", c.program + std::string(",1\r\n")},
        {c.program, StandInProgram(c.program)}};
    const Pairs params = {{"MD_DistFile", "md.lst"}, {"Sessions", "MD_S1"}, {"MD_S1", "tso.zmd"},
                          {"MD_S1_HostAddress", "10.1.1.5"}, {"MD_S1_Port", "23"},
                          {"MD_S1_Password", "pw"},
                          {"MD_S1_Save", "Y"}, {"MD_S1_Blk", "sso/ticket.asp"}};
    Launch("commands", c.ini, files, params);
    EXPECT_EQ(std::vector<std::string>{c.start}, starts_);
    EXPECT_LE(1u, Count(StubLines(), " message SETFOCUS "));  // in front
  }
}

// The publisher check runs once per kind (passing sets its flag); a program that fails it, cannot
// start or has too long a line is reported and skipped; a PARAM over its capacity starts nothing.
TEST_F(SessionTest, ChecksAndFailures) {
  const std::string path = DownloadFolder() + "\\KVMD.PRO";
  const std::string launch = "Program Launch Error\tFailed to launch session ... ";
  const std::string none(1, '\0');
  const std::string d63(63, 'd');
  const struct {
    const char *what, *programFolder;  // programFolder null: no program listed
    int current;  // 1: the program is current, 2: and its kind's flag set
    Pairs extra;      // the first entry's further PARAMs
    std::string box;  // each box starts so
    size_t boxes, starts;
    std::string kvmdFlag;
  } cases[] = {
      {"signed, checked once", "programs", 0, {}, "", 0, 3, "\1"},
      {"unsigned and current, flag already set", "unsigned", 2, {}, "", 0, 3, "\1"},
      {"unsigned and current", "unsigned", 1, {}, "Web-to-Host Control\tSecurity error 800B0100 "
       "launching session " + path + ":\\r\\nNo Signature found in file.\t", 2, 1, none},
      {"unsigned download", "unsigned", 0, {}, "", 3, 1, none},  // refused before it replaces
      {"missing, flag already set", nullptr, 2, {}, launch + "Error Code 2.\t", 2, 1, "\1"},
      {"line over 259 characters", "programs", 0,
       {{"MD_S1_Var1", d63}, {"MD_S1_Var2", d63}, {"MD_S1_Var3", d63}, {"MD_S1_Var4", d63}},
       launch + "The command line is longer than 259 characters.\t", 1, 2, "\1"},
      {"flag set, a description naming another kind", "unsigned", 2,
       {{"MD_S1_Description", "KVAP"}}, "", 0, 3, "\1"},
      {"port of 16 characters", "programs", 0, {{"MD_S1_Port", std::string(16, '2')}},
       "Web-to-Host Control\tBuffer Overrun Check Failure: MD_S1_Port ... operation aborted.", 1, 0,
       none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Pairs files = {{"vt.lst", "KVVT.PRO,1\r\n"}, {"KVVT.PRO", StandInProgram("KVVT.PRO")},
                   {"md.lst", c.programFolder ? "KVMD.PRO,1\r\n" : ""}};
    if (c.programFolder) files.push_back({"KVMD.PRO", StandInProgram("KVMD.PRO", c.programFolder)});
    if (c.current) {
      // A download of the kind would clear the flag: the program is current.
      const DWORD version = 1;
      ASSERT_EQ(0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified", REG_BINARY,
                                   c.current == 2 ? "\1" : "\0", 1));
      ASSERT_EQ(0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO", REG_BINARY,
                                   &version, 4));
      ASSERT_TRUE(!c.programFolder || WriteFileBytes(path, files.back().second));
    }
    Pairs params = {{"MD_DistFile", "md.lst"}, {"VT_DistFile", "vt.lst"},
                    {"Sessions", "MD_S1,MD_S2,VT_S1"}, {"MD_S1", "a"},
                    {"MD_S2", "b"}, {"VT_S1", "v"}};
    params.insert(params.end(), c.extra.begin(), c.extra.end());
    HostRun run = Launch("checks", "[Kestrava]\r\n", files, params);
    EXPECT_EQ(c.boxes, run.boxes.size());
    for (const std::string& box : run.boxes) EXPECT_EQ(0u, box.find(c.box)) << box;
    EXPECT_EQ(c.starts, starts_.size());
    EXPECT_EQ(c.kvmdFlag, RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified"));
    // VT runs, checked, whenever any session does.
    EXPECT_EQ(c.starts ? "\1" : none, RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvvtVerified"));
  }
}

// A session's window is awaited until found, up to ten seconds; not on NT 4.
TEST_F(SessionTest, ForegroundWaitIsBoundedPerFamily) {
  const struct {
    const char *what, *kind, *session, *version;
    bool waits;
  } cases[] = {
      {"FTP found at once", "FTP", "FTP_S3", "", false},
      {"NT 4", "VT", "VT_S2", "nt40", false},
      {"2000: bounded", "VT", "VT_S2", "win2k", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    // Only the FTP stand-in shows a window.
    SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", c.kind[0] == 'V' ? "1" : nullptr);
    const std::string program = "KV" + std::string(c.kind) + ".PRO";
    const Pairs files = {{"w.lst", program + ",1\r\n"}, {program, StandInProgram(program.c_str())}};
    const Pairs params = {{std::string(c.kind) + "_DistFile", "w.lst"}, {"Sessions", c.session},
                          {c.session, "v"}};
    HostRun run = Launch("foreground", "[Kestrava]\r\n", files, params, c.version);
    // Wine's loader now and then fails a CreateProcess with 1359: run again.
    if (run.boxes.size() == 1 && run.boxes[0].find("Error Code 1359.") != std::string::npos)
      run = Launch("foreground", "[Kestrava]\r\n", files, params, c.version);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(1u, starts_.size());
    EXPECT_EQ(c.waits, seconds_ >= 10);
    EXPECT_GT(c.waits ? 20 : 7, seconds_);
  }
}

// Position: started over the control's rectangle once an earlier page's embedded session closes;
// a paint moves it back unless a deployment runs; focus is not relayed. FullScreen: an earlier
// page's plain session is taken over, told its parent, follows the container's client area, gets
// focus before the refresh. Both close with the container, whose procedure comes back unless a
// later subclasser holds its place; a session ignoring WM_CLOSE is waited for ten seconds at most.
TEST_F(SessionTest, EmbeddedSessionsFollowTheirModeAndCloseWithTheContainer) {
  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "FullScreen" : "Position");
    SetUp();
    SetEnvironmentVariableA("WEVELINK_STUB_IGNORE_CLOSE", full ? "1" : nullptr);
    RunningHost host({full ? Page("first", "N", "AD_S1") : Page("first", "P", "AD_S2"),
                      Page("embed", full ? "F" : "P", "AD_S1")},
                     "--keep-container");
    HWND window = nullptr;  // the stand-in's, once it is a child of the container
    WaitUntil([&] { return (window = GetSessionWindow(kAs400Display, 0)) && GetParent(window); },
              30000);
    ASSERT_NE(nullptr, window);
    RECT object = {};
    for (const std::string& line : host.Trace()) {
      if (sscanf(line.c_str(), "object 0 rect=%ld,%ld,%ld,%ld", &object.left, &object.top,
                 &object.right, &object.bottom) == 4)
        break;
    }
    RECT client;
    GetClientRect(GetParent(window), &client);
    const RECT at = full ? client : object;
    const RECT placed = RectInParent(window);
    EXPECT_TRUE(Same(at, placed));
    // The session taken over has the refresh posted after the move.
    ASSERT_TRUE(!full || WaitUntil([&] { return Count(StubLines(), "message REFRESH"); }, 5000));
    const std::string told = " message NEWPARENT parent=" + Number(GetParent(window));
    EXPECT_EQ(full ? 1u : 0u, Count(StubLines(), told));
    // What the focus commands bring the stand-in.
    const size_t earlier = StubLines().size();
    const size_t refreshes = Count(StubLines(), "message REFRESH");

    ASSERT_TRUE(host.Send(kFocus));
    ASSERT_TRUE(host.Send(kBlur));
    ASSERT_TRUE(host.Send(kResize, MAKELPARAM(640, 480)));
    ASSERT_TRUE(TraceHas(host, "command resize 640x480"));
    const RECT sized = full ? RECT{0, 0, 640, 480} : placed;
    EXPECT_TRUE(WaitUntil([&] { return Same(RectInParent(window), sized); }, 5000));
    EXPECT_EQ(full, WaitUntil([&] { return Count(StubLines(), "message REFRESH") > refreshes; },
                              full ? 5000 : 500));
    std::vector<std::string> stub = StubLines();
    stub.erase(stub.begin(), stub.begin() + std::min(earlier, stub.size()));
    auto first = [&](const char* part) {
      return std::find_if(stub.begin(), stub.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
      });
    };
    EXPECT_EQ(full, first("message KILLFOCUS wparam=0") < stub.end());
    EXPECT_EQ(full, first("message SETFOCUS wparam=0") < first("message REFRESH"));

    for (int busy : {0, 1}) {
      // The moves reach the stand-in before the paint; only an idle Position paint moves it back.
      SetDeploymentBusy(busy);
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
      SetWindowPos(window, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ASSERT_TRUE(host.Send(kPaint));
      const bool back = !busy && !full;
      EXPECT_EQ(back, WaitUntil([&] { return RectInParent(window).left != 150; },
                                back ? 5000 : 1000));
      EXPECT_TRUE(!back || Same(RectInParent(window), placed));
    }
    EXPECT_TRUE(WaitUntil([&] { return Count(LogLines(), ". skip .") > 0; }, 5000));
    SetDeploymentBusy(0);
    if (!full) {
      // The page scrolls: the session follows the object's new place at the paint.
      ASSERT_TRUE(host.Send(kScroll, MAKELPARAM(0, (WORD)(short)-40)));
      RECT scrolled = placed;
      OffsetRect(&scrolled, 0, -40);
      EXPECT_TRUE(WaitUntil([&] { return Same(RectInParent(window), scrolled); }, 5000));
    }

    ASSERT_TRUE(!full || host.Send(kSubclass));
    const DWORD destroying = GetTickCount();
    ASSERT_TRUE(host.Send(kDestroy));
    EXPECT_TRUE(TraceHas(host, "command destroy done"));
    const double seconds = (GetTickCount() - destroying) / 1000.0;
    EXPECT_EQ(full, seconds >= 10);
    EXPECT_GT(full ? 13 : 3, seconds);
    EXPECT_EQ(full ? 1u : 2u, Count(StubLines(), "message CLOSE"));
    EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 0));  // gone with its parent
    std::vector<std::string> trace = host.Trace();
    auto line = [&](const char* text) { return std::find(trace.begin(), trace.end(), text); };
    const auto ended = line(full ? "container ncdestroy proc=other" : "container ncdestroy "
                                                                      "proc=own");
    EXPECT_TRUE(ended < trace.end());
    EXPECT_TRUE(!full || line("subclass ncdestroy") < ended);
    host.Finish();
    const std::vector<std::string> log = LogLines();
    EXPECT_EQ(full, HasLine(log, "The container window was subclassed after the control; its "
                                 "procedure is left in place."));
    EXPECT_EQ(full, HasLine(log, "Window " + Number(window) + " did not close within 10 "
                                 "seconds; the container goes on without it."));
    // One line per pass of the wait, not one per spin.
    EXPECT_GT(250u, Count(log, ". 1 ."));
  }
}

// An embedded session without an instance ("/s") is reused by the next page, not started twice.
TEST_F(SessionTest, AnEmbeddedSessionWithoutInstanceIsReused) {
  RunHost({Page("again1", "P", "AD_SX"), Page("again2", "P", "AD_SX")},
          "--keep-container --stay 3000");
  EXPECT_EQ(1u, Count(StubLines(), " start kind=KVAD"));
  EXPECT_EQ(1u, Count(LogLines(), "'s Parent is "));
}

// A reload during the launch: the new deployment is refused; the old list starts each session once.
TEST_F(SessionTest, APageReloadedDuringTheLaunchLeavesTheListAlone) {
  SetEnvironmentVariableA("WEVELINK_STUB_WINDOW_DELAY_MS", "2000");
  const std::string page = PublishDeployment(
      "reload", "[Kestrava]\r\n",
      {{"vt.lst", "KVVT.PRO,1\r\n"}, {"KVVT.PRO", StandInProgram("KVVT.PRO")}},
      {{"VT_DistFile", "vt.lst"}, {"Sessions", "VT_S1,VT_S2"}, {"VT_S1", "a"}, {"VT_S2", "b"}});
  RunningHost host({page});
  ASSERT_TRUE(WaitUntil([&] { return Count(StubLines(), " start ") > 0; }, 30000));
  ASSERT_TRUE(host.Send(kReload));
  ASSERT_TRUE(TraceHas(host, "command reload done"));
  EXPECT_TRUE(WaitUntil([&] { return Count(StubLines(), " start ") == 2; }, 15000));
  host.Finish();
  const std::vector<std::string> stub = StubLines();
  EXPECT_EQ(2u, Count(stub, " start "));
  EXPECT_EQ(1u, Count(stub, " /s2 /f\"b\" "));
  EXPECT_TRUE(HasLine(LogLines(), "A deployment is already running in this process; this one "
                                  "is refused."));
}

// A page asking nothing of embedding keeps the previous mode; with that page's window gone, its
// sessions start in their own. A windowed control (no windowless site) embeds all the same.
TEST_F(SessionTest, AnInheritedEmbedModeWithoutItsWindowStartsSessionsPlain) {
  const std::string plain = PublishDeployment(
      "inherit", "[Kestrava]\r\n",
      {{"ad.lst", "KVAD.PRO,1\r\n"}, {"KVAD.PRO", StandInProgram("KVAD.PRO")}},
      {{"AD_DistFile", "ad.lst"}, {"Sessions", "AD_S2"}, {"AD_S2", "b.zad"}});
  RunHost({Page("embedded", "F", "AD_S1"), plain}, "--windowed --stay 3000");
  const std::vector<std::string> log = LogLines();
  EXPECT_TRUE(HasLine(log, "The window to embed the sessions in is gone; they start in their "
                           "own."));
  const std::vector<std::string> stub = StubLines();
  EXPECT_EQ(1u, Count(stub, " /s1 /f\"a.zad\" /qy5250D /u1 /*"));
  EXPECT_EQ(1u, Count(stub, " /s2 /f\"b.zad\" /qy5250D /u1 /@"));
}

// A client site set only after the PARAMs, or no window before the layout: nothing to embed in.
TEST_F(SessionTest, EmbeddingWithoutAClientSiteIsDisabled) {
  const struct {
    const char *hostArgs, *line;
  } cases[] = {
      {"--site-after-load", "MD_S1: Embed Mode is Disabled"},
      {"--late-window", "Sessions start in their own windows: the page has no window yet."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hostArgs);
    SetUp();
    Launch("unsited", "[Kestrava]\r\n", {},
           {{"Sessions", "MD_S1"}, {"MD_S1", "c"}, {"MD_S1_RunInBrowser", "F"}}, "", c.hostArgs);
    EXPECT_TRUE(HasLine(LogLines(), c.line));
  }
}

}  // namespace
