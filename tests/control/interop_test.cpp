// The example site as the build makes it from real web servers, and a site through
// proxies, which scripts/interop-env started: as from the test web server, nothing stale.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// The download folder and the folders the example site installs in.
const char* const kFolders[] = {"", "C:\\Program Files\\Example", "C:\\HostAccess",
                                "C:\\Orvena Client"};
std::string Folder(const char* folder) { return *folder ? folder : DownloadFolder(); }

std::string Interop(const std::string& name) {
  const std::string text = FileContent(TestEnvDir() + "\\..\\interop\\" + name);
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string Stubs() { return TestEnvDir() + "\\interop-stub.log"; }

// A workstation where the control never ran, its Internet Settings naming proxy HOST:PORT or none.
void Forget(const std::string& proxy = "") {
  const DWORD enable = proxy.empty() ? 0 : 1;
  RegSetKeyValueA(HKEY_CURRENT_USER, kSettings, "ProxyEnable", REG_DWORD, &enable, 4);
  RegSetKeyValueA(HKEY_CURRENT_USER, kSettings, "ProxyServer", REG_SZ, proxy.c_str(),
                  (DWORD)proxy.size() + 1);
  SetEnvironmentVariableA("WEVELINK_STUB_LOG", Stubs().c_str());
  ResetDeployment();
  for (const char* folder : kFolders) RemoveTree(Folder(folder));
  DeleteFileA((WindowsFolder() + "\\Fonts\\MARRKAPL.TTF").c_str());
  DeleteFileA(Stubs().c_str());
}

// What a load left: boxes, files (by size) in the control's folders, its keys, sessions started.
std::vector<std::string> Record(const HostRun& run) {
  std::vector<std::string> record = run.boxes;
  for (const char* folder : kFolders) {
    for (const auto& file : RecordDrive(Folder(folder))) {
      if (file.first.find("\\eventlog_") != std::string::npos) continue;
      record.push_back(file.first + " " + file.second.substr(0, file.second.find(' ')));
    }
  }
  const std::string exported = TestEnvDir() + "\\interop-reg.txt";
  for (const char* key : {"HKCU\\Software\\MARROCK", "HKLM\\Software\\MARROCK",
                          "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                          "Kestrava"}) {
    DeleteFileA(exported.c_str());
    // Now and then Wine does not start a program at all; reg itself ends with 0 or 1.
    const std::string command = "reg export \"" + std::string(key) + "\" \"" + exported + "\" /y";
    DWORD code = 2;
    for (int tries = 0; tries < 3 && code > 1; ++tries) {
      if (!RunProgram(command, 30000, &code)) code = 2;
    }
    std::string text = FileContent(exported);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    for (const std::string& line : SplitLines(text)) record.push_back(line);
  }
  for (const std::string& line : ReadLines(Stubs())) {
    if (line.find(" start ") == std::string::npos) continue;
    record.push_back(WithoutRunFolderNumber(line.substr(line.find(' '))));
  }
  return record;
}

class InteropTest : public ::testing::Test {
  void TearDown() override { Forget(); }
};

// Web mode, the same page again and desktop mode from each server, each in its own browser
// process: the same boxes, files, keys, sessions and server requests as from the test web server;
// the second load asks only for the lists.
TEST_F(InteropTest, TheExampleSiteLoadsAlikeFromEveryServer) {
  const char* const loads[] = {"index.htm", "index.htm", "desktop/index.htm"};
  const struct {
    const char* server;
    std::string base, log;
  } rows[] = {
      {"test web server", BaseUrl(), "server.log"},
      {"nginx", Interop("nginx-http"), "..\\interop\\nginx.log"},
      {"nginx https", Interop("nginx-https"), "..\\interop\\nginx.log"},
      {"apache", Interop("apache-http"), "..\\interop\\apache.log"},
      {"apache https", Interop("apache-https"), "..\\interop\\apache.log"},
  };
  std::vector<std::string> expected[3], requested[3];
  for (const auto& row : rows) {
    SCOPED_TRACE(row.server);
    Forget();
    for (size_t load = 0; load < 3; ++load) {
      SCOPED_TRACE(loads[load]);
      const std::string log = TestEnvDir() + "\\" + row.log;
      const size_t before = ReadLines(log).size();
      const HostRun run = RunHost({row.base + "/example/" + loads[load]}, "--stay 500");
      EndStandInsOf(Stubs());
      EXPECT_EQ(0u, run.exitCode) << run.output;
      EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
      const std::vector<std::string> record = Record(run);
      std::vector<std::string> requests = ReadLines(log);
      requests.erase(requests.begin(), requests.begin() + std::min(before, requests.size()));
      DeleteFileA(Stubs().c_str());
      if (expected[load].empty()) expected[load] = record;  // the test web server's
      if (requested[load].empty()) requested[load] = requests;
      EXPECT_EQ(expected[load], record);
      EXPECT_EQ(requested[load], requests);
    }
  }
  for (const std::string& request : requested[1]) {  // the page, its files, lists and cookie
    const std::string path = request.substr(0, request.find(" 200 "));
    const std::string type = path.substr(path.size() - 4);  // the components' are upper case
    EXPECT_TRUE(type == ".lst" || type == ".ini" || type == ".htm" || type == ".txt") << request;
  }
}

// The workstation's proxy: a caching squid hands a changed list and file over anew; one
// asking for credentials gets a clear message that ends the request, and nothing is installed.
TEST_F(InteropTest, ThroughAProxyNothingStaleAndNoCredentials) {
  const std::string site = Interop("nginx-http") + "/proxied";
  const std::string via = DownloadFolder() + "\\VIA.TXT";
  Forget(Interop("proxy"));
  const std::string page = WwwDir() + "\\proxied\\index.htm";
  for (const std::string version : {"1", "2"}) {
    SCOPED_TRACE(version);
    PublishSite("proxied", {{"site.ini", ""}, {"md.lst", "VIA.TXT," + version + "\r\n"},
                            {"VIA.TXT", "version " + version}},
                {{"LogEvents", "Y"}, {"IniFile", site + "/site.ini"}, {"MD_DistFile", "md.lst"}});
    // Changed days ago, each version on a day of its own: squid holds a file fresh for a fifth of
    // its age since the change, so only the control's no-cache request can bring the new one.
    EXPECT_TRUE(SetChangeTime({WwwDir() + "\\proxied\\md.lst", WwwDir() + "\\proxied\\VIA.TXT"},
                              (10 - std::stoi(version)) * 24));
    const HostRun run = RunHost({page});
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ("version " + version, FileContent(via));
  }
  Forget(Interop("proxy-auth"));
  const HostRun run = RunHost({page});
  ASSERT_LE(1u, run.boxes.size());
  EXPECT_EQ("Web-to-Host Control - Cache Error\tError 407 caching \"" + site +
                "/site.ini\" from server: the proxy server asks for credentials, which the "
                "control does not give.\t0x10030\tui",
            run.boxes[0]);
  EXPECT_EQ("(missing)", FileContent(via));
}

}  // namespace
