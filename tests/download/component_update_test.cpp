// The component update pipeline through the real control in the test
// container: distribution lists and component files on the test web
// server, the prefix's folders and registry, the server's request log.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char kDesktopRoot[] = "Software\\MARROCK\\Kestrava";

std::string Le32(long value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = (char)((unsigned long)value >> (8 * i));
  return bytes;
}

void StoreVersion(HKEY hive, const char* root, const std::string& name, long version) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, root, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  std::string bytes = Le32(version);
  RegSetValueExA(key, name.c_str(), 0, REG_BINARY, (const BYTE*)bytes.data(), 4);
  RegCloseKey(key);
}

size_t Requests(const std::string& path) { return ServerLogFor(path).size(); }

// Temporary download files left in a folder.
size_t LeftoverTemporaries(const std::string& folder) {
  size_t count = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\wvl*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do ++count;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

class ComponentUpdateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterControl()); }
  void SetUp() override {
    DeleteEventLogs();
    SetServerRules("");
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) DeleteRegTree(hive, "Software\\MARROCK");
  }

  // Publishes the site under folder and returns its page.
  std::string Site(const std::string& folder, const std::string& ini,
                   const std::vector<std::pair<std::string, std::string>>& files,
                   const Params& extra = {}) {
    PublishPage(folder + "/site.ini", ini);
    for (const auto& file : files) PublishPage(folder + "/" + file.first, file.second);
    Params params = {{"LogEvents", "Y"}, {"IniFile", "site.ini"}};
    params.insert(params.end(), extra.begin(), extra.end());
    return PublishPage(folder + "/index.htm", ControlPage(params));
  }

  HostRun Deploy(const std::string& page) {
    HostRun run = RunHost({page});
    EXPECT_TRUE(run.finished);
    return run;
  }
};

TEST_F(ComponentUpdateTest, FirstLoadFetchesEverythingTheSecondOnlyTheList) {
  const std::string program(5000, 'P');
  const std::string cabinet = "MSCF-not-a-real-cabinet";
  std::string page = Site("first", "[Kestrava]\r\nBaseRegistry=2\r\n[KVMD.CAB]\r\nRun=setup.exe\r\n",
                          {{"md.lst", "KVMD.PRO,5\r\nbin/KVMDHLP.DLL,3\r\nKVMD.CAB,2\r\n"},
                           {"KVMD.PRO", program},
                           {"bin/KVMDHLP.DLL", "library"},
                           {"KVMD.CAB", cabinet}},
                          {{"MD_DistFile", "md.lst"}});
  HostRun run = Deploy(page);
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
  EXPECT_EQ(program, FileContent(DownloadFolder() + "\\KVMD.PRO"));
  EXPECT_EQ("library", FileContent(DownloadFolder() + "\\KVMDHLP.DLL"));
  EXPECT_EQ(cabinet, FileContent(ActiveXCacheFolder() + "\\KVMD.CAB"));
  EXPECT_EQ(0u, LeftoverTemporaries(DownloadFolder()));
  // BaseRegistry 2: versions and the kind's verified flag in the user's hive.
  EXPECT_EQ(Le32(5), RegBinary(HKEY_CURRENT_USER, kWebRoot, "KVMD.PRO"));
  EXPECT_EQ(Le32(3), RegBinary(HKEY_CURRENT_USER, kWebRoot, "/KVMDHLP.DLL"));
  EXPECT_EQ(Le32(2), RegBinary(HKEY_CURRENT_USER, kWebRoot, "KVMD.CAB"));
  EXPECT_EQ(std::string(1, '\0'), RegBinary(HKEY_CURRENT_USER, kWebRoot, "KvmdVerified"));
  EXPECT_EQ("(none)", RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO"));
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  EXPECT_TRUE(HasLine(lines, "   KVMD.PRO: Distribution Version is 5"));
  EXPECT_TRUE(HasLine(lines, "   bin/KVMDHLP.DLL: Distribution Version is 3"));

  DeleteEventLogs();
  Deploy(page);
  EXPECT_EQ(2u, Requests("/first/md.lst"));
  for (const char* file : {"/first/KVMD.PRO", "/first/bin/KVMDHLP.DLL", "/first/KVMD.CAB"})
    EXPECT_EQ(1u, Requests(file)) << file;
}

TEST_F(ComponentUpdateTest, PresenceAndStoredVersionsDecideWhatIsFetched) {
  const struct {
    const char* name;
    const char* onDisk;  // the file present in its folder, "" for none
    long listed;
    long stored;  // -1: none
    bool fetched;
    long recorded;  // -1: none
    const char* listedAs = nullptr;  // the list's name when it has a folder
  } cases[] = {
      {"SAME.PRO", "SAME.PRO", 5, 5, false, 5},
      {"NEWER.PRO", "NEWER.PRO", 5, 6, false, 6},
      {"OLDER.PRO", "OLDER.PRO", 5, 4, true, 5},
      {"NONE.PRO", "NONE.PRO", 5, -1, true, 5},
      {"ZERO.PRO", "ZERO.PRO", 0, 9, true, 0},
      {"GONE.PRO", "", 5, 5, true, 5},
      // Compressed files are looked for under their expanded names.
      {"KVMD.EX_", "KVMD.EXE", 5, 5, false, 5},
      {"KVMD.HL_", "KVMD.HL_", 5, 5, true, 5},
      // Not installed, so not recorded either: fetched again next time.
      {"ODD.QQ_", "ODD.QQ_", 5, -1, true, -1},
      {"zelvic.ini", "zelvic.ini", 1, 1, false, 1},
      // Looked for in the Orvena folder, which no cabinet has named yet.
      {"orvena.ini", "orvena.ini", 1, 1, true, 1},
      // A current cabinet without DestDir or Run is installed again from the
      // cache, one with Run is left alone.
      {"PLAIN.CAB", "PLAIN.CAB", 5, 7, false, 5},
      {"RUN.CAB", "RUN.CAB", 5, 7, false, 7},
      // The section is the cabinet's own name, whatever folder the list
      // gives; its version is kept under the name part, "/RUNS.CAB".
      {"/RUNS.CAB", "RUNS.CAB", 5, 7, false, 7, "cabs/RUNS.CAB"},
  };
  std::string list;
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& c : cases) {
    const std::string listed = c.listedAs ? c.listedAs : c.name;
    list += listed + "," + std::to_string(c.listed) + "\r\n";
    files.push_back({listed, std::string("new ") + c.name});
    std::string folder = std::string(c.name).find(".CAB") != std::string::npos
                             ? ActiveXCacheFolder()
                             : DownloadFolder();
    DeleteFileA((folder + "\\" + c.name).c_str());
    if (*c.onDisk) {
      ASSERT_TRUE(WriteFileBytes(folder + "\\" + c.onDisk, "old"));
    }
    if (c.stored >= 0) StoreVersion(HKEY_LOCAL_MACHINE, kWebRoot, c.name, c.stored);
  }
  files.push_back({"vt.lst", list});
  std::string page =
      Site("versions", "[Kestrava]\r\n[RUN.CAB]\r\nRun=setup.exe\r\n[RUNS.CAB]\r\nRun=setup.exe\r\n",
           files, {{"VT_DistFile", "vt.lst"}});
  Deploy(page);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.fetched ? 1u : 0u,
              Requests(std::string("/versions/") + (c.listedAs ? c.listedAs : c.name)));
    EXPECT_EQ(c.recorded < 0 ? "(none)" : Le32(c.recorded),
              RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, c.name));
  }
}

TEST_F(ComponentUpdateTest, FailedDownloadsKeepTheInstalledFile) {
  const std::string body(20000, 'N');
  const struct {
    const char* what;
    const char* rule;  // for /fail/KVMD.PRO
    const char* boxStart;
  } cases[] = {
      {"truncated", "close-after=1000", "Web-to-Host Control - Cache Error\tError 38 caching file from server: "},
      {"missing", "status=404", "Web-to-Host Control - Cache Error\tError 404 caching \""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    SetServerRules(std::string("/fail/KVMD.PRO ") + c.rule + "\n");
    ASSERT_TRUE(WriteFileBytes(DownloadFolder() + "\\KVMD.PRO", "installed"));
    StoreVersion(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO", 4);
    HostRun run = Deploy(Site("fail", "[Kestrava]\r\n", {{"md.lst", "KVMD.PRO,5\r\n"}, {"KVMD.PRO", body}},
                              {{"MD_DistFile", "md.lst"}}));
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(0u, run.boxes[0].find(c.boxStart)) << run.boxes[0];
    EXPECT_EQ("installed", FileContent(DownloadFolder() + "\\KVMD.PRO"));
    EXPECT_EQ(Le32(4), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO"));
    EXPECT_EQ(0u, LeftoverTemporaries(DownloadFolder()));
  }
}

TEST_F(ComponentUpdateTest, LocalFileThatCannotBeCreatedOrReplacedIsReportedPerMode) {
  // A folder where the file belongs: the download arrives but cannot take
  // its place. An installation folder below a file: nothing can be created.
  const std::string install = TestEnvDir() + "\\blocked-install";
  const std::string underFile = TestEnvDir() + "\\blocking-file\\install";
  ASSERT_TRUE(WriteFileBytes(TestEnvDir() + "\\blocking-file", "a file"));
  const struct {
    const char* what;
    std::string ini;
    std::string target;
    const char* caption;
    const char* format;
  } cases[] = {
      {"web", "[Kestrava]\r\n", DownloadFolder() + "\\KVMD.PRO",
       "Web-to-Host Control - Cache Error", "Error 5 caching to %s."},
      {"desktop", "[Kestrava]\r\nDesktopMode=desk.ini\r\n", install + "\\KVMD.PRO",
       "Web-to-Host Control - Write Error", "Error 5 writing to %s."},
      // The temporary file is created with one CreateFile: a path through a
      // file is ERROR_PATH_NOT_FOUND.
      {"desktop, no folder", "[Kestrava]\r\nDesktopMode=nofolder.ini\r\n",
       underFile + "\\KVMD.PRO", "Web-to-Host Control - Write Error", "Error 3 writing to %s."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    PublishPage("blocked/desk.ini", "[KVSetup]\r\nDestinationDir=" + install + "\r\n");
    PublishPage("blocked/nofolder.ini", "[KVSetup]\r\nDestinationDir=" + underFile + "\r\n");
    CreateDirectoryA(install.c_str(), nullptr);
    DeleteFileA(c.target.c_str());
    if (c.target.find(underFile) != 0) {
      ASSERT_TRUE(CreateDirectoryA(c.target.c_str(), nullptr));
    }
    HostRun run = Deploy(Site("blocked", c.ini, {{"md.lst", "KVMD.PRO,5\r\n"}, {"KVMD.PRO", "x"}},
                              {{"MD_DistFile", "md.lst"}}));
    char text[MAX_PATH + 64];
    snprintf(text, sizeof text, c.format, c.target.c_str());
    EXPECT_EQ(std::string(c.caption) + "\t" + text + "\t0x10030\tui",
              run.boxes.empty() ? "(no box)" : run.boxes.back());
    EXPECT_TRUE(HasLine(LogLinesWithoutStamps(ReadOnlyEventLog()), text));
    HKEY hive = HKEY_LOCAL_MACHINE;
    EXPECT_EQ("(none)", RegBinary(hive, c.what[0] == 'w' ? kWebRoot : kDesktopRoot, "KVMD.PRO"));
    RemoveDirectoryA(c.target.c_str());
    EXPECT_EQ(0u, LeftoverTemporaries(install));
    EXPECT_EQ(0u, LeftoverTemporaries(DownloadFolder()));
  }
}

TEST_F(ComponentUpdateTest, ListsThatCannotBeUsedAreSkippedOrBounded) {
  std::string list = std::string(300, 'L') + ",1\r\n..,1\r\nsub/,1\r\n";
  for (int i = 0; i < 33; ++i) list += "F" + std::to_string(i) + ".PRO,1\r\n";
  std::vector<std::pair<std::string, std::string>> files = {{"long.lst", list}};
  for (int i = 0; i < 33; ++i) files.push_back({"F" + std::to_string(i) + ".PRO", "f"});
  SetServerRules("/lists/gone.lst status=404\n");
  HostRun run = Deploy(Site("lists", "[Kestrava]\r\nCDVersion=1\r\n", files,
                            {{"MD_DistFile", "gone.lst"}, {"VT_DistFile", "long.lst"}}));
  std::vector<std::string> lines = LogLinesWithoutStamps(ReadOnlyEventLog());
  // The missing list's kind is skipped: nothing of the initialization file
  // that the buffer held before is taken for entries.
  EXPECT_TRUE(HasLine(lines, "   Distribution list gone.lst could not be fetched; its files are not updated."));
  EXPECT_EQ(0u, Requests("/lists/[Kestrava]"));
  EXPECT_EQ(0u, Requests("/lists/CDVersion=1"));
  // 32 entries are taken: the two unusable names and 30 files.
  EXPECT_TRUE(HasLine(lines, "   1 line(s) of 260 characters or more ignored, the first beginning " +
                                 std::string(63, 'L')));
  EXPECT_TRUE(HasLine(lines, "   3 line(s) past the 32th entry ignored"));
  EXPECT_TRUE(HasLine(lines, "   .. names no file that can be kept; it is ignored."));
  EXPECT_TRUE(HasLine(lines, "   sub/ names no file that can be kept; it is ignored."));
  EXPECT_EQ(1u, Requests("/lists/F29.PRO"));
  EXPECT_EQ(0u, Requests("/lists/F30.PRO"));
  EXPECT_EQ(1u, run.boxes.size());  // the missing list's cache error only
}

// Cancels the deployment from the progress dialog once its component line
// shows `line`, and records the status line seen then.
struct DialogCanceller {
  std::string line;
  std::string seenStatus;
  std::atomic<bool> cancelled{false};
  std::atomic<bool> stop{false};
  std::thread thread;

  static std::string Text(HWND window) {
    char text[300] = "";
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    return text;
  }
  void Start() {
    thread = std::thread([this] {
      while (!stop) {
        HWND dialog = FindWindowA("WevelinkDlgClass", nullptr);
        if (dialog && Text(GetDlgItem(dialog, 1002)) == line) {
          HWND status = GetDlgItem(dialog, 1006);
          if (status) seenStatus = Text(status);
          PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
          cancelled = true;
          return;
        }
        Sleep(20);  // watching another process's window: nothing to wait on
      }
    });
  }
  void Join() {
    stop = true;
    thread.join();
  }
};

TEST_F(ComponentUpdateTest, CancelDuringTheSecondDownloadKeepsItsOldFile) {
  const std::string install = TestEnvDir() + "\\cancel-install";
  const struct {
    const char* what;
    std::string ini;
    std::string second;
    std::string secondFolder;
    const char* root;
    const char* line;
    const char* status;
  } cases[] = {
      {"web", "[Kestrava]\r\n", "KVMD.PRO", DownloadFolder(), kWebRoot, "Caching component Kvmd ...",
       ""},
      {"desktop", "[Kestrava]\r\nDesktopMode=desk.ini\r\n", "KVMD.CAB", ActiveXCacheFolder(),
       kDesktopRoot, "Kvmd.cab", "Installing Kestrava Mainframe Printer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    const std::string folder = std::string("cancel-") + c.what;
    PublishPage(folder + "/desk.ini", "[KVSetup]\r\nDestinationDir=" + install + "\r\n");
    SetServerRules("/" + folder + "/" + c.second + " rate=20000\n");
    ASSERT_TRUE(WriteFileBytes(c.secondFolder + "\\" + c.second, "old"));
    StoreVersion(HKEY_LOCAL_MACHINE, c.root, c.second, 1);
    std::string page = Site(folder, c.ini,
                            {{"mp.lst", "FIRST.PRO,2\r\n" + c.second + ",2\r\nTHIRD.PRO,2\r\n"},
                             {"FIRST.PRO", "first"},
                             {c.second, std::string(400000, 'S')},
                             {"THIRD.PRO", "third"}},
                            {{"MP_DistFile", "mp.lst"}});
    DialogCanceller canceller;
    canceller.line = c.line;
    canceller.Start();
    HostRun run = Deploy(page);
    canceller.Join();
    ASSERT_TRUE(canceller.cancelled);
    EXPECT_EQ(c.status, canceller.seenStatus);
    std::string firstFolder = c.what[0] == 'w' ? DownloadFolder() : install;
    EXPECT_EQ("first", FileContent(firstFolder + "\\FIRST.PRO"));
    EXPECT_EQ(Le32(2), RegBinary(HKEY_LOCAL_MACHINE, c.root, "FIRST.PRO"));
    EXPECT_EQ("old", FileContent(c.secondFolder + "\\" + c.second));
    EXPECT_EQ(Le32(1), RegBinary(HKEY_LOCAL_MACHINE, c.root, c.second));
    EXPECT_EQ(0u, LeftoverTemporaries(c.secondFolder));
    EXPECT_EQ(0u, Requests("/" + folder + "/THIRD.PRO"));
    EXPECT_TRUE(HasLine(LogLinesWithoutStamps(ReadOnlyEventLog()), "Canceled by user request."));
  }
}

}  // namespace
