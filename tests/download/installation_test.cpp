// Installing through the real control in the test container, on make_install_inputs.cmake's files:
// fetches, cancels, in-use libraries, fonts, cabinets, sibling clients, setups, registrations.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string.h>
#include <thread>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char kProbeKey[] = "Software\\Wevelink Tests\\Registrations";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kNtFonts[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char k9xFonts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ov9c.exe";

void StoreVersion(HKEY hive, const std::string& name, long version) {
  const std::string bytes = LittleEndian32(version);
  ASSERT_EQ(0, RegSetKeyValueA(hive, kWebRoot, name.c_str(), REG_BINARY, bytes.data(), 4));
}

std::string In(const std::string& name) {
  return FileContent(WinPathFromUnix(std::string(INSTALL_INPUTS_UNIX) + "/" + name));
}

std::string SetupFolder() { return TempFolder() + "\\wevlnk"; }

class InstallationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    ASSERT_TRUE(TrustCertificate(STUB_BUILD_UNIX));
    // A fresh prefix has them only after a first deployment.
    CreateDirectoryA(DownloadFolder().c_str(), nullptr);
    CreateDirectoryA(ActiveXCacheFolder().c_str(), nullptr);
  }
  void SetUp() override {
    ResetDeployment();
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\Wevelink Tests");
    DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPaths);
  }
  bool Logged(const std::string& start) const {
    return AnyLineStarts(LogLinesWithoutStamps(ReadOnlyEventLog()), start);
  }
  bool NoTemporaries() const {
    bool none = true;
    ForEachFound(DownloadFolder() + "\\wvl*.tmp", [&](const WIN32_FIND_DATAA&) { none = false; });
    return none;
  }
};

TEST_F(InstallationTest, PresenceAndStoredVersionsDecideWhatIsFetched) {
  const struct {
    const char* name;    // the version's value name: the list's name part
    const char* onDisk;  // the file present in its folder, "" for none
    long listed;
    long stored;  // -1: none
    bool fetched;
    long recorded;                   // -1: none
    const char* listedAs = nullptr;  // the list's name when it has a folder
    const char* integrity = nullptr;  // the line's size and digest field
  } rows[] = {
      {"ZERO.PRO", "ZERO.PRO", 0, 9, true, 0},
      {"GONE.PRO", "", 5, 5, true, 5},
      {"/HLP.DLL", "", 3, -1, true, 3, "bin/HLP.DLL"},
      // Compressed files are looked for under their expanded names.
      {"KVMD.EX_", "KVMD.EXE", 5, 5, false, 5},
      // Expanded under the table's name; the compressed copy does not stay.
      {"NEW.EX_", "", 5, -1, true, 5},
      // Not installed, so not recorded either: fetched again next time.
      {"ODD.QQ_", "ODD.QQ_", 5, -1, true, -1},
      // Cut by the server: the installed file and its version stay.
      {"CUT.PRO", "CUT.PRO", 5, 4, true, 4},
      {"zelvic.ini", "zelvic.ini", 1, 1, false, 1},
      // Looked for in the Orvena folder, which no cabinet has named yet.
      {"orvena.ini", "orvena.ini", 1, 1, true, 1},
      // A current cabinet is reinstalled from cache unless its name part's section has Run/DestDir.
      {"PLAIN.CAB", "PLAIN.CAB", 5, 7, false, 5},
      {"/RUN.CAB", "RUN.CAB", 5, 7, false, 7, "cabs/RUN.CAB"},
      // The list's size and SHA-256: matched; chunked and cut; altered; malformed.
      {"GOOD.PRO", "", 5, -1, true, 5, nullptr,
       "200000:E24BC62381F1224FBBB74688663F8F9743B9680B193EDD666835E97B06E730EB"},
      {"OPEN.PRO", "OPEN.PRO", 5, 4, true, 5},  // cut the same, without them: taken
      {"SHORT.PRO", "SHORT.PRO", 5, 4, true, 4, nullptr,
       "13:9d97611bd5dc67643187b29ac5605091ad7d2c3a04ed041e77567ceff51f9572"},
      {"ALTERED.PRO", "ALTERED.PRO", 5, 4, true, 4, nullptr,
       "15:9d97611bd5dc67643187b29ac5605091ad7d2c3a04ed041e77567ceff51f9572"},
      {"BADSUM.PRO", "BADSUM.PRO", 5, 4, false, 4, nullptr, "14:9d97"},
  };
  std::string list;
  Pairs files;
  DeleteFileA((DownloadFolder() + "\\NEW.EXe").c_str());
  for (const auto& row : rows) {
    const std::string listed = row.listedAs ? row.listedAs : row.name;
    list += listed + "," + std::to_string(row.listed);
    list += (row.integrity ? std::string(",") + row.integrity : "") + "\r\n";
    files.push_back({listed, "new " + listed});
    const std::string file = listed.substr(listed.find('/') + 1);
    const bool cabinet = file.find(".CAB") != std::string::npos;
    const std::string folder = cabinet ? ActiveXCacheFolder() : DownloadFolder();
    DeleteFileA((folder + "\\" + file).c_str());
    if (*row.onDisk) {
      ASSERT_TRUE(WriteFileBytes(folder + "\\" + row.onDisk, "old"));
    }
    // BaseRegistry 2: versions live in the user's hive.
    if (row.stored >= 0) StoreVersion(HKEY_CURRENT_USER, row.name, row.stored);
  }
  files.push_back({"md.lst", list});
  files.push_back({"NEW.EX_", In("KVMD.EX_")});
  files.push_back({"CUT.PRO", std::string(20000, 'N')});
  std::string good;  // in several pieces
  for (int i = 0; i < 200000; ++i) good += (char)(i % 251);
  files.push_back({"GOOD.PRO", good});
  SetServerRules("/versions/CUT.PRO close-after=1000\n"
                 "/versions/SHORT.PRO no-length=chunked close-after=5\n"
                 "/versions/OPEN.PRO no-length=chunked close-after=5\n");
  // What a browser that died during a download and a setup two hours ago left behind.
  const std::string leftover = DownloadFolder() + "\\wvlBEEF.tmp";
  const std::string leftoverFolder = TempFolder() + "\\wevlnkBEEF";
  CreateDirectoryA(leftoverFolder.c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(leftover, "part of a download"));
  ASSERT_TRUE(WriteFileBytes(leftoverFolder + "\\setup.exe", "a setup"));
  EXPECT_TRUE(SetChangeTime({leftover, leftoverFolder}, 2));
  HostRun run = Deploy("versions", "[Kestrava]\r\nBaseRegistry=2\r\n[RUN.CAB]\r\nRun=setup.exe\r\n",
                       files, {{"MD_DistFile", "md.lst"}});
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.fetched ? 1u : 0u,
              ServerLogFor(std::string("/versions/") + (row.listedAs ? row.listedAs : row.name))
                  .size());
    EXPECT_EQ(row.recorded < 0 ? "(none)" : LittleEndian32(row.recorded),
              RegBinary(HKEY_CURRENT_USER, kWebRoot, row.name));
  }
  EXPECT_EQ("new bin/HLP.DLL", FileContent(DownloadFolder() + "\\HLP.DLL"));
  EXPECT_EQ("(none)", RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "GOOD.PRO"));
  for (const char* kept : {"CUT.PRO", "SHORT.PRO", "ALTERED.PRO", "BADSUM.PRO"})
    EXPECT_EQ("old", FileContent(DownloadFolder() + "\\" + kept)) << kept;
  EXPECT_EQ(good, FileContent(DownloadFolder() + "\\GOOD.PRO"));
  EXPECT_EQ(In("KVMD.EXE"), FileContent(DownloadFolder() + "\\NEW.EXe"));
  EXPECT_FALSE(FileExists(DownloadFolder() + "\\NEW.EX_"));
  ASSERT_EQ(3u, run.boxes.size());
  EXPECT_TRUE(Logged("   SHORT.PRO: 5 bytes arrived where the distribution list gives 13"));
  EXPECT_TRUE(Logged("   ALTERED.PRO: the SHA-256 digest of what arrived differs"));
  EXPECT_TRUE(Logged("   BADSUM.PRO: its size and digest are not SIZE:SHA256"));
  EXPECT_TRUE(NoTemporaries());
  EXPECT_TRUE(Logged("Removed 1 leftover temporary download(s) older than an hour."));
  EXPECT_TRUE(Logged("Removed 1 leftover extraction folder(s) older than an hour."));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(leftoverFolder.c_str()));
}

TEST_F(InstallationTest, CancelDuringTheSecondDownloadKeepsItsOldFile) {
  SetServerRules("/cancel/KVMD.PRO rate=20000\n");
  ASSERT_TRUE(WriteFileBytes(DownloadFolder() + "\\KVMD.PRO", "old"));
  StoreVersion(HKEY_LOCAL_MACHINE, "KVMD.PRO", 1);
  // Polls (another process's dialog gives nothing to wait on); cancels at the second component.
  std::atomic<bool> stop{false};
  std::thread canceller([&] {
    for (; !stop; Sleep(20)) {
      HWND dialog = FindWindowA("WevelinkDlgClass", nullptr);
      char text[300] = "";
      DWORD_PTR ignored;
      SendMessageTimeoutA(GetDlgItem(dialog, 1002), WM_GETTEXT, sizeof text, (LPARAM)text,
                          SMTO_ABORTIFHUNG, 2000, &ignored);
      if (dialog && strcmp(text, "Caching component Kvmd ...") == 0) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
      }
    }
  });
  HostRun run = Deploy("cancel", "[Kestrava]\r\n",
                       {{"mp.lst", "FIRST.PRO,2\r\nKVMD.PRO,2\r\nTHIRD.PRO,2\r\n"},
                        {"FIRST.PRO", "first"},
                        {"KVMD.PRO", std::string(400000, 'S')},
                        {"THIRD.PRO", "third"}},
                       {{"MP_DistFile", "mp.lst"}});
  stop = true;
  canceller.join();
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
  EXPECT_EQ("old", FileContent(DownloadFolder() + "\\KVMD.PRO"));
  EXPECT_EQ(LittleEndian32(1), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.PRO"));
  EXPECT_TRUE(NoTemporaries());
  EXPECT_EQ(0u, ServerLogFor("/cancel/THIRD.PRO").size());
  EXPECT_TRUE(Logged("Canceled by user request."));
}

// A library in use is replaced at restart on NT only; a font goes once under its family's key.
TEST_F(InstallationTest, LibraryInUseAndFontsFollowTheFamily) {
  const std::string installed = DownloadFolder() + "\\KVWHLL.DLL";
  const std::string rootCopy = WindowsFolder().substr(0, 3) + "KVWHLL.DLl";
  const std::string fonts = WindowsFolder() + "\\Fonts\\";
  const char kApl[] = "Marrock APL (TrueType)";
  const char kOem[] = "Marrock OEM (TrueType)";
  const char kPending[] = "PendingFileRenameOperations";
  const struct {
    const char* version;
    bool blocked;  // the pending renames hold a value the platform will not extend
    bool nt;
  } rows[] = {{"", false, true}, {"", true, true}, {"nt40", false, true}, {"win98", false, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.version) + (row.blocked ? " blocked" : ""));
    SetUp();
    for (const char* key : {kNtFonts, k9xFonts}) {
      for (const char* font : {kApl, kOem}) {
        // Set before it is deleted: the control opens the key, never creates it.
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, font, REG_SZ, "", 1);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, font);
      }
    }
    for (const std::string& path : {rootCopy, DownloadFolder() + "\\KVWHLL.DL_",
                                    fonts + "MARRKAPL.TTF", DownloadFolder() + "\\MARRKAPL.TTF",
                                    DownloadFolder() + "\\MARRKOEM.TTF"})
      DeleteFileA(path.c_str());
    ASSERT_TRUE(WriteFileBytes(fonts + "MARRKOEM.TTF", "present"));
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPending);
    if (row.blocked) {
      RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPending, REG_SZ, "blocked", 8);
    }
    ASSERT_TRUE(WriteFileBytes(installed, In("KVWHLL.DLL")));
    StoreVersion(HKEY_LOCAL_MACHINE, "KVWHLL.DL_", 1);
    // Held open without delete sharing, as by a process using the library.
    HANDLE inUse = CreateFileA(installed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inUse);
    HostRun run = Deploy("family", "[Kestrava]\r\n",
                         {{"ftp.lst", "KVWHLL.DL_,2\r\n"},
                          {"KVWHLL.DL_", In("KVWHLL.DL_")},
                          {"md.lst", "MARRKAPL.TTF,1\r\nMARRKOEM.TTF,1\r\n"},
                          {"MARRKAPL.TTF", In("MARRKAPL.TTF")},
                          {"MARRKOEM.TTF", In("MARRKAPL.TTF")}},
                         {{"FTP_DistFile", "ftp.lst"}, {"MD_DistFile", "md.lst"}}, row.version);
    CloseHandle(inUse);
    DWORD type = 0;
    std::string pending;
    ReadRegValue(HKEY_LOCAL_MACHINE, kSessionManager, kPending, &type, &pending);
    const bool replaced = row.nt && !row.blocked;
    EXPECT_EQ(replaced, type == REG_MULTI_SZ);
    // Nothing will move a copy in the drive root unless scheduled.
    EXPECT_EQ(replaced ? In("KVWHLL.DLL") : "(missing)", FileContent(rootCopy));
    std::string move = "\\??\\" + rootCopy + std::string(1, '\0') + "!\\??\\" + installed;
    EXPECT_EQ(replaced, LowerCase(pending).find(LowerCase(move)) != std::string::npos);
    EXPECT_EQ(row.blocked, Logged("   " + DownloadFolder() + "\\KVWHLL.DLl is in use and its "
                                  "replacement cannot be scheduled: error "));
    EXPECT_EQ(replaced ? 1u : 0u, run.boxes.size());
    // Gone once the root copy was made; on 98 it waits for a newer version.
    EXPECT_EQ(!row.nt, FileExists(DownloadFolder() + "\\KVWHLL.DL_"));
    // The library in place registered itself.
    std::string registered = RegSzText(HKEY_CURRENT_USER, kProbeKey, "kvwhll.dll");
    EXPECT_EQ(LowerCase(installed), LowerCase(registered));
    EXPECT_EQ(LittleEndian32(2), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVWHLL.DL_"));
    EXPECT_EQ(In("MARRKAPL.TTF"), FileContent(fonts + "MARRKAPL.TTF"));
    const char* key = row.nt ? kNtFonts : k9xFonts;
    EXPECT_EQ("MARRKAPL.TTF", RegSzText(HKEY_LOCAL_MACHINE, key, kApl));
    EXPECT_EQ("(none)", RegSzText(HKEY_LOCAL_MACHINE, row.nt ? k9xFonts : kNtFonts, kApl));
    // Present already: neither copied nor registered; the download stays.
    EXPECT_EQ("present", FileContent(fonts + "MARRKOEM.TTF"));
    EXPECT_EQ("(none)", RegSzText(HKEY_LOCAL_MACHINE, key, kOem));
    EXPECT_TRUE(FileExists(DownloadFolder() + "\\MARRKOEM.TTF"));
  }
}

TEST_F(InstallationTest, OrvenaCabinetWritesItsClientsSettingsOnlyWithAVersion) {
  const std::string dest = TestEnvDir() + "\\orvena client\\program";
  const std::string versionKey = "Software\\MARROCK\\Orvena Windows Client\\Version 2.1";
  const std::string user = "Software\\MARROCK\\Orvena Windows Client";
  for (bool withVersion : {true, false}) {
    SCOPED_TRACE(withVersion ? "Version=2.1" : "no Version");
    SetUp();
    for (const char* name : {"ov9c.exe", "orvena.ini"}) DeleteFileA((dest + "\\" + name).c_str());
    DeleteFileA((DownloadFolder() + "\\orvena.ini").c_str());
    Deploy("orvena",
           "[Kestrava]\r\n[ORVENA.CAB]\r\nDestDir=" + dest + "\r\n" +
               (withVersion ? "Version=2.1\r\n" : ""),
           {{"md.lst", "ORVENA.CAB,1\r\norvena.ini,1\r\n"},
            {"ORVENA.CAB", In("ORVENA.CAB")},
            {"orvena.ini", "[Orvena]\r\n"}},
           {{"MD_DistFile", "md.lst"}});
    EXPECT_EQ("Orvena client program", FileContent(dest + "\\ov9c.exe"));
    // The settings file joins the folder its client's cabinet named.
    EXPECT_EQ(withVersion ? "[Orvena]\r\n" : "(missing)", FileContent(dest + "\\orvena.ini"));
    EXPECT_EQ(withVersion ? "(missing)" : "[Orvena]\r\n",
              FileContent(DownloadFolder() + "\\orvena.ini"));
    if (!withVersion) {
      EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, user));
      EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, user));
      EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppPaths));
      continue;
    }
    char shortDest[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(dest.c_str(), shortDest, MAX_PATH));
    ASSERT_NE(dest, shortDest);  // the folder's blank makes its 8.3 form differ
    EXPECT_EQ(dest + "\\ov9c.exe", RegSzText(HKEY_LOCAL_MACHINE, versionKey, ""));
    EXPECT_EQ(shortDest, RegSzText(HKEY_LOCAL_MACHINE, versionKey, "InstallPath"));
    EXPECT_EQ(dest + "\\ov9c.exe", RegSzText(HKEY_LOCAL_MACHINE, kAppPaths, ""));
    EXPECT_EQ(dest, RegSzText(HKEY_LOCAL_MACHINE, kAppPaths, "Path"));
    EXPECT_EQ("2500B9008C024B01", RegSzText(HKEY_CURRENT_USER, user, "Pos33"));
  }
}

// A setup program runs from a temporary folder, removed after, only when signed and its name stays
// in that folder; a library in the cabinet registers itself only when signed.
TEST_F(InstallationTest, RunCabinetStartsOnlyATrustedProgramInATemporaryFolder) {
  const std::string program = SetupFolder() + "\\setup.exe";
  const std::string stubLog = TestEnvDir() + "\\run-cabinet-stub.log";
  const std::string security = "Web-to-Host Control\tSecurity error 800B0100 ";
  const struct {
    const char* cabinet;
    std::string run;
    std::vector<std::string> boxes;  // their beginnings
    const char* registered;          // the library that registered itself
    std::string logged;
  } rows[] = {
      {"SETUP.CAB", "setup.exe", {}, "kvftp.dll", ""},
      {"UNSIGNED.CAB", "setup.exe",
       {security + "registering library " + SetupFolder() + "\\kvwhll.dll:\\r\\n",
        security + "executing program " + program + ":\\r\\n"},
       "", ""},
      // It would name the very program above.
      {"SETUP.CAB", "..\\wevlnk\\setup.exe", {}, "kvftp.dll",
       "   SETUP.CAB: Run=..\\wevlnk\\setup.exe leaves the extraction folder; it is not run."},
      // A cut name would be some other program.
      {"SETUP.CAB", std::string(260, 'R') + ".exe", {}, "kvftp.dll",
       "   [SETUP.CAB] Run is longer than 259 characters; it is not used."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.cabinet) + " Run=" + row.run.substr(0, 20));
    SetUp();
    DeleteFileA(stubLog.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog.c_str());
    HostRun run = Deploy("run", std::string("[Kestrava]\r\n[") + row.cabinet + "]\r\nRun=" +
                                    row.run + "\r\n",
                         {{"vt.lst", std::string(row.cabinet) + ",1\r\n"},
                          {row.cabinet, In(row.cabinet)}},
                         {{"VT_DistFile", "vt.lst"}});
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", nullptr);
    const bool started = row.run == "setup.exe" && row.boxes.empty();
    const std::string stub = WithoutRunFolderNumber(FileContent(stubLog));
    EXPECT_EQ(started, stub.find("start kind=? mode=? cmd=\"" + program + "\" cwd=" +
                                 SetupFolder()) != std::string::npos)
        << stub;
    ASSERT_EQ(row.boxes.size(), run.boxes.size());
    for (size_t i = 0; i < row.boxes.size(); ++i) {
      EXPECT_EQ(0u, WithoutRunFolderNumber(run.boxes[i]).find(row.boxes[i])) << run.boxes[i];
      EXPECT_EQ("\t0x10030\tworker", run.boxes[i].substr(run.boxes[i].size() - 15));
    }
    for (const char* library : {"kvftp.dll", "kvwhll.dll"}) {
      EXPECT_EQ(strcmp(library, row.registered) == 0,
                RegSzText(HKEY_CURRENT_USER, kProbeKey, library) != "(none)")
          << library;
    }
    EXPECT_TRUE(row.logged.empty() || Logged(row.logged)) << row.logged;
    size_t left = 0;
    ForEachFound(TempFolder() + "\\wevlnk*", [&](const WIN32_FIND_DATAA&) { ++left; });
    EXPECT_EQ(0u, left);
  }
}

}  // namespace
