// The control on the older Windows families, 9x and NT 4 and 5, as Wine
// presents them to the container: the module's folders and the branches
// taken on the platform, through the real control and a real deployment.
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

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  EXPECT_EQ(S_OK, SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path));
  return path;
}

// Wine's names of the families' versions: 9x twice, NT 4, NT 5 twice.
const char* const kVersions[] = {"win95", "win98", "nt40", "win2k", "winxp"};

class PlatformFamiliesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override {
    DeleteEventLogs();
    SetServerRules("");
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) DeleteRegTree(hive, "Software\\MARROCK");
  }

  // Publishes the site under folder and loads its page under version.
  HostRun Deploy(const std::string& version, const std::string& folder, const std::string& ini,
                 const std::vector<std::pair<std::string, std::string>>& files) {
    PublishPage(folder + "/site.ini", ini);
    for (const auto& file : files) PublishPage(folder + "/" + file.first, file.second);
    std::string page = PublishPage(
        folder + "/index.htm",
        ControlPage({{"LogEvents", "Y"}, {"IniFile", "site.ini"}, {"MD_DistFile", "md.lst"}}));
    HostRun run = RunHostUnder(version, {page});
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    return run;
  }
};

// The module's folders do not depend on the family: the temporary folder
// it logs, the download folder that holds the log and the components, the
// ActiveX cache that receives cabinets.
TEST_F(PlatformFamiliesTest, ModuleFoldersAreTheSameOnEveryFamily) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (const char* version : kVersions) {
    SCOPED_TRACE(version);
    SetUp();
    DeleteFileA((DownloadFolder() + "\\KVMD.PRO").c_str());
    DeleteFileA((ActiveXCacheFolder() + "\\KVMD.CAB").c_str());
    const std::string program = std::string("program for ") + version;
    const std::string cabinet = std::string("cabinet for ") + version;
    Deploy(version, "folders", "[Kestrava]\r\n[KVMD.CAB]\r\nRun=setup.exe\r\n",
           {{"md.lst", "KVMD.PRO,2\r\nKVMD.CAB,3\r\n"}, {"KVMD.PRO", program}, {"KVMD.CAB", cabinet}});
    std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
    EXPECT_TRUE(HasLine(lines, std::string("Client %TEMP% directory is ") + temp));
    EXPECT_EQ(program, FileContent(DownloadFolder() + "\\KVMD.PRO"));
    EXPECT_EQ(cabinet, FileContent(ActiveXCacheFolder() + "\\KVMD.CAB"));
    EXPECT_EQ(std::string("\x02\0\0\0", 4), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO"));
  }
}

// Desktop files (*.lnk) go to the desktop of all users on the NT family,
// to the user's own desktop on 9x, which has no common one.
TEST_F(PlatformFamiliesTest, DesktopFilesGoToTheFamilysDesktop) {
  const std::string own = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  const std::string common = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ASSERT_NE(own, common);
  const struct {
    const char* version;
    bool allUsers;
  } cases[] = {
      {"win95", false}, {"win98", false}, {"nt40", true}, {"win2k", true}, {"winxp", true},
  };
  const std::string install = TestEnvDir() + "\\families-install";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    SetUp();
    for (const std::string& desktop : {own, common}) DeleteFileA((desktop + "\\HOST.LNK").c_str());
    const std::string shortcut = std::string("shortcut for ") + c.version;
    Deploy(c.version, "desktops", "[Kestrava]\r\nDesktopMode=desk.ini\r\n",
           {{"desk.ini", "[KVSetup]\r\nDestinationDir=" + install + "\r\n"},
            {"md.lst", "HOST.LNK,4\r\n"},
            {"HOST.LNK", shortcut}});
    EXPECT_EQ(shortcut, FileContent((c.allUsers ? common : own) + "\\HOST.LNK"));
    EXPECT_EQ("(missing)", FileContent((c.allUsers ? own : common) + "\\HOST.LNK"));
    EXPECT_EQ(std::string("\x04\0\0\0", 4), RegBinary(HKEY_LOCAL_MACHINE, kDesktopRoot, "HOST.LNK"));
  }
  for (const std::string& desktop : {own, common}) DeleteFileA((desktop + "\\HOST.LNK").c_str());
}

}  // namespace
