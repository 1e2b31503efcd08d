// The scenario table: a row is a page, its site's files (h/NAME/), server rules and expectations;
// every row also ends cleanly, writes nothing outside the control's folders, harms no installation.
#include <windows.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char kAppPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
const char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kHttpCommand[] = "Software\\Classes\\Http\\Shell\\Open\\Command";
const char kPolicy[] = "Software\\Policies\\MARROCK\\Kestrava\\Web Control";
const std::string kTooLong = "Buffer Overrun Check Failure: ";
const std::string kCacheError = "B:Web-to-Host Control - Cache Error\t";
// Each page left at once; boxes answered soon.
const char kQuick[] = "--stay 0 --box-delay 50";

// Marks: {U} the row's URL, {R} its server path, {P} the port, {D} the download folder, {C} the
// cabinet cache, {N} site.ini's size, {A}/{O} all-users/user desktop, {B}/{W} the browsers App
// Paths/the open command name, {T}/{T2} the test publishers' thumbprints. Expectations: "L:line",
// "P:"/"N:" a line/none beginning so, "B:CAPTION\tTEXT" a box, "F:path=bytes", "R:HKLM\key\name=
// value" (text, 0x hex, "(none)"), "K:link=target | arguments | description | folder",
// "G:path=requests", "X:text" in no log line. "!windows" (as for RunHostUnder), "!browser" (app,
// open, none), "!policy" ("NAME=VALUE;...", entries apart by "|") need a container alone.
struct Row {
  std::string name;
  Pairs params;  // over LogEvents=Y, IniFile=site.ini, CacheRetries=0, CacheTimeout=4000
  Pairs files;   // site.ini is "[Kestrava]" unless given
  std::string rules;
  std::vector<std::string> expect;
};

std::string Failed(const std::string& code, const std::string& url) {
  return kCacheError + "Error " + code + " caching \"" + url + "\" from server.";
}

std::string Input(const std::string& name) {
  return FileContent(WinPathFromUnix(std::string(INSTALL_INPUTS_UNIX) + "/" + name));
}

std::string Le32(unsigned long value) { return LittleEndian32((long)value); }
std::string Le16(unsigned value) { return Le32(value).substr(0, 2); }

// An uncompressed cabinet of 32 KiB blocks whose entries keep any name given, hostile ones too.
std::string Cabinet(const Pairs& entries) {
  std::string data, files;
  for (const auto& entry : entries) {
    files += Le32((unsigned long)entry.second.size()) + Le32((unsigned long)data.size()) +
             Le16(0) + Le16(0x5821) + Le16(0) + Le16(0x20) + entry.first + std::string(1, '\0');
    data += entry.second;
  }
  const size_t dataOffset = 44 + files.size();
  std::string blocks;
  size_t count = 0;
  for (size_t at = 0; at < data.size(); at += 32768, ++count) {
    std::string block = data.substr(at, 32768);
    blocks += Le32(0) + Le16((unsigned)block.size()) + Le16((unsigned)block.size()) + block;
  }
  std::string out = "MSCF" + Le32(0) + Le32((unsigned long)(dataOffset + blocks.size())) +
                    Le32(0) + Le32(44) + Le32(0) + std::string("\x03\x01", 2) + Le16(1) +
                    Le16((unsigned)entries.size()) + Le16(0) + Le16(0x1234) + Le16(0);
  out += Le32((unsigned long)dataOffset) + Le16((unsigned)count) + Le16(0);
  return out + files + blocks;
}

// A desktop-mode site; the group is made only with the progress dialog up, so a file is fetched.
Pairs DesktopSite(const std::string& row, const std::string& groupLine,
                  const std::string& folder = "C:\\hostile\\install") {
  return {{"site.ini", "[Kestrava]\r\nDesktopMode=desk.ini\r\n"},
          {"vt.lst", row + ".txt,1\r\n"},
          {row + ".txt", "a file of " + row},
          {"desk.ini", "[KVSetup]\r\nDestinationDir=" + folder + "\r\nWorkingDir=C:\\hostile\\work"
                           "\r\n[Program Group]\r\nUseGroup=" + (groupLine.empty() ? "N" : "Y") +
                           "\r\n" + groupLine + "\r\n"}};
}

// A kind's browser link and two custom ones, labelled after the row.
Row LinksRow(const std::string& name, const Pairs& setup, const std::vector<std::string>& expect) {
  const std::string site = "[Kestrava]\r\n[Mainframe Display]\r\nShortCutURL=http://h/tso.htm\r\n"
                           "ShortCutLabel=HD " + name + "\r\n[Custom ShortCuts]\r\n"
                           "ShortCut1=C:\\Tools\\app.exe -s 1\r\nShortCutLabel1=Tool " + name +
                           "\r\nShortCut2=C:/Tools/app.exe\r\nShortCutLabel2=Slash " + name +
                           "\r\n";
  return {name, setup, {{"site.ini", site}}, "", expect};
}

std::vector<Row> Rows() {
  const std::string s10k(10000, 's');
  // One character less than the buffer fits; a whole buffer is refused and ends the deployment.
  std::vector<Row> rows = {
      {"cap-ini", {{"IniFile", std::string(255, 'i') + ".ini"}}, {}, "",
       {"L:IniFile=" + std::string(255, 'i') + ".ini",
        kCacheError + "Error 206 caching Initialization File."}},
      {"cap-distfile", {{"MD_DistFile", std::string(59, 'd') + ".lst"}}, {}, "",
       {"L:   Distribution list " + std::string(59, 'd') +
        ".lst could not be fetched; its files are not updated."}},
  };
  const std::vector<std::pair<Pairs, std::string>> over = {
      {{{"CacheRetries", std::string(16, '0')}}, "N:IniFile="},
      {{{"MaxConnsPerServer", std::string(16, '0')}}, "N:Maximum connections"},
      {{{"MaxConnsPer10Server", std::string(16, '9')}}, "N:Maximum connections"},
      {{{"IniFile", std::string(256, 'i') + ".ini"}}, "N:Server URL"},
      {{{"MD_DistFile", std::string(60, 'd') + ".lst"}}, "N:Sessions: "},
      {{{"Sessions", std::string(64, 'M')}}, "N:Launching Sessions"},
  };
  for (const auto& o : over) {
    const std::string& name = o.first.back().first;
    rows.push_back({"over-" + LowerCase(name), o.first, {}, "",
                    {"P:" + kTooLong + name + " ... operation aborted.", o.second}});
  }
  // LogEvents itself: the log is not open, the box says it.
  rows.push_back({"over-logevents", {{"LogEvents", "Y" + std::string(15, 'e')}}, {}, "",
                  {"B:Web-to-Host Control\t" + kTooLong + "LogEvents ... operation aborted."}});
  // Values far past any buffer are read, cut, to the file's end.
  rows.push_back({"ini-long-value", {},
                  {{"site.ini", "[Kestrava]\r\nCDVersion=" + s10k + "\r\nBaseRegistry=" + s10k +
                                    "\r\n"}}, "",
                  {"L:   Successfully cached {N} bytes.", "L:Desktop Mode is Disabled"}});
  const std::string szdd = Input("KVMD.EX_");
  const std::string web = kWebRoot;
  rows.insert(rows.end(), {
      // A network that answers every request with its login page.
      {"portal-list", {{"VT_DistFile", "md.lst"}},
       {{"md.lst", "\r\n<!DOCTYPE html>\r\n<html><body>Sign in\r\n</body></html>\r\n"}}, "",
       {kCacheError + "Distribution list md.lst is a web page, not a list; none of it is used.",
        "N:   <"}},
      {"portal-ini", {{"IniFile", "portal.ini"}},
       {{"portal.ini", "<html>\r\n[Kestrava]\r\nDesktopMode=x.ini\r\n</html>\r\n"}}, "",
       {kCacheError + "Initialization File portal.ini is a web page, not an initialization file; "
                      "none of it is used.",
        "L:Desktop Mode is Disabled", "F:{D}\\portal.ini="}},
      // A login page in a program's place stays out; the one installed before stays and starts.
      {"portal-before", {{"AD_DistFile", "ad.lst"}},
       {{"ad.lst", "KVAD.PRO,1\r\n"}, {"KVAD.PRO", StandInProgram("KVAD.PRO")}}, "",
       {"G:{R}/KVAD.PRO=1"}},
      {"portal-program", {{"AD_DistFile", "ad.lst"}, {"Sessions", "AD_S1"}, {"AD_S1", "h.zad"}},
       {{"ad.lst", "KVAD.PRO,2\r\nUNSIGNED.EX_,1\r\n"}, {"KVAD.PRO", "<html>Sign in</html>"},
        {"UNSIGNED.EX_", Input("UNSIGNED.EX_")}}, "",
       {"B:Web-to-Host Control\tSecurity error 800B0003 installing {D}\\KVAD.PRO:\\r\\nThe "
        "file is not a program or library whose signature can be checked.",
        "B:Web-to-Host Control\tSecurity error 800B0100 installing {D}\\UNSIGNED.EXe:\\r\\nNo "
        "Signature found in file.",
        "F:{D}\\KVAD.PRO=" + StandInProgram("KVAD.PRO"), "F:{D}\\UNSIGNED.EXe=(missing)",
        "F:{D}\\UNSIGNED.EX_=(missing)", "R:HKLM\\" + web + "\\KVAD.PRO=0x01000000",
        "R:HKLM\\" + web + "\\UNSIGNED.EX_=(none)", "P:{D}\\KVAD.PRO /s1 /f\"h.zad\"",
        "N:Security error 800B0003 launching"}},
      // A password and sign-on values reach the session, never the log.
      {"mask-password", {{"Sessions", "MD_S1"}, {"MD_S1", "h.zmd"}, {"MD_S1_Password", "secret"}},
       {}, "", {"L:{D}\\KVMD.PRO /s1 /f\"h.zmd\" /P******** /qy3270D /u1 /@", "X:secret"}},
      // With the personal working folder, web mode expands configurations where it downloads.
      {"personal-expand", {{"MD_DistFile", "md.lst"}},
       {{"site.ini", "[Kestrava]\r\nUsePersonalFolderAsWorkingDir=Y\r\n"},
        {"md.lst", "TSO.ZM_,1\r\n"}, {"TSO.ZM_", szdd}}, "",
       {"F:{D}\\TSO.ZMd=" + Input("KVMD.EXE")}},
      {"policy-unapproved", {{"!policy", "ApprovedSites=http://elsewhere/h|{U}x"}}, {}, "",
       {"B:Web-to-Host Control\tServer URL {U} is not an approved site; nothing is downloaded "
        "from it.",
        "G:{R}/site.ini=0", "L:Policy approves {U}x"}},
      {"policy-approved", {{"!policy", "ApprovedSites=http://elsewhere/h|{U}"}}, {}, "",
       {"G:{R}/site.ini=1", "L:Desktop Mode is Disabled"}},
      // Two publishers the workstation trusts; the policy lists one.
      {"policy-publisher-unlisted",
       {{"!policy", "TrustedPublishers={T}"}, {"MD_DistFile", "md.lst"}, {"Sessions", "MD_S1"},
        {"MD_S1", "h.zmd"}},
       {{"md.lst", "KVMD.PRO,1\r\n"}, {"KVMD.PRO", StandInProgram("KVMD.PRO", "second")}}, "",
       {"P:Security error 800B0004 installing {D}\\KVMD.PRO:",
        "P:Its publisher (certificate thumbprint {T2}) is not approved"}},
      {"policy-publisher-listed",
       {{"!policy", "TrustedPublishers=00112233445566778899AABBCCDDEEFF00112233|{T}"},
        {"MD_DistFile", "md.lst"}, {"Sessions", "MD_S1"}, {"MD_S1", "h.zmd"}},
       {{"md.lst", "KVMD.PRO,2\r\n"}, {"KVMD.PRO", StandInProgram("KVMD.PRO")}}, "",
       {"L:Policy trusts publisher {T}", "N:Security error"}},
      {"percent-format-ini", {{"IniFile", "%s%n%d%x.ini"}}, {}, "",
       {"L:IniFile=%s%n%d%x.ini", "L:Starting caching of {U}/%s%n%d%x.ini"}},
      {"retries-huge", {{"CacheRetries", "100000"}}, {}, "{R}/site.ini status=503\n",
       {"L:Cache Retries of 100000 is more than 100; 100 retries are made.",
        "L:Cache Retries is 100", Failed("503", "{U}/site.ini")}},
      // Names that would lead out of the control's folders.
      {"ini-device-name", {{"IniFile", "sub/CON"}}, {}, "",
       {kCacheError + "Initialization File sub/CON names no file that can be kept."}},
      {"list-absolute", {{"VT_DistFile", "md.lst"}},
       {{"md.lst", "C:\\windows\\evil.txt,1\r\nGOOD.TXT,9\r\n"}, {"evil.txt", "e"}},
       "{R}/GOOD.TXT status=500\n{R}/C:/windows/evil.txt redirect={R}/evil.txt\n",
       {"L:   C:\\windows\\evil.txt: Distribution Version is 1",
        "L:   Successfully cached 1 bytes.",
        Failed("500", "{U}/GOOD.TXT")}},
      {"cab-escapes", {{"VT_DistFile", "md.lst"}},
       {{"md.lst", "EVIL.CAB,1\r\n"},
        {"EVIL.CAB", Cabinet({{"..\\evil.txt", "e"}, {"GOOD.TXT:evil", "e"}, {"ok.txt", "ok"}})}},
       "", {"L:   EVIL.CAB: ..\\evil.txt would be written outside the extraction folder; "
            "it is skipped.", "P:   EVIL.CAB: GOOD.TXT:evil would be written outside"}},
      {"cab-over-installed", {{"VT_DistFile", "md.lst"}},
       {{"md.lst", "OVER.CAB,1\r\n"},
        {"OVER.CAB", Cabinet({{"GOOD.TXT", std::string(70000, 'x')}}).substr(0, 40000)}}, "",
       {"L:   {D}\\GOOD.TXT could not be extracted: 32768 of its 70000 bytes arrived",
        "P:   {C}\\OVER.CAB could not be extracted: error "}},
      {"szdd-cut", {{"VT_DistFile", "md.lst"}},
       {{"md.lst", "KVMD.EX_,9\r\n"}, {"KVMD.EX_", szdd.substr(0, szdd.size() / 2)}}, "",
       {"P:   KVMD.EX_ is damaged: it decodes to "}},
      {"cookie-unparsed", {{"Sessions", "MD_S1"}, {"MD_S1", "host.zmd"}, {"MD_S1_Blk", "c.txt"}},
       {{"c.txt", "blkcookie=!!!!$$$$****====="}}, "",
       {"B:Blockade API Error\tblk_ParseCookie( ) returned error code 504."}},
      // Servers that misbehave, on the initialization file and on a listed file.
      {"server-more-than-announced", {{"VT_DistFile", "md.lst"}},
       {{"md.lst", "NEW.TXT,1\r\n"}, {"NEW.TXT", std::string(3000, 'n')}}, "{R}/NEW.TXT length=5\n",
       {"L:   Content length is 5 bytes.", "L:   NEW.TXT: Distribution Version is 1"}},
      // A server that stops answering is not asked for the list's other files.
      {"server-stops", {{"VT_DistFile", "stop.lst"}, {"CacheTimeout", "1000"}},
       {{"stop.lst", "STOPA.PRO,1\r\nSTOPB.PRO,1\r\n"}, {"STOPA.PRO", s10k}, {"STOPB.PRO", s10k}},
       "{R}/STOPA.PRO stall-after=200\n",
       {kCacheError + "Error 10060 caching file from server.", "G:{R}/STOPB.PRO=0",
        "L:   STOPB.PRO is not fetched: the server stopped answering."}},
      // An ordinary file, last of its group: its settings are the ones kept.
      {"ini-cached", {{"IniFile", "cached.ini"}, {"CacheTimeout", "15000"},
                      {"MaxConnsPerServer", "300"}, {"MaxConnsPer10Server", "many"}},
       {{"cached.ini", "[Kestrava]\r\nCDVersion=9.9Z\r\n"}}, "",
       {"L:Server URL is {U} on Port {P}", "L:Cache Timeout is 15000 milliseconds",
        "L:Starting caching of {U}/cached.ini", "L:   Content length is 28 bytes.",
        "L:   Successfully cached 28 bytes.", "F:{D}\\cached.ini=[Kestrava]\r\nCDVersion=9.9Z\r\n",
        "R:HKLM\\Software\\MARROCK\\Kestrava Web\\CDVersion=9.9Z",
        "R:HKCU\\" + std::string(kInternetSettings) + "\\MaxConnectionsPerServer=0x2c010000",
        "R:HKCU\\" + std::string(kInternetSettings) + "\\MaxConnectionsPer1_0Server=0x00000000"}},
      // Desktop mode, which a page switches on for the life of the module: containers of their own.
      {"|", {}, {}, "", {}},
      {"desk-destdir-slashes", {{"VT_DistFile", "vt.lst"}},
       DesktopSite("desk-destdir-slashes", "", "C:/hostile/install/slash"), "",
       {"N:Program Manager: [CreateGroup",
        "F:C:\\hostile\\install\\slash\\desk-destdir-slashes.txt=a file of desk-destdir-slashes",
        "R:HKLM\\Software\\MARROCK\\Kestrava\\Installation Directory=C:\\hostile\\install\\slash"}},
      {"|", {}, {}, "", {}},
      {"desk-group-path", {{"VT_DistFile", "vt.lst"}},
       DesktopSite("desk-group-path", "GroupName=..\\..\\..\\..\\evil"), "",
       {"L:Program Manager: ..\\..\\..\\..\\evil cannot be sent and is left out.",
        "L:Program Manager: the group's items are left out with it."}},
      {"desk-destdir-long", {},
       DesktopSite("desk-destdir-long", "", "C:\\hostile\\" + std::string(300, 'd')), "",
       {"L:[KVSetup] DestinationDir is longer than 259 characters; it is not used."}},
      {"desk-destdir-relative", {},
       DesktopSite("desk-destdir-relative", "", "..\\..\\..\\hostile-relative"), "",
       {"L:[KVSetup] DestinationDir=..\\..\\..\\hostile-relative is not a full folder path; "
        "it is not used."}},
      {"desk-destdir-device", {{"VT_DistFile", "vt.lst"}},
       DesktopSite("desk-destdir-device", "", "C:\\hostile\\CON\\x"), "",
       {"L:Error 3 writing to C:\\hostile\\CON\\x\\desk-destdir-device.txt."}},
      // A module keeps the first desktop initialization file it reads: containers of their own.
      {"|", {}, {}, "", {}},
      {"desk-ini-device", {}, {{"site.ini", "[Kestrava]\r\nDesktopMode=sub\\NUL.ini\r\n"}}, "",
       {"B:Web-to-Host Control - Installation Error\tDesktop Initialization File sub\\NUL.ini "
        "names no file that can be kept."}},
      {"|", {}, {}, "", {}},
      // A web page's links by the browser registered and the family.
      LinksRow("links-app", {{"!browser", "app"}},
               {"K:{A}\\HD links-app.LNK={B} | http://h/tso.htm | HD links-app | {D}",
                "K:{A}\\Tool links-app.Lnk=C:\\Tools\\app.exe | -s 1 | Tool links-app | {D}",
                "K:{A}\\Slash links-app.Lnk={B} | C:/Tools/app.exe | Slash links-app | {D}"}),
      LinksRow("links-open", {{"!browser", "open"}},
               {"K:{A}\\HD links-open.LNK={W} | http://h/tso.htm | HD links-open | {D}",
                "K:{A}\\Slash links-open.Lnk={W} | C:/Tools/app.exe | Slash links-open | {D}"}),
  });
  // Desktop files go to the all-users desktop on NT, the user's own on 9x (it has no common one).
  for (const char* version : {"win95", "win98", "nt40", "win2k", "winxp"}) {
    const std::string name = std::string("family-") + version;
    const std::string link = std::string("F") + version + ".LNK";
    const bool nt = version[0] != 'w' || version[3] != '9';
    Pairs files = DesktopSite(name, "");
    files.push_back({"md.lst", link + ",4\r\n"});
    files.push_back({link, "shortcut for " + name});
    rows.push_back({name, {{"!windows", version}, {"MD_DistFile", "md.lst"}}, files, "",
                    {std::string("F:") + (nt ? "{A}" : "{O}") + "\\" + link + "=shortcut for " +
                     name, std::string("F:") + (nt ? "{O}" : "{A}") + "\\" + link + "=(missing)",
                     "R:HKLM\\Software\\MARROCK\\Kestrava\\" + link + "=0x04000000"}});
  }
  return rows;
}

// The parameters of a row's page over the defaults (their order does not matter).
Pairs PageParams(const Row& row) {
  std::map<std::string, std::string> params = {{"LogEvents", "Y"}, {"IniFile", "site.ini"},
                                               {"CacheRetries", "0"}, {"CacheTimeout", "4000"}};
  for (const auto& given : row.params) {
    if (given.first[0] != '!') params[given.first] = given.second;
  }
  return Pairs(params.begin(), params.end());
}

std::string Setting(const Row& row, const std::string& name) {
  for (const auto& param : row.params) {
    if (param.first == name) return param.second;
  }
  return "";
}

std::string Hex(const std::string& bytes, const char* digits = "0123456789abcdef") {
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// A value as text, "0x" and hex for bytes, "(none)" when missing.
std::string RegText(const std::string& path) {
  const size_t slash = path.find('\\'), last = path.rfind('\\');
  HKEY hive = path.compare(0, slash, "HKCU") == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValue(hive, path.substr(slash + 1, last - slash - 1), path.substr(last + 1), &type,
                    &bytes)) {
    return "(none)";
  }
  if (type == REG_SZ) return bytes.substr(0, bytes.find('\0'));
  return "0x" + Hex(bytes);
}

void SetValue(const char* key, const char* name, DWORD type, const std::string& bytes) {
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, type, bytes.data(),
                                           (DWORD)bytes.size())) << key;
}

// The copies App Paths and the open command name (the latter's folder has a blank: it is quoted).
std::string Browser() { return TestEnvDir() + "\\browser\\iexplore.exe"; }
std::string OpenedBrowser() { return TestEnvDir() + "\\Web Browser\\iexplore.exe"; }

void RegisterBrowser(const std::string& how) {
  DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\Http");
  DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPath);
  const std::string open = "\"" + OpenedBrowser() + "\" \"%1\"";
  if (how == "app" || how == "open") SetValue(kHttpCommand, nullptr, REG_SZ, open + '\0');
  if (how == "app") SetValue(kAppPath, nullptr, REG_SZ, Browser() + '\0');
}

// The machine policy of a row's "!policy" setting; none for an empty one.
void SetPolicy(const std::string& values) {
  DeleteRegTree(HKEY_LOCAL_MACHINE, kPolicy);
  for (size_t at = 0; at < values.size();) {
    size_t end = values.find(';', at);
    if (end == std::string::npos) end = values.size();
    const std::string entry = values.substr(at, end - at);
    const size_t eq = entry.find('=');
    std::string list = entry.substr(eq + 1) + std::string(2, '\0');
    std::replace(list.begin(), list.end(), '|', '\0');
    SetValue(kPolicy, entry.substr(0, eq).c_str(), REG_MULTI_SZ, list);
    at = end + 1;
  }
}

// The SHA-1 of a test publisher's certificate, as an administrator lists it.
std::string PublisherThumbprint(const char* certificate) {
  const std::string der = StandInProgram(certificate, "cert");
  BYTE hash[20];
  DWORD size = sizeof hash;
  if (!CryptHashCertificate(0, CALG_SHA1, 0, (const BYTE*)der.data(), (DWORD)der.size(), hash,
                            &size)) {
    return "(no thumbprint)";
  }
  return Hex(std::string((const char*)hash, size), "0123456789ABCDEF");
}

// The installed state a failing row must leave alone: the text, the program and their versions.
std::vector<std::string> ReadInstalled() {
  return {FileContent(DownloadFolder() + "\\GOOD.TXT"),
          FileContent(DownloadFolder() + "\\KVMD.EXe"),
          RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "GOOD.TXT"),
          RegBinary(HKEY_LOCAL_MACHINE, kWebRoot, "KVMD.EX_")};
}

void DeleteLinks(const std::string& folder, const std::string& pattern) {
  ForEachFound(folder + "\\" + pattern, [&](const WIN32_FIND_DATAA& found) {
    SetFileAttributesA((folder + "\\" + found.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((folder + "\\" + found.cFileName).c_str());
  });
}

class HostileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(RegisterControl());
    CoInitialize(nullptr);
    ResetDeployment();
    for (const std::string& browser : {Browser(), OpenedBrowser()}) {
      CreateDirectoryA(browser.substr(0, browser.rfind('\\')).c_str(), nullptr);
      ASSERT_TRUE(CopyFileA(HostExePath().c_str(), browser.c_str(), FALSE));
    }
    // The good installation each group starts from, as ReadInstalled reads it: both of version 3.
    good_ = {"the installed text\r\n", Input("KVMD.EXE"), Le32(3), Le32(3)};
    CreateDirectoryA(DownloadFolder().c_str(), nullptr);
  }
  // What the rows left for the tests after them.
  static void TearDownTestSuite() {
    RegisterBrowser("none");
    ResetDeployment();
    RemoveTree(DownloadFolder());
    CreateDirectoryA(DownloadFolder().c_str(), nullptr);
    RemoveTree("C:\\hostile");
    RemoveTree("C:\\Program Files\\MARROCK");
    for (int desktop : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
      for (const char* pattern : {"*links-*", "F*.LNK", "a-b-c-*"}) {
        DeleteLinks(ShellFolder(desktop), pattern);
      }
    }
    CoUninitialize();
  }

  static std::string Expand(const std::string& text, const Row& row) {
    const std::string folder = "/h/" + row.name;
    std::string ini = "[Kestrava]\r\n";
    for (const auto& file : row.files) {
      if (file.first == "site.ini") ini = file.second;
    }
    const std::pair<std::string, std::string> marks[] = {
        {"{U}", BaseUrl() + folder}, {"{R}", folder}, {"{P}", std::to_string(HttpPort())},
        {"{D}", DownloadFolder()}, {"{C}", ActiveXCacheFolder()},
        {"{N}", std::to_string(ini.size())}, {"{A}", ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY)},
        {"{O}", ShellFolder(CSIDL_DESKTOPDIRECTORY)}, {"{B}", Browser()}, {"{W}", OpenedBrowser()},
        {"{T}", PublisherThumbprint("test-publisher.cer")},
        {"{T2}", PublisherThumbprint("second-publisher.cer")},
    };
    std::string out = text;
    for (const auto& mark : marks) {
      for (size_t at = out.find(mark.first); at != std::string::npos;
           at = out.find(mark.first, at + mark.second.size())) {
        out.replace(at, mark.first.size(), mark.second);
      }
    }
    return out;
  }

  static std::string PublishRow(const Row& row) {
    Pairs files = {{"site.ini", "[Kestrava]\r\n"}};  // a row's own comes later, over it
    files.insert(files.end(), row.files.begin(), row.files.end());
    Pairs params;
    for (const auto& param : PageParams(row)) {
      params.push_back({param.first, Expand(param.second, row)});
    }
    return PublishSite("h/" + row.name, files, params);
  }

  // Whether the row's expectation holds; what was found otherwise.
  static void Check(const std::string& raw, const Row& row, const std::vector<std::string>& lines,
                    const std::vector<std::string>& boxes) {
    const std::string kind = raw.substr(0, 2);
    const std::string text = Expand(raw.substr(2), row);
    const size_t eq = text.find('=');
    if (kind == "L:") {
      EXPECT_TRUE(HasLine(lines, text)) << "no log line: " << text;
    } else if (kind == "P:" || kind == "N:") {
      EXPECT_EQ(kind == "P:", AnyLineStarts(lines, text))
          << (kind == "P:" ? "no log line beginning: " : "a log line begins: ") << text;
    } else if (kind == "B:") {
      EXPECT_TRUE(AnyLineStarts(boxes, text + "\t")) << "no box: " << text;
    } else if (kind == "F:") {
      EXPECT_EQ(text.substr(eq + 1), FileContent(text.substr(0, eq))) << text;
    } else if (kind == "R:") {
      EXPECT_EQ(text.substr(eq + 1), RegText(text.substr(0, eq))) << text;
    } else if (kind == "K:") {
      EXPECT_EQ(text.substr(eq + 1), ReadLink(text.substr(0, eq))) << text;
    } else if (kind == "X:") {
      for (const std::string& line : lines) {
        EXPECT_EQ(std::string::npos, line.find(text)) << line;
      }
    } else if (kind == "G:") {
      EXPECT_EQ(text.substr(eq + 1), std::to_string(ServerLogFor(text.substr(0, eq)).size()))
          << text;
    } else {
      ADD_FAILURE() << "bad expectation " << raw;
    }
  }

  void RunGroup(const std::vector<Row>& rows) {
    std::string rules;
    std::vector<std::string> pages;
    for (const Row& row : rows) {
      rules += Expand(row.rules, row);
      pages.push_back(PublishRow(row));
    }
    SetServerRules(rules);
    DeleteEventLogs();
    WriteFileBytes(DownloadFolder() + "\\GOOD.TXT", good_[0]);
    WriteFileBytes(DownloadFolder() + "\\KVMD.EXe", good_[1]);
    SetValue(kWebRoot, "GOOD.TXT", REG_BINARY, good_[2]);
    SetValue(kWebRoot, "KVMD.EX_", REG_BINARY, good_[3]);
    const Row& first = rows[0];
    if (!Setting(first, "!browser").empty()) RegisterBrowser(Setting(first, "!browser"));
    SetPolicy(Expand(Setting(first, "!policy"), first));
    const DriveRecord before = RecordDrive("C:");
    // The slowest rows' time (a stalled read waits its timeout), with room for a loaded machine.
    const unsigned long bound = 20000 + 2000 * (unsigned long)rows.size();
    HostRun run = RunHostUnder(Setting(first, "!windows"), pages, kQuick, bound);
    EndLeftRunning(run.processId);
    const std::vector<std::string> changes = DriveChanges(before, RecordDrive("C:"), Allowed());
    SetPolicy("");
    const std::map<std::string, std::vector<std::string>> logs = PageLogLines(EventLogFiles());
    const bool intact = good_ == ReadInstalled();
    for (size_t i = 0; i < rows.size(); ++i) {
      const Row& row = rows[i];
      SCOPED_TRACE("row " + row.name);
      EXPECT_TRUE(run.finished) << "still running after " << bound << " ms";
      EXPECT_EQ(0u, run.exitCode) << run.output;
      EXPECT_EQ("", CrashReport(run.output));
      auto found = logs.find(pages[i]);
      const std::vector<std::string> lines =
          found == logs.end() ? std::vector<std::string>() : found->second;
      for (const std::string& raw : row.expect) Check(raw, row, lines, run.boxes);
      EXPECT_EQ(std::vector<std::string>(), changes);
      EXPECT_TRUE(intact) << "the good installation changed";
    }
  }

  // Where the control may write, and what Wine itself changes as it runs.
  static std::vector<std::string> Allowed() {
    std::vector<std::string> allowed = {
        DownloadFolder(), ActiveXCacheFolder(), ShellFolder(CSIDL_DESKTOPDIRECTORY),
        ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
        // The desktop rows' folders, the default one, program groups, the personal working folder.
        "C:\\hostile\\install", "C:\\hostile\\work", "C:\\Program Files\\MARROCK",
        ShellFolder(CSIDL_PROGRAMS), ShellFolder(CSIDL_COMMON_PROGRAMS),
        ShellFolder(CSIDL_PERSONAL) + "\\Kestrava",
        // WinINet's cache, cookies and history.
        ShellFolder(CSIDL_INTERNET_CACHE), ShellFolder(CSIDL_COOKIES), ShellFolder(CSIDL_HISTORY),
    };
    for (std::string& folder : allowed) folder = LowerCase(folder);
    return allowed;
  }

  static std::vector<std::string> good_;
};
std::vector<std::string> HostileTest::good_;

// Groups of about twenty rows, one container each; "|" ends a group, a "!" setting runs alone.
TEST_F(HostileTest, EveryRowEndsAsExpectedAndHarmsNothing) {
  std::vector<Row> group;
  auto flush = [&] {
    if (!group.empty()) RunGroup(group);
    group.clear();
  };
  for (const Row& row : Rows()) {
    if (row.name == "|") {
      flush();
      continue;
    }
    const bool alone = std::any_of(row.params.begin(), row.params.end(),
                                   [](const Pairs::value_type& p) { return p.first[0] == '!'; });
    if (alone) flush();
    group.push_back(row);
    if (alone || group.size() == 22) flush();
  }
  flush();
}

}  // namespace
