// The session list built from a page through the real control in the test
// container: what it logs, which parameters it reads (the container's
// trace), the length checks and the cookie, good or bad.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "cookie_maker.h"
#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

// Whether the control asked the property bag for name.
bool WasRead(const HostRun& run, const std::string& name) {
  const std::string prefix = "bag Read " + name + " ";
  return std::any_of(run.trace.begin(), run.trace.end(),
                     [&](const std::string& line) { return line.compare(0, prefix.size(), prefix) == 0; });
}

class SessionListPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override {
    DeleteEventLogs();
    SetServerRules("");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\MARROCK");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\MARROCK");
  }

  HostRun Deploy(const std::string& folder, const std::string& ini, Params params) {
    PublishPage(folder + "/site.ini", ini);
    params.insert(params.begin(), {{"LogEvents", "Y"}, {"IniFile", "site.ini"}});
    HostRun run = RunHost({PublishPage(folder + "/index.htm", ControlPage(params))});
    EXPECT_TRUE(run.finished);
    // No session program is on this site: the launcher's publisher checks
    // refuse each entry, which the launcher's own test covers.
    run.boxes.erase(std::remove_if(run.boxes.begin(), run.boxes.end(),
                                   [](const std::string& box) {
                                     return box.find("\tSecurity error ") != std::string::npos;
                                   }),
                    run.boxes.end());
    lines_ = LogLinesWithoutStamps(ReadOnlyEventLog());
    return run;
  }
  std::vector<std::string> lines_;
};

TEST_F(SessionListPageTest, WorkedExampleInBothModes) {
  const Params example = {{"Sessions", "MD_S1,AP_SX,MD_S2"}, {"MD_S1", "tso.zmd"},
                          {"MD_S1_HostAddress", "10.1.1.5"}, {"MD_S1_Port", "23"},
                          {"MD_S1_Save", "Y"}, {"AP_SX", "prt1"}, {"AP_SX_Var2", "a b"},
                          {"MD_S2_HostAddress", "never read"}};
  for (const char* ini : {"[Kestrava]\r\n", "[Kestrava]\r\nDesktopMode=desk.ini\r\n"}) {
    SCOPED_TRACE(ini);
    SetUp();
    PublishPage("example/desk.ini", "[KVSetup]\r\nDestinationDir=" + TestEnvDir() + "\\example-install\r\n");
    HostRun run = Deploy("example", ini, example);
    EXPECT_TRUE(run.boxes.empty());
    auto at = lines_.begin();
    for (const char* line : {"Sessions: MD_S1,AP_SX,MD_S2", "MD_S1=tso.zmd",
                             "MD_S1: Embed Mode is Disabled", "MD_S1: Save=Yes", "AP_SX=prt1",
                             "AP_SX: Embed Mode is Disabled", "AP_SX: Save=No",
                             "Closed connection to internet."}) {
      auto found = std::find(at, lines_.end(), line);
      EXPECT_NE(lines_.end(), found) << "missing or out of order: " << line;
      if (found != lines_.end()) at = found;
    }
    EXPECT_TRUE(WasRead(run, "AP_SX_Var9"));
    EXPECT_FALSE(WasRead(run, "AP_SX_Var0"));
    EXPECT_FALSE(WasRead(run, "AP_SX_Var10"));
    EXPECT_TRUE(WasRead(run, "MD_S2"));
    EXPECT_FALSE(WasRead(run, "MD_S2_HostAddress"));
  }
}

// A container that loads the PARAMs before it sets the client site: a page
// that asks for the session in the page has no window to put it in.
TEST_F(SessionListPageTest, EmbeddingWithoutAClientSiteIsDisabled) {
  std::string page = PublishPage(
      "unsited/index.htm",
      ControlPage({{"LogEvents", "Y"}, {"LocalLaunch", "Y"}, {"Sessions", "MD_S1"},
                   {"MD_S1", "c"}, {"MD_S1_RunInBrowser", "F"}}));
  HostRun run = RunHost({page}, "--site-after-load");
  EXPECT_TRUE(run.finished);
  lines_ = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(HasLine(lines_, "MD_S1: Embed Mode is Disabled"));
  EXPECT_FALSE(HasLine(lines_, "MD_S1: Embed Mode is Enabled - Full Screen"));
}

TEST_F(SessionListPageTest, PortOfSixteenCharactersCancels) {
  const struct {
    size_t length;
    bool cancels;
  } cases[] = {{15, false}, {16, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    SetUp();
    HostRun run = Deploy("port", "[Kestrava]\r\n",
                         {{"Sessions", "MD_S1,VT_S1"}, {"MD_S1", "c"},
                          {"MD_S1_Port", std::string(c.length, '2')}, {"VT_S1", "v"}});
    EXPECT_EQ(c.cancels, HasLine(lines_, "Canceled by user request."));
    EXPECT_EQ(!c.cancels, WasRead(run, "VT_S1"));
    EXPECT_EQ(c.cancels ? 1u : 0u, run.boxes.size());
    if (c.cancels && !run.boxes.empty()) {
      EXPECT_NE(std::string::npos, run.boxes[0].find("Buffer Overrun Check Failure: MD_S1_Port"));
    }
  }
}

TEST_F(SessionListPageTest, CookieIsFetchedAndABadOneShown) {
  const std::string good = "path=/; " + MakeCookie("alice", "s3cret", "ticket") + "; x=1";
  const struct {
    const char* what;
    std::string response;
    const char* rule;
    std::vector<std::string> boxes;
    const char* switches;  // in the launcher's command line
  } cases[] = {
      {"good cookie", good, "", {}, " /ialice /js3cret /kticket"},
      {"bad cookie", "Set-Cookie text without the cookie", "",
       {"Blockade API Error\tblk_ParseCookie( ) returned error code 504.\t0x10030\tui"},
       nullptr},
      {"cannot be fetched", "", "/cookie/sso/ticket.asp status=404\n",
       {"Web-to-Host Control - Cache Error\tError 404 caching \"" + BaseUrl() +
        "/cookie/sso/ticket.asp\" from server.\t0x10030\tui"},
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    SetServerRules(c.rule);
    PublishPage("cookie/sso/ticket.asp", c.response);
    HostRun run = Deploy("cookie", "[Kestrava]\r\n",
                         {{"Sessions", "MD_S1"}, {"MD_S1", "c"}, {"MD_S1_Blk", "sso/ticket.asp"}});
    EXPECT_FALSE(ServerLogFor("/cookie/sso/ticket.asp").empty());
    EXPECT_EQ(c.boxes, run.boxes);
    EXPECT_TRUE(HasLine(lines_, "MD_S1: Save=No"));
    // The launcher logs each command line before its publisher check.
    const std::string line = DownloadFolder() + "\\KVMD.PRO /s1 /f\"c\"" +
                             (c.switches ? c.switches : "") + " /qy3270D /u1 /@";
    EXPECT_TRUE(HasLine(lines_, line)) << line;
  }
}

}  // namespace
