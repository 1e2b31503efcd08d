// The download and configuration steps of a deployment, end to end: the
// real control in the test container fetches initialization files from the
// test web server and leaves its settings in the prefix's registry and
// folders.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char kDesktopRoot[] = "Software\\MARROCK\\Kestrava";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrava";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Binary(HKEY hive, const char* key, const char* name) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValue(hive, key, name, &type, &bytes) || type != REG_BINARY) return "(none)";
  return bytes;
}

std::string Text(HKEY hive, const char* key, const char* name) {
  std::string value;
  return ReadRegString(hive, key, name, &value) ? value : "(none)";
}

class DeploymentStepsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override {
    DeleteEventLogs();
    SetServerRules("");
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      DeleteRegTree(hive, "Software\\MARROCK");
    }
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstall);
  }

  // Loads the pages in one host process.
  HostRun Deploy(const std::vector<std::string>& pages) {
    HostRun run = RunHost(pages);
    EXPECT_TRUE(run.finished);
    return run;
  }
};

TEST_F(DeploymentStepsTest, InitializationFileIsCachedAndLogged) {
  const std::string ini = "[Kestrava]\r\nCDVersion=9.9Z\r\n";
  PublishPage("steps/site.ini", ini);
  std::string page = PublishPage(
      "steps/index.htm", ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"}, {"CacheTimeout", "15000"}}));
  HostRun run = Deploy({page});
  EXPECT_TRUE(run.boxes.empty());

  std::string copy;
  ASSERT_TRUE(ReadFileBytes(DownloadFolder() + "\\site.ini", &copy));
  EXPECT_EQ(ini, copy);
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  std::string url = BaseUrl() + "/steps";
  std::vector<std::string> expected = {
      "Server URL is " + url + " on Port " + std::to_string(HttpPort()),
      "Successfully opened connection to internet.",
      "Cache Timeout is 15000 milliseconds",
      "Starting caching of " + url + "/site.ini",
      "   Successfully completed HTTP Request to server.",
      "   Content length is " + std::to_string(ini.size()) + " bytes.",
      "   Successfully cached " + std::to_string(ini.size()) + " bytes.",
      "Desktop Mode is Disabled",
      "Closed connection to internet.",
  };
  auto at = lines.begin();
  for (const std::string& line : expected) {
    auto found = std::find(at, lines.end(), line);
    EXPECT_NE(lines.end(), found) << "missing or out of order: " << line;
    if (found != lines.end()) at = found;
  }
  // The temporary folder line names the folder with its backslash.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  EXPECT_TRUE(Contains(lines, std::string("Client %TEMP% directory is ") + temp));
  // The settings it carried reached the registry.
  EXPECT_EQ("9.9Z", Text(HKEY_LOCAL_MACHINE, kWebRoot, "CDVersion"));
}

TEST_F(DeploymentStepsTest, UnreachableServerRetriesWithOneBoxAndGoesOn) {
  SetServerRules("/retry/site.ini status=503\n");
  std::string page = PublishPage(
      "retry/index.htm",
      ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"}, {"CacheRetries", "2"}, {"Sessions", "MD_S1"}}));
  HostRun run = Deploy({page});
  EXPECT_EQ(3u, ServerLogFor("/retry/site.ini").size());
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ("Web-to-Host Control - Cache Error\tError 503 caching \"" + BaseUrl() +
                "/retry/site.ini\" from server.\t0x10030\tui",
            run.boxes[0]);
  // The deployment went on to its end with the defaults.
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(Contains(lines, "Sessions: MD_S1"));
  EXPECT_EQ("3.2C1", Text(HKEY_LOCAL_MACHINE, kWebRoot, "CDVersion"));
}

TEST_F(DeploymentStepsTest, NegativeRetriesMakeNoRequest) {
  std::string page = PublishPage(
      "noretry/index.htm", ControlPage({{"IniFile", "site.ini"}, {"CacheRetries", "-1"}}));
  HostRun run = Deploy({page});
  EXPECT_TRUE(ServerLogFor("/noretry/site.ini").empty());
  EXPECT_TRUE(run.boxes.empty());
  std::string copy = "x";
  ASSERT_TRUE(ReadFileBytes(DownloadFolder() + "\\site.ini", &copy));
  EXPECT_EQ("", copy);  // the local copy exists and is empty
}

TEST_F(DeploymentStepsTest, WebModeSettingsUnderTheUsersHive) {
  PublishPage("web/site.ini",
              "[Kestrava]\r\nBaseRegistry=2\r\nUsePersonalFolderAsWorkingDir=yes\r\n"
              "[Configuration Lock Feature]\r\nLock=-1\r\nLockFTP=12abc\r\n"
              "[HLLAPI]\r\nConnectRetryMilliseconds=250\r\n"
              "[Support]\r\nLine1=Call the help desk\r\nLine2=?hidden\r\nLine3=\r\n"
              "[About]\r\nName=Example\r\n");
  std::string page = PublishPage("web/index.htm", ControlPage({{"IniFile", "site.ini"}}));
  Deploy({page});

  HKEY cu = HKEY_CURRENT_USER;
  EXPECT_EQ(std::string("\xFF\xFF\xFF\xFF", 4), Binary(cu, kWebRoot, "Lock"));
  EXPECT_EQ(std::string("\x0C\x00\x00\x00", 4), Binary(cu, kWebRoot, "LockFTP"));
  EXPECT_EQ(std::string("\xFA\x00\x00\x00", 4), Binary(cu, kWebRoot, "HllapiConnectRetry"));
  EXPECT_EQ(std::string("\x02", 1), Binary(cu, kWebRoot, "BaseRegistry"));
  EXPECT_EQ(std::string("\x01", 1), Binary(cu, kWebRoot, "WorkingDirType"));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kWebRoot));

  // The working folder tree sits in the personal folder.
  char personal[MAX_PATH];
  ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, personal));
  std::string working = Text(cu, kWebRoot, "Working Directory");
  std::string base = personal;
  if (base.back() != '\\') base += '\\';
  EXPECT_EQ(base + "Kestrava", working);
  for (const char* sub : {"Config", "Certs", "Macros", "Scripts", "Transfer", "Spool", "Traces"}) {
    EXPECT_TRUE(FileExists(working + "\\" + sub)) << sub;
  }
  // Support lines: "?" lines are not written, an empty line is.
  std::string support = std::string(kWebRoot) + "\\Support";
  EXPECT_EQ("Call the help desk", Text(cu, support.c_str(), "Line1"));
  EXPECT_EQ("(none)", Text(cu, support.c_str(), "Line2"));
  EXPECT_EQ("", Text(cu, support.c_str(), "Line3"));
  EXPECT_EQ("(none)", Text(cu, support.c_str(), "Line4"));
  EXPECT_EQ("Example", Text(cu, (std::string(kWebRoot) + "\\About").c_str(), "Name"));
}

TEST_F(DeploymentStepsTest, DesktopModeCreatesTheFoldersAndInstallationKeys) {
  std::string installPlain = TestEnvDir() + "\\dtinstall";
  std::string work = TestEnvDir() + "\\dtwork";
  PublishPage("dt/site.ini", "[Kestrava]\r\nDesktopMode=setup/desk.ini\r\n");
  PublishPage("dt/setup/desk.ini",
              "[KVSetup]\r\nDestinationDir=" + installPlain + "\\\r\nWorkingDir=" + work +
                  "\r\nConnection=s3\r\n[Program Group]\r\nUseGroup=Yes\r\nGroupName=Host Apps\r\n");
  std::string page = PublishPage("dt/index.htm", ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"}}));
  HostRun run = Deploy({page});
  EXPECT_TRUE(run.boxes.empty());

  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(Contains(lines, "Desktop Mode is Enabled"));
  EXPECT_TRUE(Contains(lines, "Starting caching of " + BaseUrl() + "/dt/setup/desk.ini"));
  EXPECT_TRUE(FileExists(DownloadFolder() + "\\desk.ini"));
  EXPECT_TRUE(FileExists(installPlain));
  EXPECT_TRUE(FileExists(work));

  HKEY lm = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(installPlain + "\\", Text(lm, kDesktopRoot, "Installation Directory"));
  EXPECT_EQ(work, Text(lm, kDesktopRoot, "Working Directory"));
  EXPECT_EQ("Host Apps", Text(lm, kDesktopRoot, "Program Group"));
  EXPECT_EQ("Kestrava", Text(lm, kUninstall, "DisplayName"));
  // The folder ends in a backslash already: no second one.
  EXPECT_EQ(installPlain + "\\Unins.Exe", Text(lm, kUninstall, "UninstallString"));
}

}  // namespace
