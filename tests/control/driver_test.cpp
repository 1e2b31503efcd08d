// The deployment driver, page parameters and event log, through the real
// control loaded by the test container from pages of the test web server.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

class DriverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override { DeleteEventLogs(); }

  // Publishes a page with these PARAMs and loads it in a fresh host.
  HostRun Deploy(const std::string& name, const Params& params) {
    std::string url = PublishPage(name, ControlPage(params));
    HostRun run = RunHost({url});
    EXPECT_TRUE(run.finished);
    return run;
  }
};

// The index of the first trace line that starts with prefix, from start on.
size_t TraceIndex(const std::vector<std::string>& trace, const std::string& prefix,
                  size_t start = 0) {
  for (size_t i = start; i < trace.size(); ++i) {
    if (trace[i].compare(0, prefix.size(), prefix) == 0) return i;
  }
  return trace.size();
}

TEST_F(DriverTest, TheContainerSitesLoadsActivatesAndPaintsTheRealControl) {
  HostRun run = Deploy("hosted.htm", {{"LocalLaunch", "Y"}});
  EXPECT_EQ(0u, run.exitCode);
  const std::vector<std::string>& t = run.trace;
  // In the order a browser drives a control, each step succeeding.
  std::vector<std::string> steps = {
      "create hr=0x00000000",
      "safety supported=0x3 enabled=0x2 set hr=0x00000000",
      "miscstatus 0x00020191",
      "setclientsite hr=0x00000000",
      "site GetMoniker",
      "load hr=0x00000000",
      "doverb hr=0x00000000",
      "draw hr=0x00000000",
      "leave setclientsite(null) hr=0x00000000",
      "close hr=0x00000000",
  };
  size_t at = 0;
  for (const std::string& step : steps) {
    size_t found = TraceIndex(t, step, at);
    ASSERT_LT(found, t.size()) << "missing or out of order: " << step;
    at = found + 1;
  }
  // The control gave its site back.
  EXPECT_LT(TraceIndex(t, "site refs=1"), t.size());
}

TEST_F(DriverTest, MissingIniFileShowsOneBoxAndEndsTheLog) {
  HostRun run = Deploy("noini.htm", {{"LogEvents", "Y"}});
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(
      "Web-to-Host Control - Cache Error\tOBJECT Tag missing PARAM reference to Kestrava "
      "Initialization File.\t0x10030\tui",
      run.boxes[0]);
  std::string log = ReadOnlyEventLog();
  std::vector<std::string> lines = LogLinesWithoutStamps(log);
  EXPECT_TRUE(Contains(lines, "Local Launch is Disabled"));
  EXPECT_TRUE(Contains(lines, "OBJECT Tag missing PARAM reference to Kestrava Initialization File."));
  EXPECT_EQ(std::string::npos, log.find("Server URL"));
  // The closing banner is the log's last entry.
  std::regex ended("\r\nWevelink\\.Ocx v3,2,1,296 Event Log Ended \\d\\d/\\d\\d/\\d{4} at "
                   "\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\r\n$");
  EXPECT_TRUE(std::regex_search(log, ended)) << log;
}

TEST_F(DriverTest, LocalLaunchSkipsTheServerAndNeedsNoIniFile) {
  HostRun run = Deploy("local.htm", {{"LogEvents", "Y"}, {"LocalLaunch", "Yes"}});
  EXPECT_TRUE(run.boxes.empty());
  std::string log = ReadOnlyEventLog();
  std::vector<std::string> lines = LogLinesWithoutStamps(log);
  EXPECT_TRUE(Contains(lines, "Local Launch is Enabled"));
  EXPECT_EQ(std::string::npos, log.find("IniFile="));
  EXPECT_EQ(std::string::npos, log.find("Maximum connections"));
  EXPECT_EQ(std::string::npos, log.find("connection to internet"));
}

TEST_F(DriverTest, LogFileNameBannerAndTimeStampFormats) {
  Deploy("format.htm", {{"LogEvents", "y"}, {"LocalLaunch", "Y"}});
  std::vector<std::string> files = EventLogFiles();
  ASSERT_EQ(1u, files.size());
  std::string name = files[0].substr(files[0].find_last_of('\\') + 1);
  EXPECT_TRUE(std::regex_match(name, std::regex("EventLog_\\d\\d_\\d\\d_\\d{4}_\\d\\d_\\d\\d_\\d\\d\\.Txt")))
      << name;
  std::string log = ReadOnlyEventLog();
  EXPECT_TRUE(std::regex_search(log, std::regex("^Wevelink\\.Ocx v3,2,1,296 Event Log Started "
                                                "\\d\\d/\\d\\d/\\d{4} at \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\r\n\r\n")))
      << log;
  // Every entry between the banners carries a time stamp.
  std::regex stamped("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} .*");
  size_t start = log.find("\r\n\r\n") + 4, end = log.rfind("\r\n\r\n");
  ASSERT_LT(start, end);
  std::string body = log.substr(start, end - start);
  size_t entries = 0;
  for (size_t at = 0; at < body.size();) {
    size_t eol = body.find("\r\n", at);
    std::string line = body.substr(at, eol - at);
    EXPECT_TRUE(std::regex_match(line, stamped)) << line;
    ++entries;
    at = eol == std::string::npos ? body.size() : eol + 2;
  }
  EXPECT_GE(entries, 2u);
}

TEST_F(DriverTest, LogEventsValues) {
  struct Row {
    const char* value;  // null: absent
    bool logs;
  } rows[] = {{"yes", true}, {"Y", true}, {"No", false}, {"1", false}, {nullptr, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value ? row.value : "(absent)");
    DeleteEventLogs();
    Params params = {{"LocalLaunch", "Y"}};
    if (row.value) params.push_back({"LogEvents", row.value});
    Deploy("logevents.htm", params);
    EXPECT_EQ(row.logs ? 1u : 0u, EventLogFiles().size());
  }
}

TEST_F(DriverTest, TwoPagesInOneProcessShareOneLog) {
  std::string first = PublishPage("two1.htm", ControlPage({{"LogEvents", "Y"}, {"LocalLaunch", "Y"}}));
  std::string second = PublishPage("two2.htm", ControlPage({{"LogEvents", "Y"}, {"LocalLaunch", "Y"}}));
  HostRun run = RunHost({first, second});
  EXPECT_EQ(0u, run.exitCode);
  std::string log = ReadOnlyEventLog();
  EXPECT_EQ(1u, CountOf(log, "Event Log Started"));
  EXPECT_EQ(2u, CountOf(log, "Local Launch is Enabled"));
  // Two pages, each sited and unsited: the site flag alternates.
  EXPECT_EQ(2u, CountOf(log, "Entering OnSetClientSite( ) 0..."));
}

TEST_F(DriverTest, APageWithoutLogEventsClosesTheOpenLog) {
  std::string first = PublishPage("on.htm", ControlPage({{"LogEvents", "Y"}, {"LocalLaunch", "Y"}}));
  std::string second = PublishPage("off.htm", ControlPage({{"LocalLaunch", "Y"}}));
  RunHost({first, second});
  std::string log = ReadOnlyEventLog();
  EXPECT_EQ(1u, CountOf(log, "Local Launch is Enabled"));
  EXPECT_EQ(1u, CountOf(log, "Event Log Ended"));
}

TEST_F(DriverTest, ClientSiteAndPageAddressAreLogged) {
  // The first page opens the log; the second shows its siting in the log.
  std::string first = PublishPage("first.htm", ControlPage({{"LogEvents", "Y"}, {"LocalLaunch", "Y"}}));
  std::string second =
      PublishPage("app/index.htm", ControlPage({{"LogEvents", "Y"}, {"IniFile", "sub/c.ini"}}));
  RunHost({first, second});
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(Contains(lines, "Found Client Site"));
  EXPECT_TRUE(Contains(lines, "Found Moniker"));
  EXPECT_TRUE(Contains(lines, "Found Display Name: " + second));
  EXPECT_TRUE(Contains(lines, "IniFile=sub/c.ini"));
  EXPECT_TRUE(Contains(lines, "Server URL is " + BaseUrl() + "/app on Port " +
                                  std::to_string(HttpPort())));
  // The second control was sited before its properties were loaded.
  auto sited = std::find(lines.begin(), lines.end(), "Entering OnSetClientSite( ) 1...");
  ASSERT_NE(lines.end(), sited);
  EXPECT_EQ("... (2) Leaving OnSetClientSite( ) 1", *(sited + 1));
  auto found = std::find(sited, lines.end(), "Found Client Site");
  EXPECT_NE(lines.end(), found);
  auto address = std::find(lines.begin(), lines.end(), "Found Display Name: " + first);
  EXPECT_LT(address, sited);
}

TEST_F(DriverTest, AbsoluteIniFileIgnoresThePageFolder) {
  std::string ini = "http://other.test:8080/cfg/site.ini?v=2";
  Deploy("abs.htm", {{"LogEvents", "Y"}, {"IniFile", ini}});
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(Contains(lines, "Server URL is http://other.test:8080/cfg on Port 8080"));
}

TEST_F(DriverTest, ParameterCapacities) {
  struct Row {
    const char* name;
    size_t capacity;
  } rows[] = {{"LogEvents", 16}, {"CacheRetries", 16}, {"MaxConnsPerServer", 16},
              {"MaxConnsPer10Server", 16}, {"IniFile", 260}, {"Sessions", 64}};
  for (const Row& row : rows) {
    for (size_t length : {row.capacity - 1, row.capacity}) {
      SCOPED_TRACE(std::string(row.name) + " " + std::to_string(length));
      DeleteEventLogs();
      // Digits for the numbers, a name for the rest; "Y" first keeps the log on.
      std::string value = std::string(row.name) == "LogEvents" ? "Y" + std::string(length - 1, 'e')
                          : std::string(row.name).find("Max") == 0 ||
                                  std::string(row.name) == "CacheRetries"
                              ? std::string(length, '0')
                              : std::string(length, 'x');
      Params params = {{"LogEvents", "Y"}, {"IniFile", "site.ini"}};
      bool replaced = false;
      for (auto& param : params) {
        if (param.first == row.name) param.second = value, replaced = true;
      }
      if (!replaced) params.push_back({row.name, value});
      HostRun run = Deploy("cap.htm", params);
      bool fits = length < row.capacity;
      std::string box = "Web-to-Host Control\tBuffer Overrun Check Failure: " +
                        std::string(row.name) + " ... operation aborted.\t0x10030\tui";
      EXPECT_EQ(fits ? 0u : 1u, (size_t)std::count(run.boxes.begin(), run.boxes.end(), box));
      if (!fits && std::string(row.name) != "LogEvents") {
        // The deployment ended at once and closed its log.
        std::string log = ReadOnlyEventLog();
        EXPECT_NE(std::string::npos, log.find("Buffer Overrun Check Failure: " +
                                              std::string(row.name) + " ... operation aborted."));
        EXPECT_NE(std::string::npos, log.find("Event Log Ended"));
        EXPECT_EQ(std::string::npos, log.find("Sessions: "));
      }
    }
  }
}

TEST_F(DriverTest, ConnectionLimitsAreWrittenAsFourBinaryBytes) {
  Deploy("conns.htm", {{"LogEvents", "Y"}, {"IniFile", "site.ini"}, {"MaxConnsPer10Server", "many"}});
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kInternetSettings, "MaxConnectionsPerServer", &type, &bytes));
  EXPECT_EQ((DWORD)REG_BINARY, type);
  EXPECT_EQ(std::string("\x02\x00\x00\x00", 4), bytes);
  ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kInternetSettings, "MaxConnectionsPer1_0Server", &type, &bytes));
  EXPECT_EQ(std::string(4, '\0'), bytes);  // a word is the number 0
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(Contains(lines, "Maximum connections per server is 2"));
  EXPECT_TRUE(Contains(lines, "Maximum connections per HTTP1.0 server is 0"));

  Deploy("conns2.htm", {{"IniFile", "site.ini"}, {"MaxConnsPerServer", "300"}});
  ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kInternetSettings, "MaxConnectionsPerServer", &type, &bytes));
  EXPECT_EQ(std::string("\x2C\x01\x00\x00", 4), bytes);
}

TEST_F(DriverTest, CodeBaseSearchPathIsMovedAside) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInternetSettings, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const char path[] = "http://codebase.test/cab";
  RegDeleteValueA(key, "XCodeBaseSearchPath");
  RegSetValueExA(key, "CodeBaseSearchPath", 0, REG_SZ, (const BYTE*)path, sizeof path);
  RegCloseKey(key);

  Deploy("codebase.htm", {{"LocalLaunch", "Y"}});
  std::string value;
  EXPECT_FALSE(ReadRegString(HKEY_LOCAL_MACHINE, kInternetSettings, "CodeBaseSearchPath", &value));
  ASSERT_TRUE(ReadRegString(HKEY_LOCAL_MACHINE, kInternetSettings, "XCodeBaseSearchPath", &value));
  EXPECT_EQ(path, value);

  // Without a search path the moved one is left as it was.
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInternetSettings, 0, KEY_ALL_ACCESS, &key));
  const char older[] = "kept";
  RegSetValueExA(key, "XCodeBaseSearchPath", 0, REG_SZ, (const BYTE*)older, sizeof older);
  RegCloseKey(key);
  Deploy("codebase2.htm", {{"LocalLaunch", "Y"}});
  ASSERT_TRUE(ReadRegString(HKEY_LOCAL_MACHINE, kInternetSettings, "XCodeBaseSearchPath", &value));
  EXPECT_EQ("kept", value);
}

TEST_F(DriverTest, SessionsAreLoggedAndTheLogStaysOpenAfterASuccessfulDeployment) {
  Deploy("sessions.htm", {{"LogEvents", "Y"}, {"LocalLaunch", "Y"}, {"Sessions", "MD_S1,VT_S2"},
                          {"MD_S1", "c"}});
  std::string log = ReadOnlyEventLog();
  std::vector<std::string> lines = LogLinesWithoutStamps(log);
  EXPECT_TRUE(Contains(lines, "Sessions: MD_S1,VT_S2"));
  // A local launch builds and launches the list too (the program is not
  // on this workstation, so its start is refused after this line).
  EXPECT_TRUE(Contains(lines, "MD_S1=c"));
  EXPECT_TRUE(Contains(lines, DownloadFolder() + "\\KVMD.PRO /s1 /f\"c\" /qy3270D /u1 /@"));
  // Closed only by the module's exit when the host quits: the banner comes
  // after the site was taken away.
  EXPECT_LT(log.find("Entering OnSetClientSite( ) 0..."), log.find("Event Log Ended"));
}

}  // namespace
