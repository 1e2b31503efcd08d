// The whole road of a page through the real control in the container: the
// update pipeline brings the signed stand-in under a session program's name,
// the launcher starts it, and the stand-in records its command line and
// working folder. Boxes, the event log, the verified flags and the timing
// of the foreground wait are asserted too.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "host_run.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;
typedef std::vector<std::pair<std::string, std::string>> Files;

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char* const kStubSettings[] = {"WEVELINK_STUB_NO_WINDOW", "WEVELINK_STUB_EXIT_AFTER_MS"};

std::string Program(const char* name, const char* folder = "programs") {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + folder + "/" + name),
                            &bytes))
      << name;
  return bytes;
}

void StoreFlag(const char* name, BYTE value) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWebRoot, 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_BINARY, &value, 1);
  RegCloseKey(key);
}

void StoreVersion(const char* name, DWORD version) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWebRoot, 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_BINARY, (const BYTE*)&version, 4);
  RegCloseKey(key);
}

// Closes every stand-in still in the table, so that each case starts with
// every instance free.
void CloseRunningSessions() {
  for (int kind = 0; kind < 6; ++kind) {
    for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) {
      HWND window = GetSessionWindow(kind, slot);
      if (!window) continue;
      PostMessageA(window, WM_CLOSE, 0, 0);
      for (int i = 0; i < 200 && GetSessionWindow(kind, slot) == window && IsWindow(window); ++i) {
        Sleep(10);
      }
    }
  }
}

class SessionLaunchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    ASSERT_TRUE(OpenSessionWindowTable());
  }
  static void TearDownTestSuite() {
    CloseRunningSessions();
    CloseSessionWindowTable();
  }
  void SetUp() override {
    SetUpKeepingSettings();
    for (const char* name : kStubSettings) SetEnvironmentVariableA(name, nullptr);
  }
  // The same, keeping the stand-in's settings the case made.
  void SetUpKeepingSettings() {
    CloseRunningSessions();
    EndStandIns();
    DeleteEventLogs();
    SetServerRules("");
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      DeleteRegTree(hive, "Software\\MARROCK");
    }
    for (const char* name : {"KVMD.PRO", "KVMP.PRO", "KVFTP.PRO", "KVVT.PRO"}) {
      DeleteFileA((DownloadFolder() + "\\" + name).c_str());
    }
    stubLog_ = TestEnvDir() + "\\launch-stub.log";
    DeleteFileA(stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog_.c_str());
  }

  // Publishes the site (site.ini, lists and files) under folder, loads its
  // page and keeps the event log and the stand-ins' start lines.
  HostRun Deploy(const std::string& folder, const std::string& ini, const Files& files,
                 Params params, const std::string& version = "") {
    PublishPage(folder + "/site.ini", ini);
    for (const auto& file : files) PublishPage(folder + "/" + file.first, file.second);
    params.insert(params.begin(), {{"LogEvents", "Y"}, {"IniFile", "site.ini"}});
    std::string page = PublishPage(folder + "/index.htm", ControlPage(params));
    DWORD start = GetTickCount();
    HostRun run = version.empty() ? RunHost({page}) : RunHostUnder(version, {page});
    seconds_ = (GetTickCount() - start) / 1000.0;
    EXPECT_TRUE(run.finished);
    lines_ = LogLinesWithoutStamps(ReadOnlyEventLog());
    starts_.clear();
    stubLines_ = ReadLines(stubLog_);
    for (const std::string& line : stubLines_) {
      size_t at = line.find(" start ");
      if (at != std::string::npos) starts_.push_back(line.substr(at + 7));
    }
    return run;
  }

  // Ends the stand-ins of the last case that are still running (those
  // without a window stay a few seconds), which hold their program files.
  void EndStandIns() {
    if (!stubLog_.empty()) EndStandInsOf(stubLog_);
  }

  std::string stubLog_;
  std::vector<std::string> lines_;
  std::vector<std::string> starts_;  // "kind=... mode=... cmd=... cwd=..."
  std::vector<std::string> stubLines_;
  double seconds_ = 0;
};

// What each kind of entry is started with, where, and in which order its
// switches come.
TEST_F(SessionLaunchTest, CommandLinesByModeKindAndSave) {
  const std::string dl = DownloadFolder();
  const std::string install = TestEnvDir() + "\\launch-install";
  const std::string desktopIni = "[Kestrava]\r\nDesktopMode=desk.ini\r\n";
  const std::string deskFile = "[KVSetup]\r\nDestinationDir=" + install + "\r\n";
  const char kSavedKey[] = "Software\\MARROCK\\Kestrava\\Mainframe Display S1";
  const Params example = {{"Sessions", "MD_S1,AP_SX"}, {"MD_S1", "tso.zmd"},
                          {"MD_S1_HostAddress", "10.1.1.5"}, {"MD_S1_Port", "23"},
                          {"MD_S1_Save", "Y"}, {"AP_SX", "prt1"}, {"AP_SX_Var2", "a b"}};
  const struct {
    const char* what;
    bool desktop;
    bool savedConfig;
    Params params;
    std::vector<std::string> starts;
    std::vector<std::string> lines = {};  // logged, besides the start lines
  } cases[] = {
      {"web display", false, false,
       {{"Sessions", "MD_S1"}, {"MD_S1", "tso.zmd"}, {"MD_S1_HostAddress", "10.1.1.5"}},
       {"kind=KVMD mode=web cmd=" + dl + "\\KVMD.PRO /s1 /f\"tso.zmd\" /H10.1.1.5 /qy3270D /u1 /@ cwd=" + dl}},
      {"web printer", false, false, {{"Sessions", "MP_S2"}, {"MP_S2", "prt"}},
       {"kind=KVMP mode=web cmd=" + dl + "\\KVMP.PRO /s2 /fprt /qy3270P /u1 /@ cwd=" + dl}},
      {"web example", false, false, example,
       {"kind=KVMD mode=web cmd=" + dl +
            "\\KVMD.PRO /s1 /f\"tso.zmd\" /H10.1.1.5 /O23 /qy3270D /u2 /@ cwd=" + dl,
        "kind=KVAP mode=web cmd=" + dl + "\\KVAP.PRO /fprt1 /2\"a b\" /qy5250P /u1 /@ cwd=" + dl}},
      {"desktop example", true, false, example,
       {"kind=KVMD mode=desktop cmd=" + install +
            "\\KVMD.EXE /s1 /f\"tso.zmd\" /H10.1.1.5 /O23 /u2 /@ cwd=" + install,
        "kind=KVAP mode=desktop cmd=" + install + "\\KVAP.EXE /fprt1 /2\"a b\" /u1 /@ cwd=" + install}},
      {"FTP and VT instances", false, false,
       {{"Sessions", "FTP_S3,VT_S2"}, {"FTP_S3", "f.zft"}, {"VT_S2", "vt.zvt"}},
       {"kind=KVFTP mode=web cmd=" + dl + "\\KVFTP.PRO /s3 /f\"f.zft\" /qyFTP /u1 /@ cwd=" + dl,
        "kind=KVVT mode=web cmd=" + dl + "\\KVVT.PRO /s2 /f\"vt.zvt\" /qyVT /u1 /@ cwd=" + dl},
       {"VT_S2: Embed Mode is Disabled", "VT_S2: Save=No"}},
      {"desktop, saved configuration", true, true,
       {{"Sessions", "MD_S1"}, {"MD_S1", "tso.zmd"}, {"MD_S1_Save", "Y"}},
       {"kind=KVMD mode=desktop cmd=" + install + "\\KVMD.EXE /s1 /f\"tso.zmd\" /u0 /@ cwd=" + install}},
      {"desktop printer", true, false, {{"Sessions", "AP_S3"}, {"AP_S3", "prt"}},
       {"kind=KVAP mode=desktop cmd=" + install + "\\KVAP.EXE /s3 /fprt /u1 /@ cwd=" + install}},
      {"desktop, nothing saved", true, false,
       {{"Sessions", "MD_S1"}, {"MD_S1", "tso.zmd"}, {"MD_S1_Save", "y"}},
       {"kind=KVMD mode=desktop cmd=" + install + "\\KVMD.EXE /s1 /f\"tso.zmd\" /u2 /@ cwd=" + install}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    if (c.savedConfig) {
      HKEY key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSavedKey, 0, nullptr, 0,
                                               KEY_READ, nullptr, &key, nullptr));
      RegCloseKey(key);
    }
    // Each program the entries start, delivered by its kind's list.
    Files files = {{"desk.ini", deskFile}};
    Params params = c.params;
    for (const std::string& start : c.starts) {
      const std::string kind = start.substr(5, start.find(' ') - 5);  // "KVMD"
      const std::string program = kind + (c.desktop ? ".EXE" : ".PRO");
      const std::string letters = kind.substr(2);  // "MD", "FTP"
      std::string list = letters + ".lst";
      for (char& ch : list) ch = (char)tolower((unsigned char)ch);
      files.push_back({list, program + ",1\r\n"});
      files.push_back({program, Program(program.c_str())});
      params.insert(params.begin(), {letters + "_DistFile", list});
    }
    HostRun run = Deploy("commands", c.desktop ? desktopIni : "[Kestrava]\r\n", files, params);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(c.starts, starts_);
    EXPECT_TRUE(HasLine(lines_, "Launching Sessions..."));
    for (const std::string& line : c.lines) EXPECT_TRUE(HasLine(lines_, line)) << line;
    // In front: its window has the focus.
    EXPECT_TRUE(std::any_of(stubLines_.begin(), stubLines_.end(), [](const std::string& line) {
      return line.find(" message SETFOCUS ") != std::string::npos;
    }));
  }
  DeleteRegTree(HKEY_CURRENT_USER, kSavedKey);
}

// The publisher check runs once per kind: a passed check sets the kind's
// flag and the kind's next entry is not checked, a set flag skips it, and a
// program that fails it or cannot start is reported and not run; the next
// entry still follows.
TEST_F(SessionLaunchTest, ChecksAndFailures) {
  const std::string path = DownloadFolder() + "\\KVMD.PRO";
  const std::string security = "Web-to-Host Control\tSecurity error 800B0100 launching session " +
                               path + ":\\r\\nNo Signature found in file.\\r\\n\t0x10030\tworker";
  const std::string failed =
      "Program Launch Error\tFailed to launch session ... Error Code 2.\t0x10030\tui";
  const struct {
    const char* what;
    const char* programFolder;  // null: no program listed
    bool alreadyVerified;
    std::vector<std::string> boxes;
    const char* flagAfter;  // the stored byte
  } cases[] = {
      {"signed, checked once", "programs", false, {}, "\1"},
      {"unsigned and current, flag already set", "unsigned", true, {}, "\1"},
      {"unsigned, checked each time", "unsigned", false, {security, security}, "\0"},
      {"missing, flag already set", nullptr, true, {failed, failed}, "\1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Files files = {{"vt.lst", "KVVT.PRO,1\r\n"}, {"KVVT.PRO", Program("KVVT.PRO")}};
    if (c.alreadyVerified) {
      // A download of the kind would clear the flag: the program is current.
      StoreFlag("KvmdVerified", 1);
      if (c.programFolder) {
        ASSERT_TRUE(WriteFileBytes(path, Program("KVMD.PRO", c.programFolder)));
        StoreVersion("KVMD.PRO", 1);
      }
    }
    if (c.programFolder) {
      files.push_back({"md.lst", "KVMD.PRO,1\r\n"});
      files.push_back({"KVMD.PRO", Program("KVMD.PRO", c.programFolder)});
    } else {
      files.push_back({"md.lst", ""});
    }
    HostRun run = Deploy("checks", "[Kestrava]\r\n", files,
                         {{"MD_DistFile", "md.lst"}, {"VT_DistFile", "vt.lst"},
                          {"Sessions", "MD_S1,MD_S2,VT_S1"}, {"MD_S1", "a"}, {"MD_S2", "b"},
                          {"VT_S1", "v"}});
    EXPECT_EQ(c.boxes, run.boxes);
    EXPECT_EQ(c.boxes.empty() ? 3u : 1u, starts_.size());
    EXPECT_EQ(std::string(1, c.flagAfter[0]),
              RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified"));
    EXPECT_EQ(std::string(1, '\1'), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvvtVerified"));
  }
}

// Entries that cannot be started are reported, not passed on cut or empty.
TEST_F(SessionLaunchTest, UnlaunchableEntriesAreReported) {
  const std::string long63(63, 'd');
  Params tooLong = {{"MD_DistFile", "md.lst"}, {"Sessions", "MD_S1"}, {"MD_S1", "c"}};
  for (int n = 1; n <= 4; ++n) tooLong.push_back({"MD_S1_Var" + std::to_string(n), long63});
  const struct {
    const char* what;
    Params params;
    std::string box;
  } cases[] = {
      {"longer than 259", tooLong,
       "Program Launch Error\tFailed to launch session ... The command line is longer than 259 "
       "characters.\t0x10030\tui"},
      {"no session program", {{"MD_DistFile", "md.lst"}, {"Sessions", "ZZ_S1"}, {"ZZ_S1", "c"}},
       "Program Launch Error\tFailed to launch session ... The session names no session "
       "program.\t0x10030\tui"},
      {"kind letters in lower case", {{"MD_DistFile", "md.lst"}, {"Sessions", "md_s1"}, {"md_s1", "c"}},
       "Program Launch Error\tFailed to launch session ... The session names no session "
       "program.\t0x10030\tui"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    HostRun run = Deploy("unlaunchable", "[Kestrava]\r\n",
                         {{"md.lst", "KVMD.PRO,1\r\n"}, {"KVMD.PRO", Program("KVMD.PRO")}},
                         c.params);
    EXPECT_EQ(std::vector<std::string>{c.box}, run.boxes);
    EXPECT_TRUE(starts_.empty());
  }
}

// The wait for a new session's window: every kind is found at once; a
// session without a window is waited for at most ten seconds; a line
// without an instance switch, and NT 4, are not waited for.
TEST_F(SessionLaunchTest, ForegroundWaitFindsEveryKindAndIsBounded) {
  const struct {
    const char* what;
    const char* list;
    const char* program;
    Params sessions;
    bool noWindow;
    const char* version;
    double atLeast, below;
  } cases[] = {
      {"FTP found", "ftp.lst", "KVFTP.PRO", {{"Sessions", "FTP_S3"}, {"FTP_S3", "f"}}, false, "", 0, 7},
      {"web VT found", "vt.lst", "KVVT.PRO", {{"Sessions", "VT_S2"}, {"VT_S2", "v"}}, false, "", 0, 7},
      {"no window: bounded", "vt.lst", "KVVT.PRO", {{"Sessions", "VT_S2"}, {"VT_S2", "v"}}, true, "", 10, 20},
      {"no instance switch", "vt.lst", "KVVT.PRO", {{"Sessions", "VT_SX"}, {"VT_SX", "v"}}, true, "", 0, 7},
      {"NT 4", "vt.lst", "KVVT.PRO", {{"Sessions", "VT_S2"}, {"VT_S2", "v"}}, true, "nt40", 0, 7},
      {"98", "vt.lst", "KVVT.PRO", {{"Sessions", "VT_S2"}, {"VT_S2", "v"}}, true, "win98", 0, 7},
      {"2000: bounded", "vt.lst", "KVVT.PRO", {{"Sessions", "VT_S2"}, {"VT_S2", "v"}}, true, "win2k", 10, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    if (c.noWindow) SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", "1");
    Params params = c.sessions;
    params.insert(params.begin(), {std::string(c.list).substr(0, 2) == "ft" ? "FTP_DistFile"
                                                                            : "VT_DistFile",
                                   c.list});
    HostRun run;
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (attempt) SetUpKeepingSettings();
      run = Deploy("foreground", "[Kestrava]\r\n",
                   {{c.list, std::string(c.program) + ",1\r\n"}, {c.program, Program(c.program)}},
                   params, c.version);
      // Wine's loader now and then fails to start a new process (it cannot
      // reserve its address ranges) and CreateProcess gives 1359; that is
      // the test machine, not the launcher, so the case runs once more.
      if (run.boxes.size() != 1 || run.boxes[0].find("Error Code 1359.") == std::string::npos) break;
      fprintf(stderr, "%s: Wine failed to start the process; once more\n", c.what);
    }
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(1u, starts_.size());
    EXPECT_LE(c.atLeast, seconds_);
    EXPECT_GT(c.below, seconds_);
  }
}

}  // namespace
