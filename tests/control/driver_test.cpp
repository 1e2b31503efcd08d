// The deployment driver through the real control in the test container: a browser's handshake
// and one event log per process (parameter limits and refusals are scenario-table rows).
#include <windows.h>

#include <gtest/gtest.h>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class DriverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override { DeleteEventLogs(); }
};

HostRun Load(const std::string& name, const Pairs& params) {
  HostRun run = RunHost({PublishPage(name, ControlPage(params))});
  EXPECT_TRUE(run.finished);
  return run;
}

size_t TraceIndex(const std::vector<std::string>& trace, const std::string& prefix,
                  size_t start = 0) {
  for (size_t i = start; i < trace.size(); ++i) {
    if (trace[i].compare(0, prefix.size(), prefix) == 0) return i;
  }
  return trace.size();
}

TEST_F(DriverTest, TheContainerSitesLoadsActivatesAndPaintsTheRealControl) {
  HostRun run = Load("hosted.htm", {{"LocalLaunch", "Y"}});
  EXPECT_EQ(0u, run.exitCode);
  const std::vector<std::string>& t = run.trace;
  // In the order a browser drives a control, each step succeeding.
  std::vector<std::string> steps = {
      "safety supported=0x3 enabled=0x2 set hr=0x00000000",
      "miscstatus 0x00020191",
      "setclientsite hr=0x00000000",
      "load hr=0x00000000",
      "doverb hr=0x00000000",
      "draw hr=0x00000000",
      "close hr=0x00000000",
      "leave setclientsite(null) hr=0x00000000",
  };
  size_t at = 0;
  for (const std::string& step : steps) {
    size_t found = TraceIndex(t, step, at);
    ASSERT_LT(found, t.size()) << "missing or out of order: " << step;
    at = found + 1;
  }
}

TEST_F(DriverTest, MissingIniFileShowsOneBoxAndEndsTheLog) {
  // An OBJECT without PARAMs: the browser calls InitNew instead of Load.
  HostRun bare = Load("noparams.htm", {});
  HostRun run = Load("noini.htm", {{"LogEvents", "Y"}});
  for (const HostRun* each : {&bare, &run}) {
    ASSERT_EQ(1u, each->boxes.size());
    EXPECT_EQ(
        "Web-to-Host Control - Cache Error\tOBJECT Tag missing PARAM reference to Kestrava "
        "Initialization File.\t0x10030\tui",
        each->boxes[0]);
  }
  std::string log = ReadOnlyEventLog();
  std::vector<std::string> lines = LogLinesWithoutStamps(log);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(std::string::npos, lines.back().find("Event Log Ended")) << log;
}

// One log a process: a second page writes on ("y" counts as "Y"), one without LogEvents closes it.
TEST_F(DriverTest, OneLogPerProcessUntilAPageWithoutLogEvents) {
  std::vector<std::string> pages;
  for (const char* logs : {"Y", "y", "No"}) {
    pages.push_back(PublishPage("log" + std::to_string(pages.size()) + ".htm",
                                ControlPage({{"LogEvents", logs}, {"LocalLaunch", "Y"}})));
  }
  // Each page in a later second: a log opened again would take a new name.
  HostRun run = RunHost(pages, "--stay 1100");
  EXPECT_EQ(0u, run.exitCode);
  const std::vector<std::string> log = SplitLines(ReadOnlyEventLog());
  EXPECT_EQ(1u, Count(log, "Event Log Started"));
  EXPECT_EQ(2u, Count(log, "Local Launch is Enabled"));
  EXPECT_EQ(1u, Count(log, "Event Log Ended"));
  // Two pages logged, each sited and unsited: the site flag alternates.
  EXPECT_EQ(2u, Count(log, "Entering OnSetClientSite( ) 0..."));
}

// A page left while its deployment waits for a download ends it with no box, launch or install of
// the file on its way; a window destroyed meanwhile (the page stays) gets no session embedded.
TEST_F(DriverTest, APageLeftDuringADownloadEndsItsDeploymentCleanly) {
  const struct {
    unsigned command;  // tools/host: 7 leave, 5 destroy
    const char* line;
  } rows[] = {
      {7, "The page was left during the deployment; it ends here."},
      {5, "The page was left before its sessions were launched; they are not."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    ResetDeployment();
    const std::string page = PublishDeployment(
        "leave", "[Kestrava]\r\n",
        {{"md.lst", "SLOW.TXT,2\r\n"}, {"SLOW.TXT", std::string(400000, 's')}},
        {{"MD_DistFile", "md.lst"}, {"Sessions", "MD_S1"}, {"MD_S1", "h.zmd"},
         {"MD_S1_RunInBrowser", "P"}});
    DeleteFileA((DownloadFolder() + "\\SLOW.TXT").c_str());
    SetServerRules("/leave/SLOW.TXT rate=20000\n");
    RunningHost host({page});
    auto downloading = [] {
      std::vector<std::string> logs = EventLogFiles();
      return !logs.empty() && FileContent(logs.back()).find("SLOW.TXT\r\n") != std::string::npos;
    };
    ASSERT_TRUE(WaitUntil(downloading, 30000));
    ASSERT_TRUE(host.Send(row.command));
    HostRun run = host.Finish();
    SetServerRules("");
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    const std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
    EXPECT_TRUE(HasLine(lines, row.line));
    EXPECT_FALSE(HasLine(lines, "Launching Sessions..."));
    EXPECT_EQ(row.command == 7 ? "(missing)" : std::string(400000, 's'),
              FileContent(DownloadFolder() + "\\SLOW.TXT"));
  }
}

// Two browser processes loading the example site in the same second: each writes its own log,
// fetches and reads the initialization file while the other replaces it, and starts every session.
TEST_F(DriverTest, TwoProcessesAtOnceWriteTwoLogs) {
  const std::string stubs = TestEnvDir() + "\\twice-stub.log";
  DeleteFileA(stubs.c_str());
  SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubs.c_str());
  SetServerRules("/example/site.ini rate=500\n");
  // Another process writes the log of each second of the next minute: each host needs its own.
  std::vector<HANDLE> held;
  SYSTEMTIME t;
  GetLocalTime(&t);
  ULARGE_INTEGER at;
  SystemTimeToFileTime(&t, (FILETIME*)&at);
  for (; held.size() < 60; at.QuadPart += 10000000) {
    FileTimeToSystemTime((FILETIME*)&at, &t);
    char name[64];
    snprintf(name, sizeof name, "\\EventLog_%02d_%02d_%04d_%02d_%02d_%02d.Txt", t.wMonth, t.wDay,
             t.wYear, t.wHour, t.wMinute, t.wSecond);
    held.push_back(CreateFileA((DownloadFolder() + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    EXPECT_NE(INVALID_HANDLE_VALUE, held.back()) << name;  // no early return: all are closed
  }
  RunningHost first({BaseUrl() + "/example/index.htm"});
  RunningHost second({BaseUrl() + "/example/index.htm"});
  auto started = [&] { return Count(ReadLines(stubs), " start kind=KV") == 8; };  // not setup
  EXPECT_TRUE(WaitUntil(started, 60000)) << FileContent(stubs);
  for (RunningHost* host : {&first, &second}) {
    HostRun run = host->Finish();
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
  }
  EndStandInsOf(stubs);
  SetServerRules("");
  for (HANDLE file : held) CloseHandle(file);
  ASSERT_EQ(2u, EventLogFiles().size());
  EXPECT_EQ(FileContent(TestEnvDir() + "\\www\\example\\site.ini"),
            FileContent(DownloadFolder() + "\\site.ini"));
}

TEST_F(DriverTest, CodeBaseSearchPathIsMovedAside) {
  const char path[] = "http://codebase.test/cab";
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kInternetSettings, "XCodeBaseSearchPath");
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kInternetSettings,
                                           "CodeBaseSearchPath", REG_SZ, path, sizeof path));
  Load("codebase.htm", {{"LocalLaunch", "Y"}});
  EXPECT_EQ("(none)", RegSzText(HKEY_LOCAL_MACHINE, kInternetSettings, "CodeBaseSearchPath"));
  EXPECT_EQ(path, RegSzText(HKEY_LOCAL_MACHINE, kInternetSettings, "XCodeBaseSearchPath"));

  // Without a search path the moved one is left as it was.
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kInternetSettings,
                                           "XCodeBaseSearchPath", REG_SZ, "kept", 5));
  Load("codebase2.htm", {{"LocalLaunch", "Y"}});
  EXPECT_EQ("kept", RegSzText(HKEY_LOCAL_MACHINE, kInternetSettings, "XCodeBaseSearchPath"));
}

}  // namespace
