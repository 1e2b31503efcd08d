// Installation of downloaded files through the real control in the test
// container: compressed files expanded with the platform's version
// installer, the in-use branch, fonts, cabinets extracted by SetupAPI with
// their folders, sibling client settings, setup programs and
// self-registering libraries. Inputs are made at build time
// (make_install_inputs.cmake); assertions are on the prefix's files and
// registry, the event log, the recorded boxes and the stand-in's record.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string.h>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Params;

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char kDesktopRoot[] = "Software\\MARROCK\\Kestrava";
const char kProbeKey[] = "Software\\Wevelink Tests\\Registrations";
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kNtFonts[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char k9xFonts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ov9c.exe";

std::string Input(const std::string& name) {
  return WinPathFromUnix(std::string(INSTALL_INPUTS_UNIX) + "/" + name);
}
std::string Stub(const std::string& name) {
  return WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + name);
}

std::string Le32(long value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = (char)((unsigned long)value >> (8 * i));
  return bytes;
}

void StoreVersion(const char* root, const std::string& name, long version) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, root, 0, nullptr, 0, KEY_SET_VALUE,
                                           nullptr, &key, nullptr));
  std::string bytes = Le32(version);
  RegSetValueExA(key, name.c_str(), 0, REG_BINARY, (const BYTE*)bytes.data(), 4);
  RegCloseKey(key);
}

// A REG_SZ value as its bytes with the terminator, "(none)" or "(type N)".
std::string RegText(HKEY hive, const std::string& key, const std::string& name) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValue(hive, key, name, &type, &bytes)) return "(none)";
  return type == REG_SZ ? bytes : "(type " + std::to_string(type) + ")";
}
std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), ::tolower);
  return text;
}

std::string WindowsFolder() {
  char folder[MAX_PATH];
  GetWindowsDirectoryA(folder, MAX_PATH);
  return folder;
}
std::string TempFolder() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return folder;  // ends in "\"
}

// Every file below folder whose name begins with prefix.
void FindFiles(const std::string& folder, const std::string& prefix,
               std::vector<std::string>* found) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) FindFiles(path, prefix, found);
    } else if (Lower(name).compare(0, prefix.size(), prefix) == 0) {
      found->push_back(path);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
}

class InstallationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    DWORD exitCode = 255;
    ASSERT_TRUE(RunProgram("\"" + Stub("trust-cert.exe") + "\" \"" +
                               Stub("cert/test-publisher.cer") + "\"",
                           60000, &exitCode));
    ASSERT_EQ(0u, exitCode);
  }
  void SetUp() override {
    DeleteEventLogs();
    SetServerRules("");
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      DeleteRegTree(hive, "Software\\MARROCK");
    }
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\Wevelink Tests");
    DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPaths);
  }

  // Publishes the site under folder, each file given by its content, and
  // returns its page.
  std::string Site(const std::string& folder, const std::string& ini, const Params& files,
                   const Params& params) {
    PublishPage(folder + "/site.ini", ini);
    for (const auto& file : files) PublishPage(folder + "/" + file.first, file.second);
    Params all = {{"LogEvents", "Y"}, {"IniFile", "site.ini"}};
    all.insert(all.end(), params.begin(), params.end());
    return PublishPage(folder + "/index.htm", ControlPage(all));
  }
  // The content of a build-time input.
  static std::string In(const std::string& name) { return FileContent(Input(name)); }

  HostRun Deploy(const std::string& page, const std::string& windowsVersion = "") {
    DeleteEventLogs();
    HostRun run = windowsVersion.empty() ? RunHost({page}) : RunHostUnder(windowsVersion, {page});
    EXPECT_TRUE(run.finished);
    lines_ = LogLinesWithoutStamps(ReadOnlyEventLog());
    return run;
  }
  std::vector<std::string> lines_;
};

TEST_F(InstallationTest, CompressedFilesExpandWhereTheyBelongAndUnknownOnesStayDue) {
  const std::string install = TestEnvDir() + "\\expand-desktop\\install";
  const std::string work = TestEnvDir() + "\\expand-desktop\\work";
  const struct {
    const char* mode;
    std::string ini;
    const char* root;
    std::string compressedFolder;  // where the download puts it
    std::string expandedPath;      // where it is installed
    const char* name;
    const char* source;
  } cases[] = {
      {"web", "[Kestrava]\r\n", kWebRoot, DownloadFolder(), DownloadFolder() + "\\KVMD.EXe",
       "KVMD.EX_", "KVMD.EXE"},
      // Downloaded to the installation folder, expanded into the working
      // folder's Config, and found there on the next load.
      {"desktop", "[Kestrava]\r\nDesktopMode=desk.ini\r\n", kDesktopRoot, install,
       work + "\\Config\\HOST.ZMd", "HOST.ZM_", "HOST.ZMD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    SetUp();
    const std::string folder = std::string("expand-") + c.mode;
    PublishPage(folder + "/desk.ini", "[KVSetup]\r\nDestinationDir=" + install +
                                          "\r\nWorkingDir=" + work + "\r\n");
    DeleteFileA(c.expandedPath.c_str());
    std::string page = Site(folder, c.ini,
                            {{"md.lst", std::string(c.name) + ",3\r\nODD.QQ_,3\r\n"},
                             {c.name, In(c.name)},
                             {"ODD.QQ_", In("ODD.QQ_")}},
                            {{"MD_DistFile", "md.lst"}});
    HostRun run = Deploy(page);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ(In(c.source), FileContent(c.expandedPath));
    // Stored under the table's name, its case included.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(c.expandedPath.c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    FindClose(search);
    EXPECT_EQ(c.expandedPath.substr(c.expandedPath.rfind('\\') + 1), found.cFileName);
    EXPECT_FALSE(FileExists(c.compressedFolder + "\\" + c.name));
    EXPECT_EQ(Le32(3), RegBinary(HKEY_LOCAL_MACHINE, c.root, c.name));
    // Outside the table: left as downloaded, not recorded.
    EXPECT_EQ("(none)", RegBinary(HKEY_LOCAL_MACHINE, c.root, "ODD.QQ_"));
    EXPECT_TRUE(HasLine(lines_, "   ODD.QQ_: no expansion is known for this compressed name; "
                                "it is not installed."));
    Deploy(page);
    EXPECT_EQ(1u, ServerLogFor("/" + folder + "/" + c.name).size());
    EXPECT_EQ(2u, ServerLogFor("/" + folder + "/ODD.QQ_").size());
  }
}

// Holds a file open without letting others delete it, as a process that
// has the library in use does.
struct HeldOpen {
  HANDLE file;
  explicit HeldOpen(const std::string& path)
      : file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr)) {}
  ~HeldOpen() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

void SetPendingRenames(const char* text) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != 0) return;
  if (text == nullptr) {
    RegDeleteValueA(key, "PendingFileRenameOperations");
  } else {
    RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_SZ, (const BYTE*)text,
                   (DWORD)strlen(text) + 1);
  }
  RegCloseKey(key);
}

TEST_F(InstallationTest, LibraryInUseIsReplacedAtRestartOnNtOnly) {
  const std::string installed = DownloadFolder() + "\\KVWHLL.DLL";
  const std::string compressed = DownloadFolder() + "\\KVWHLL.DL_";
  const std::string rootCopy = WindowsFolder().substr(0, 3) + "KVWHLL.DLl";
  const char* notice =
      "Web-to-Host Control\tThe Kestrava Host Automation Object is currently in use ... you will "
      "need to restart your computer before the update will take effect.\t0x10040\tui";
  const struct {
    const char* what;
    const char* version;
    bool blocked;  // the pending renames hold a value the platform will not extend
    bool nt;
  } cases[] = {{"NT", "", false, true},
               {"NT, move not scheduled", "", true, true},
               {"NT 4", "nt40", false, true},
               {"98", "win98", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool nt = c.nt;
    SetUp();
    DeleteFileA(installed.c_str());
    DeleteFileA(rootCopy.c_str());
    SetPendingRenames(c.blocked ? "blocked" : nullptr);
    ASSERT_TRUE(CopyFileA(Input("KVWHLL.DLL").c_str(), installed.c_str(), FALSE));
    StoreVersion(kWebRoot, "KVWHLL.DL_", 1);
    std::string page = Site("in-use", "[Kestrava]\r\n",
                            {{"ftp.lst", "KVWHLL.DL_,2\r\n"}, {"KVWHLL.DL_", In("KVWHLL.DL_")}},
                            {{"FTP_DistFile", "ftp.lst"}});
    HostRun run;
    {
      HeldOpen inUse(installed);
      ASSERT_NE(INVALID_HANDLE_VALUE, inUse.file);
      run = Deploy(page, c.version);
    }
    DWORD type = 0;
    std::string pending;
    bool scheduled = ReadRegValue(HKEY_LOCAL_MACHINE, kSessionManager,
                                  "PendingFileRenameOperations", &type, &pending) &&
                     type == REG_MULTI_SZ;
    if (nt && !c.blocked) {
      EXPECT_EQ(In("KVWHLL.DLL"), FileContent(rootCopy));
      ASSERT_TRUE(scheduled);
      std::string move = Lower("\\??\\" + rootCopy + std::string(1, '\0') + "!\\??\\" +
                               DownloadFolder() + "\\KVWHLL.DLl");
      EXPECT_NE(std::string::npos, Lower(pending).find(move));
      EXPECT_EQ(std::vector<std::string>{notice}, run.boxes);
    } else {
      // Nothing will move a copy in the drive root: none is left there.
      EXPECT_FALSE(FileExists(rootCopy));
      const std::string unscheduled = "   " + DownloadFolder() +
                                      "\\KVWHLL.DLl is in use and its replacement cannot be "
                                      "scheduled: error ";
      EXPECT_EQ(c.blocked, std::any_of(lines_.begin(), lines_.end(), [&](const std::string& l) {
                  return l.compare(0, unscheduled.size(), unscheduled) == 0;
                }));
      EXPECT_FALSE(scheduled);
      EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    }
    // The compressed file goes once the root copy was made; on 98 it waits
    // for a newer version.
    EXPECT_EQ(!nt, FileExists(compressed));
    // The recorded version was still the old one: the library in place,
    // the old file, registered itself.
    std::string registered;
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, kProbeKey, "kvwhll.dll", &registered));
    EXPECT_EQ(Lower(installed), Lower(registered));
    EXPECT_EQ(In("KVWHLL.DLL"), FileContent(installed));
    EXPECT_EQ(Le32(2), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVWHLL.DL_"));

    SetPendingRenames(nullptr);
    DeleteFileA(rootCopy.c_str());
    DeleteFileA(compressed.c_str());
  }
}

TEST_F(InstallationTest, FontsAreInstalledOnceUnderTheFamilysKey) {
  const std::string fonts = WindowsFolder() + "\\Fonts\\";
  const struct {
    const char* version;
    const char* key;
    const char* otherKey;
  } cases[] = {{"", kNtFonts, k9xFonts}, {"nt40", kNtFonts, k9xFonts},
               {"win98", k9xFonts, kNtFonts}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version[0] ? c.version : "NT");
    SetUp();
    for (const char* key : {kNtFonts, k9xFonts}) {
      HKEY k;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                                               KEY_SET_VALUE, nullptr, &k, nullptr));
      RegDeleteValueA(k, "Marrock APL (TrueType)");
      RegDeleteValueA(k, "Marrock OEM (TrueType)");
      RegCloseKey(k);
    }
    DeleteFileA((fonts + "MARRKAPL.TTF").c_str());
    ASSERT_TRUE(WriteFileBytes(fonts + "MARRKOEM.TTF", "present"));
    std::string page = Site("fonts", "[Kestrava]\r\n",
                            {{"md.lst", "MARRKAPL.TTF,1\r\nMARRKOEM.TTF,1\r\n"},
                             {"MARRKAPL.TTF", In("MARRKAPL.TTF")},
                             {"MARRKOEM.TTF", In("MARRKAPL.TTF")}},
                            {{"MD_DistFile", "md.lst"}});
    Deploy(page, c.version);
    EXPECT_EQ(In("MARRKAPL.TTF"), FileContent(fonts + "MARRKAPL.TTF"));
    EXPECT_FALSE(FileExists(DownloadFolder() + "\\MARRKAPL.TTF"));
    EXPECT_EQ(Sz("MARRKAPL.TTF"), RegText(HKEY_LOCAL_MACHINE, c.key, "Marrock APL (TrueType)"));
    EXPECT_EQ("(none)", RegText(HKEY_LOCAL_MACHINE, c.otherKey, "Marrock APL (TrueType)"));
    EXPECT_TRUE(HasLine(lines_, "   Font " + fonts +
                                    "MARRKAPL.TTf installed as Marrock APL (TrueType); 1 font(s) "
                                    "added."));
    // Present already: neither copied nor registered; the download stays.
    EXPECT_EQ("present", FileContent(fonts + "MARRKOEM.TTF"));
    EXPECT_EQ("(none)", RegText(HKEY_LOCAL_MACHINE, c.key, "Marrock OEM (TrueType)"));
    EXPECT_TRUE(FileExists(DownloadFolder() + "\\MARRKOEM.TTF"));
    for (const char* name : {"MARRKAPL.TTF", "MARRKOEM.TTF"}) {
      DeleteFileA((fonts + name).c_str());
      DeleteFileA((DownloadFolder() + "\\" + name).c_str());
    }
  }
}

TEST_F(InstallationTest, OrvenaCabinetWritesItsClientsSettingsOnlyWithAVersion) {
  const std::string dest = TestEnvDir() + "\\orvena client\\program";
  const std::string versionKey = "Software\\MARROCK\\Orvena Windows Client\\Version 2.1";
  const std::string tooLong = TestEnvDir() + "\\" + std::string(260, 'D');
  const struct {
    const char* what;
    bool withVersion;
    bool refusedBetween;  // a cabinet whose DestDir is refused comes before the file
  } cases[] = {{"Version=2.1", true, false},
               {"no Version", false, false},
               {"refused cabinet between", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool withVersion = c.withVersion;
    SetUp();
    for (const char* name : {"ov9c.exe", "ov9c.txt", "orvena.ini"}) {
      DeleteFileA((dest + "\\" + name).c_str());
    }
    DeleteFileA((DownloadFolder() + "\\orvena.ini").c_str());
    std::string ini = "[Kestrava]\r\n[ORVENA.CAB]\r\nDestDir=" + dest + "\r\n" +
                      (withVersion ? "Version=2.1\r\n" : "") +
                      (c.refusedBetween ? "[KVVT.CAB]\r\nDestDir=" + tooLong + "\r\n" : "");
    std::string page = Site("orvena", ini,
                            {{"md.lst", c.refusedBetween
                                            ? "ORVENA.CAB,1\r\nKVVT.CAB,1\r\norvena.ini,1\r\n"
                                            : "ORVENA.CAB,1\r\norvena.ini,1\r\n"},
                             {"ORVENA.CAB", In("ORVENA.CAB")},
                             {"KVVT.CAB", In("KVVT.CAB")},
                             {"orvena.ini", "[Orvena]\r\n"}},
                            {{"MD_DistFile", "md.lst"}});
    HostRun run = Deploy(page);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_EQ("Orvena client program", FileContent(dest + "\\ov9c.exe"));
    EXPECT_EQ("Orvena client notes", FileContent(dest + "\\ov9c.txt"));
    if (withVersion) {
      char shortDest[MAX_PATH];
      ASSERT_NE(0u, GetShortPathNameA(dest.c_str(), shortDest, MAX_PATH));
      ASSERT_NE(dest, shortDest);  // the folder's blank makes its 8.3 form differ
      const std::string program = dest + "\\ov9c.exe";
      EXPECT_EQ(Sz(program), RegText(HKEY_LOCAL_MACHINE, versionKey, ""));
      EXPECT_EQ(Sz(shortDest), RegText(HKEY_LOCAL_MACHINE, versionKey, "InstallPath"));
      EXPECT_EQ(Sz(program), RegText(HKEY_LOCAL_MACHINE, kAppPaths, ""));
      EXPECT_EQ(Sz(dest), RegText(HKEY_LOCAL_MACHINE, kAppPaths, "Path"));
      const std::string user = "Software\\MARROCK\\Orvena Windows Client";
      EXPECT_EQ(Sz("F4FFFFFF00000000000000000000000090010000000000FF010201315465726D696E616C00"
                   "0000000000CCFB680031000000F0FA6800410000000000"),
                RegText(HKEY_CURRENT_USER, user, "Font"));
      EXPECT_EQ(Sz("2500B9008C024B01"), RegText(HKEY_CURRENT_USER, user, "Pos33"));
    }
    if (withVersion && !c.refusedBetween) {
      // The settings file that follows its client's cabinet joins it.
      EXPECT_EQ("[Orvena]\r\n", FileContent(dest + "\\orvena.ini"));
      EXPECT_FALSE(FileExists(DownloadFolder() + "\\orvena.ini"));
    } else if (withVersion) {
      // Only the last cabinet names the client folder, a refused one too.
      EXPECT_FALSE(FileExists(dest + "\\orvena.ini"));
      EXPECT_EQ("[Orvena]\r\n", FileContent(DownloadFolder() + "\\orvena.ini"));
    } else {
      EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\MARROCK\\Orvena Windows Client"));
      EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\MARROCK\\Orvena Windows Client"));
      EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppPaths));
      EXPECT_FALSE(FileExists(dest + "\\orvena.ini"));
      EXPECT_EQ("[Orvena]\r\n", FileContent(DownloadFolder() + "\\orvena.ini"));
      EXPECT_TRUE(HasLine(lines_, "   orvena.ini stays where it was downloaded: no Orvena "
                                  "cabinet has named its folder."));
    }
    EXPECT_EQ(Le32(1), RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "orvena.ini"));
  }
}

TEST_F(InstallationTest, RunCabinetStartsOnlyATrustedProgramInATemporaryFolder) {
  const std::string folder = TempFolder() + "wevlnk";
  const std::string program = folder + "\\setup.exe";
  const std::string stubLog = TestEnvDir() + "\\run-cabinet-stub.log";
  const struct {
    const char* cabinet;
    bool runs;
  } cases[] = {{"SETUP.CAB", true}, {"UNSIGNED.CAB", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cabinet);
    SetUp();
    DeleteFileA(stubLog.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", stubLog.c_str());
    std::string ini = std::string("[Kestrava]\r\n[") + c.cabinet + "]\r\nRun=setup.exe\r\n";
    std::string page = Site("run", ini,
                            {{"vt.lst", std::string(c.cabinet) + ",1\r\n"},
                             {c.cabinet, In(c.cabinet)}},
                            {{"VT_DistFile", "vt.lst"}});
    HostRun run = Deploy(page);
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", nullptr);
    std::vector<std::string> record = ReadLines(stubLog);
    if (c.runs) {
      EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
      ASSERT_FALSE(record.empty());
      const std::string start = "start kind=? mode=? cmd=\"" + program + "\" cwd=" + folder;
      EXPECT_NE(std::string::npos, record[0].find(start)) << record[0];
    } else {
      EXPECT_TRUE(record.empty());
      ASSERT_EQ(1u, run.boxes.size());
      const std::string box = "Web-to-Host Control\tSecurity error 800B0100 executing program " +
                              program + ":\\r\\n";
      EXPECT_EQ(0u, run.boxes[0].find(box)) << run.boxes[0];
      EXPECT_EQ("\t0x10030\tworker", run.boxes[0].substr(run.boxes[0].size() - 15));
    }
    // Emptied and removed either way.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
  }
}

TEST_F(InstallationTest, DesktopCabinetRenamesProgramsAndPlacesOtherFilesByType) {
  const std::string install = TestEnvDir() + "\\desktop-cabinet\\install";
  const std::string work = TestEnvDir() + "\\desktop-cabinet\\work";
  PublishPage("desktop-cabinet/desk.ini", "[KVSetup]\r\nDestinationDir=" + install +
                                              "\r\nWorkingDir=" + work + "\r\n");
  std::string page = Site("desktop-cabinet", "[Kestrava]\r\nDesktopMode=desk.ini\r\n",
                          {{"vt.lst", "KVVT.CAB,1\r\n"}, {"KVVT.CAB", In("KVVT.CAB")}},
                          {{"VT_DistFile", "vt.lst"}});
  HostRun run = Deploy(page);
  EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
  EXPECT_EQ("VT session program", FileContent(install + "\\KVVT.EXE"));
  EXPECT_FALSE(FileExists(install + "\\KVVT.PRO"));
  EXPECT_EQ("session configuration", FileContent(work + "\\Config\\host.zmd"));
  EXPECT_FALSE(FileExists(install + "\\host.zmd"));
  EXPECT_EQ("read me", FileContent(install + "\\readme.txt"));
  EXPECT_EQ(Le32(1), RegBinary(HKEY_LOCAL_MACHINE, kDesktopRoot, "KVVT.CAB"));
}

TEST_F(InstallationTest, CabinetSettingsTooLongAreRefusedNotCut) {
  const std::string parent = TestEnvDir() + "\\long-settings";
  CreateDirectoryA(parent.c_str(), nullptr);
  const std::string longDir = parent + "\\" + std::string(260, 'D');
  const struct {
    const char* key;
    std::string section;
    const char* line;
  } cases[] = {
      {"DestDir", "DestDir=" + longDir + "\r\n",
       "   [KVVT.CAB] DestDir is longer than 259 characters; it is not used."},
      {"Run", "Run=" + std::string(260, 'R') + ".exe\r\n",
       "   [KVVT.CAB] Run is longer than 259 characters; it is not used."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    SetUp();
    std::string page = Site("long-settings", "[Kestrava]\r\n[KVVT.CAB]\r\n" + c.section,
                            {{"vt.lst", "KVVT.CAB,1\r\n"}, {"KVVT.CAB", In("KVVT.CAB")}},
                            {{"VT_DistFile", "vt.lst"}});
    HostRun run = Deploy(page);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0];
    EXPECT_TRUE(HasLine(lines_, c.line));
    // Neither a cut folder nor a cut program name is used.
    std::vector<std::string> made;
    FindFiles(parent, "", &made);
    EXPECT_TRUE(made.empty()) << made[0];
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((TempFolder() + "wevlnk").c_str()));
  }
}

TEST_F(InstallationTest, HostileCabinetWritesNothingOutsideItsFolder) {
  const std::string base = TestEnvDir() + "\\hostile";
  const std::string dest = base + "\\a\\b";
  std::string ini = "[Kestrava]\r\n[HOSTILE.CAB]\r\nDestDir=" + dest + "\r\nRun=..\\escape.exe\r\n";
  std::string page = Site("hostile", ini,
                          {{"md.lst", "HOSTILE.CAB,1\r\n"}, {"HOSTILE.CAB", In("HOSTILE.CAB")}},
                          {{"MD_DistFile", "md.lst"}});
  HostRun run = Deploy(page);
  EXPECT_EQ("stays inside", FileContent(dest + "\\ok.txt"));
  std::vector<std::string> escaped;
  FindFiles("C:", "escape", &escaped);
  FindFiles(TestEnvDir(), "escape", &escaped);
  EXPECT_TRUE(escaped.empty()) << escaped[0];
  for (const char* name : {"..\\escape-up.txt", "inner\\..\\..\\escape-inner.txt",
                           "\\escape-rooted.txt", "C:\\escape-drive.txt", "ok.txt:escape-stream"}) {
    EXPECT_TRUE(HasLine(lines_, std::string("   HOSTILE.CAB: ") + name +
                                    " would be written outside the extraction folder; it is "
                                    "skipped."))
        << name;
  }
  // Cut to fit, it would have been written under some other name.
  EXPECT_TRUE(HasLine(lines_, "   HOSTILE.CAB: the target of escape-long-" + std::string(230, 'L') +
                                  ".txt does not fit 259 characters; it is skipped."));
  EXPECT_TRUE(HasLine(lines_, "   HOSTILE.CAB: Run=..\\escape.exe leaves the extraction folder; "
                              "it is not run."));
  // The signed library registered itself once extracted; the unsigned one
  // was never loaded.
  std::string registered;
  EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, kProbeKey, "kvftp.dll", &registered));
  EXPECT_EQ(Lower(dest + "\\kvftp.dll"), Lower(registered));
  EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, kProbeKey, "kvwhll.dll", &registered));
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(0u, run.boxes[0].find("Web-to-Host Control\tSecurity error 800B0100 registering "
                                  "library " + dest + "\\kvwhll.dll:\\r\\n"))
      << run.boxes[0];
}

}  // namespace
