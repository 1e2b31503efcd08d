// Pages through the real control in the container: the update pipeline
// brings the signed stand-in under a session program's name, the launcher
// starts it and the stand-in records its command line and working folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";

void Store(HKEY hive, const char* path, const char* name, const void* bytes, DWORD size) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  RegSetValueExA(key, name, 0, REG_BINARY, (const BYTE*)bytes, size);
  RegCloseKey(key);
}

class SessionLaunchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override {
    TearDown();
    DeleteEventLogs();
    SetServerRules("");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\MARROCK");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\MARROCK");
    for (const char* name : {"KVMD.PRO", "KVAP.PRO", "KVFTP.PRO", "KVVT.PRO"})
      DeleteFileA((DownloadFolder() + "\\" + name).c_str());
    DeleteFileA(stubLog_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog_.c_str());
  }
  void TearDown() override {
    EndStandInsOf(stubLog_);
    SetEnvironmentVariableA("WEVELINK_STUB_NO_WINDOW", nullptr);
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
    focused_ = false;
    for (const std::string& line : ReadLines(stubLog_)) {
      size_t at = line.find(" start ");
      if (at != std::string::npos) starts_.push_back(line.substr(at + 7));
      focused_ |= line.find(" message SETFOCUS ") != std::string::npos;
    }
    return run;
  }

  std::string stubLog_ = TestEnvDir() + "\\launch-stub.log";
  std::vector<std::string> starts_;  // "kind=... mode=... cmd=... cwd=..."
  bool focused_ = false;             // a stand-in's window got the focus
  double seconds_ = 0;
};

// What each entry is started with and where, in front: the page's list and
// its cookie reach the launcher, the mode picks program and folder, and
// Save with a saved configuration gives /u0.
TEST_F(SessionLaunchTest, CommandLinesAndFolders) {
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
    EXPECT_TRUE(focused_);
  }
}

// The publisher check runs once per kind: a passed check sets the kind's
// flag, a set flag skips it, and a program that fails it, cannot start or
// whose line does not fit is reported and not run; the next entry follows.
TEST_F(SessionLaunchTest, ChecksAndFailures) {
  const std::string path = DownloadFolder() + "\\KVMD.PRO";
  const std::string security = "Web-to-Host Control\tSecurity error ";
  const std::string launch = "Program Launch Error\tFailed to launch session ... ";
  const struct {
    const char* what;
    const char* programFolder;  // null: no program listed
    bool alreadyVerified;
    bool lineTooLong;  // the first entry's
    std::string box;   // each box starts so
    size_t boxes, starts;
    char flagAfter;
  } cases[] = {
      {"signed, checked once", "programs", false, false, "", 0, 3, '\1'},
      {"unsigned and current, flag already set", "unsigned", true, false, "", 0, 3, '\1'},
      {"unsigned", "unsigned", false, false,
       security + "800B0100 launching session " + path + ":\\r\\nNo Signature found", 2, 1, '\0'},
      {"altered", "altered", false, false, security + "80096010 launching session " + path, 2, 1,
       '\0'},
      {"missing, flag already set", nullptr, true, false, launch + "Error Code 2.\t", 2, 1, '\1'},
      {"line over 259 characters", "programs", false, true,
       launch + "The command line is longer than 259 characters.\t", 1, 2, '\1'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Params files = {{"vt.lst", "KVVT.PRO,1\r\n"}, {"KVVT.PRO", StandInProgram("KVVT.PRO")},
                    {"md.lst", c.programFolder ? "KVMD.PRO,1\r\n" : ""}};
    if (c.programFolder) files.push_back({"KVMD.PRO", StandInProgram("KVMD.PRO", c.programFolder)});
    if (c.alreadyVerified) {
      // A download of the kind would clear the flag: the program is current.
      const BYTE verified = 1;
      const DWORD version = 1;
      Store(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified", &verified, 1);
      Store(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO", &version, 4);
      if (c.programFolder) ASSERT_TRUE(WriteFileBytes(path, files.back().second));
    }
    Params params = {{"MD_DistFile", "md.lst"}, {"VT_DistFile", "vt.lst"},
                     {"Sessions", "MD_S1,MD_S2,VT_S1"}, {"MD_S1", "a"},
                     {"MD_S2", "b"}, {"VT_S1", "v"}};
    for (int n = 1; c.lineTooLong && n <= 4; ++n)
      params.push_back({"MD_S1_Var" + std::to_string(n), std::string(63, 'd')});
    HostRun run = Deploy("checks", "[Kestrava]\r\n", files, params);
    EXPECT_EQ(c.boxes, run.boxes.size());
    for (const std::string& box : run.boxes) EXPECT_EQ(0u, box.find(c.box)) << box;
    EXPECT_EQ(c.starts, starts_.size());
    EXPECT_EQ(std::string(1, c.flagAfter), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvmdVerified"));
    EXPECT_EQ("\1", RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KvvtVerified"));
  }
}

// The wait for a new session's window: found at once when it comes; a
// session without a window is waited for at most ten seconds where the
// family waits; a line without an instance, NT 4 and 98 are not waited for.
TEST_F(SessionLaunchTest, ForegroundWaitIsBoundedPerFamily) {
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

}  // namespace
