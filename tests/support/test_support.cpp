// Windows test helpers; see test_support.h and host_run.h.
#include "test_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdlib.h>
#include <string.h>
#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "host_run.h"

namespace testsupport {
namespace {

typedef WCHAR* (CDECL* DosFromUnixFn)(const char*);

std::string BuildDir() {
  const char* dir = getenv("WEVELINK_BUILD");
  return dir ? WinPathFromUnix(dir) : "";
}

// Outside drive_c, so that the runner's own files are not in a drive record.
std::string ScratchName(const char* stem) {
  static unsigned next = 0;
  return TestEnvDir() + "\\run-" + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++next) + ".txt";
}

std::string g_Desktop;  // SetHostDesktop's

// Starts a command line in folder (current when empty); out, when given, takes stdout and stderr.
HANDLE Start(std::string line, const std::string& folder, DWORD* pid, HANDLE out = nullptr) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!g_Desktop.empty()) startup.lpDesktop = &g_Desktop[0];
  if (out != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = out;
  }
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, out != nullptr, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return nullptr;
  }
  CloseHandle(info.hThread);
  if (pid) *pid = info.dwProcessId;
  return info.hProcess;
}

DWORD EndAfter(HANDLE process, DWORD timeoutMs, bool* finished = nullptr) {
  const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(process, 255);
    WaitForSingleObject(process, 5000);
  }
  DWORD code = 255;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  if (finished) *finished = ended;
  return code;
}

bool EndProcess(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (process) EndAfter(process, 0);
  return process != nullptr;
}

std::string HostLine(const std::string& program, const std::string& options,
                     const std::vector<std::string>& pages) {
  std::string line = "\"" + program + "\" --box-delay 100 " + options;
  for (const std::string& page : pages) line += " \"" + page + "\"";
  return line;
}

void EndHost(HANDLE process, unsigned long timeoutMs, const std::string& boxes,
             const std::string& trace, HostRun* run) {
  run->exitCode = EndAfter(process, timeoutMs, &run->finished);
  run->boxes = ReadLines(boxes);
  run->trace = ReadLines(trace);
}

HostRun RunHostProgram(const std::string& program, const std::vector<std::string>& pages,
                       const std::string& extraArgs, unsigned long timeoutMs) {
  HostRun run;
  const std::string boxes = ScratchName("boxes");
  const std::string trace = ScratchName("trace");
  const std::string output = ScratchName("output");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const std::string options = "--stay 300 --boxes \"" + boxes + "\" --trace \"" + trace + "\" ";
  HANDLE process = out == INVALID_HANDLE_VALUE
                       ? nullptr
                       : Start(HostLine(program, options + extraArgs, pages), "",
                               &run.processId, out);
  if (process) EndHost(process, timeoutMs, boxes, trace, &run);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  ReadFileBytes(output, &run.output);
  for (const std::string& file : {boxes, trace, output}) DeleteFileA(file.c_str());
  return run;
}

void RecordFolder(const std::string& folder, DriveRecord* record) {
  ForEachFound(folder + "\\*", [&](const WIN32_FIND_DATAA& found) {
    const std::string path = folder + "\\" + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A folder's own time changes with what happens inside, which the files show.
      (*record)[LowerCase(path)] = "folder";
      // Wine's links to the user's Linux folders lead out of the prefix.
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) RecordFolder(path, record);
    } else {
      ULONGLONG size = ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow;
      ULONGLONG time = ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) |
                       found.ftLastWriteTime.dwLowDateTime;
      (*record)[LowerCase(path)] = std::to_string(size) + " " + std::to_string(time);
    }
  });
}

// In an allowed folder, or a folder made on the way to one.
bool IsAllowed(const std::string& path, const std::string& what,
               const std::vector<std::string>& allowed) {
  for (const std::string& prefix : allowed) {
    if (path.compare(0, prefix.size(), prefix) == 0 &&
        (path.size() == prefix.size() || path[prefix.size()] == '\\')) {
      return true;
    }
    if (what == "folder" && prefix.compare(0, path.size() + 1, path + "\\") == 0) return true;
  }
  return false;
}

}  // namespace

void SetHostDesktop(const std::string& name) { g_Desktop = name; }

std::string TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp, strlen(temp) - 1);
}

std::string WinPathFromUnix(const std::string& unixPath) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto fn = (DosFromUnixFn)(void*)GetProcAddress(kernel, "wine_get_dos_file_name");
  if (fn == nullptr || unixPath.empty()) return "";
  WCHAR* wide = fn(unixPath.c_str());
  if (wide == nullptr) return "";
  char narrow[MAX_PATH * 4];
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return n > 0 ? narrow : "";
}

std::string TestEnvDir() {
  const char* dir = getenv("WEVELINK_TESTENV");
  return WinPathFromUnix(dir ? dir : "");
}

std::string WwwDir() { return TestEnvDir() + "\\www"; }

int HttpPort() { return atoi(FileContent(TestEnvDir() + "\\http_port").c_str()); }

std::string BaseUrl() { return "http://127.0.0.1:" + std::to_string(HttpPort()); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::string text;
  ReadFileBytes(path, &text);
  return SplitLines(text);
}

std::vector<std::string> ServerLogFor(const std::string& path) {
  std::vector<std::string> found;
  for (const std::string& line : ReadLines(TestEnvDir() + "\\server.log")) {
    size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    size_t next = line.find(' ', space + 1);
    if (line.compare(space + 1, next - space - 1, path) == 0) found.push_back(line);
  }
  return found;
}

void SetServerRules(const std::string& rules) {
  // Write beside and rename so the server never reads a half-written file.
  std::string dir = TestEnvDir();
  std::string temp = dir + "\\rules.new";
  ASSERT_TRUE(WriteFileBytes(temp, rules));
  ASSERT_TRUE(MoveFileExA(temp.c_str(), (dir + "\\rules").c_str(), MOVEFILE_REPLACE_EXISTING));
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  return out.write(bytes.data(), bytes.size()).flush().good();
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);  // shared for reading and writing, as fopen does
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.is_open() && !in.bad();
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteRegTree(HKEY root, const std::string& subkey) {
  RegDeleteTreeA(root, subkey.c_str());  // the key itself too
}

bool ReadRegValue(HKEY root, const std::string& subkey, const std::string& name,
                  DWORD* type, std::string* bytes) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    bytes->assign(size, '\0');
    rc = RegQueryValueExA(key, name.c_str(), nullptr, type,
                          size ? (BYTE*)&(*bytes)[0] : nullptr, &size);
    bytes->resize(size);
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool TrustCertificate(const std::string& stubBuildUnix, const std::string& certificate) {
  const std::string tool = WinPathFromUnix(stubBuildUnix + "/trust-cert.exe");
  const std::string cert = certificate.empty()
                               ? WinPathFromUnix(stubBuildUnix + "/cert/test-publisher.cer")
                               : certificate;
  DWORD exitCode = 255;
  return RunProgram("\"" + tool + "\" \"" + cert + "\"", 60000, &exitCode) && exitCode == 0;
}

bool SetChangeTime(const std::vector<std::string>& paths, unsigned hoursAgo) {
  ULARGE_INTEGER time;
  GetSystemTimeAsFileTime((FILETIME*)&time);
  time.QuadPart -= hoursAgo * 36000000000ULL;
  bool all = true;
  for (const std::string& path : paths) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool opened = file != INVALID_HANDLE_VALUE;
    all = opened && SetFileTime(file, nullptr, nullptr, (FILETIME*)&time) && all;
    if (opened) CloseHandle(file);
  }
  return all;
}

std::string LittleEndian32(long value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = (char)((unsigned long)value >> (8 * i));
  return bytes;
}

std::string RegSzText(HKEY root, const std::string& subkey, const std::string& name) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValue(root, subkey, name, &type, &bytes)) return "(none)";
  if (type != REG_SZ || bytes.empty() || bytes.back() != '\0') {
    return "(type " + std::to_string(type) + ")";
  }
  return bytes.substr(0, bytes.size() - 1);
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = (char)tolower((unsigned char)c);
  return text;
}

std::string WindowsFolder() {
  char folder[MAX_PATH] = "";
  GetWindowsDirectoryA(folder, MAX_PATH);
  return folder;
}

size_t Count(const std::vector<std::string>& lines, const std::string& part) {
  return (size_t)std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(part) != std::string::npos;
  });
}

bool AnyLineStarts(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& line : lines) {
    if (line.compare(0, start.size(), start) == 0) return true;
  }
  return false;
}

bool RunProgram(const std::string& commandLine, DWORD timeoutMs, DWORD* exitCode) {
  HANDLE process = Start(commandLine, "", nullptr);
  bool finished = false;
  DWORD code = process ? EndAfter(process, timeoutMs, &finished) : 255;
  if (exitCode) *exitCode = code;
  return finished;
}

RunningHost::RunningHost(const std::vector<std::string>& pages, const std::string& extraArgs)
    : boxes_(ScratchName("boxes")), trace_(ScratchName("trace")), until_(ScratchName("until")) {
  process_ = Start(HostLine(HostExePath(), "--boxes \"" + boxes_ + "\" --trace \"" + trace_ +
                            "\" --until \"" + until_ + "\" " + extraArgs, pages),
                   "", &processId_);
}

RunningHost::~RunningHost() {
  if (process_) EndAfter(process_, 0);
  for (const std::string& file : {boxes_, trace_, until_}) DeleteFileA(file.c_str());
}

bool RunningHost::Send(unsigned command, LPARAM lParam) const {
  for (HWND frame = nullptr;
       process_ && (frame = FindWindowExA(nullptr, frame, "WevelinkHostFrame", nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(frame, &owner);
    if (owner == processId_) {
      return PostMessageA(frame, RegisterWindowMessageA("WevelinkHostCommand"), (WPARAM)command,
                          lParam);
    }
  }
  return false;
}

std::vector<std::string> RunningHost::Trace() const { return ReadLines(trace_); }

HostRun RunningHost::Finish(unsigned long timeoutMs) {
  HostRun run;
  if (!process_) return run;
  WriteFileBytes(until_, "");
  EndHost(process_, timeoutMs, boxes_, trace_, &run);
  process_ = nullptr;
  return run;
}

void EndStandInsOf(const std::string& stubLog) {
  for (const std::string& line : ReadLines(stubLog)) {
    if (line.compare(0, 4, "pid=") == 0 && line.find(" start ") != std::string::npos) {
      EndProcess(strtoul(line.c_str() + 4, nullptr, 10));
    }
  }
}

bool WaitUntil(const std::function<bool()>& done, unsigned long timeoutMs) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(20)) {
    if (GetTickCount() - start >= timeoutMs) return false;
  }
  return true;
}

std::string StandInProgram(const char* name, const char* which) {
  std::string bytes;
  const std::string folder = BuildDir() + "\\tools\\session-stub\\" + which;
  EXPECT_TRUE(ReadFileBytes(folder + "\\" + name, &bytes)) << name;
  return bytes;
}

std::string HostExePath() { return BuildDir() + "\\tools\\host\\wevelink-host.exe"; }

bool RegisterControl() {
  DWORD code = 1;
  const std::string module = BuildDir() + "\\src\\control\\WEVELINK.OCX";
  return RunProgram("regsvr32.exe /s \"" + module + "\"", 60000, &code) && code == 0;
}

std::string ControlPage(const Pairs& params) {
  std::string html = "<html><body><p>Test page</p>\n<object id=\"Wevelink\" width=\"400\" "
                     "height=\"300\" classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\">\n";
  for (const auto& param : params) {
    html += "  <param name=\"" + param.first + "\" value=\"" + param.second + "\">\n";
  }
  return html + "</object></body></html>\n";
}

std::string PublishPage(const std::string& name, const std::string& html) {
  std::string path = WwwDir() + "\\" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  for (size_t slash = path.find('\\', WwwDir().size() + 1); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
  EXPECT_TRUE(WriteFileBytes(path, html)) << path;
  return BaseUrl() + "/" + name;
}

HostRun RunHost(const std::vector<std::string>& pages, const std::string& extraArgs,
                unsigned long timeoutMs) {
  return RunHostProgram(HostExePath(), pages, extraArgs, timeoutMs);
}

HostRun RunHostUnder(const std::string& windowsVersion, const std::vector<std::string>& pages,
                     const std::string& extraArgs, unsigned long timeoutMs) {
  if (windowsVersion.empty()) return RunHost(pages, extraArgs, timeoutMs);
  // A copy Wine runs as that version (HKCU\Software\Wine\AppDefaults); other runs keep Wine's own.
  const std::string name = "wevelink-host-" + windowsVersion + ".exe";
  const std::string copy = TestEnvDir() + "\\" + name;
  const std::string key = "Software\\Wine\\AppDefaults\\" + name;
  HostRun run;
  if (!CopyFileA(HostExePath().c_str(), copy.c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy the host to " << copy << ": " << GetLastError();
  } else if (RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ,
                             windowsVersion.c_str(),
                             (DWORD)windowsVersion.size() + 1) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot set the Wine version of " << name;
  } else {
    run = RunHostProgram(copy, pages, extraArgs, timeoutMs);
  }
  DeleteRegTree(HKEY_CURRENT_USER, key);
  DeleteFileA(copy.c_str());
  return run;
}

std::string DownloadFolder() { return TempFolder() + "\\Kestrava"; }

void ForEachFound(const std::string& pattern,
                  const std::function<void(const WIN32_FIND_DATAA&)>& found) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (strcmp(data.cFileName, ".") != 0 && strcmp(data.cFileName, "..") != 0) found(data);
  } while (FindNextFileA(search, &data));
  FindClose(search);
}

std::vector<std::string> EventLogFiles() {
  std::vector<std::string> names;
  ForEachFound(DownloadFolder() + "\\EventLog_*.Txt", [&](const WIN32_FIND_DATAA& found) {
    names.push_back(DownloadFolder() + "\\" + found.cFileName);
  });
  std::sort(names.begin(), names.end());
  return names;
}

void DeleteEventLogs() {
  for (const std::string& path : EventLogFiles()) DeleteFileA(path.c_str());
}

std::string ReadOnlyEventLog() {
  std::vector<std::string> files = EventLogFiles();
  EXPECT_EQ(1u, files.size());
  return files.size() == 1 ? FileContent(files[0]) : "";
}

std::vector<std::string> LogLinesWithoutStamps(const std::string& log) {
  std::vector<std::string> lines;
  for (std::string line : SplitLines(log)) {
    // "hh:mm:ss.mmm " is 13 characters.
    if (line.size() >= 13 && line[2] == ':' && line[5] == ':' && line[8] == '.' &&
        line[12] == ' ') {
      line = line.substr(13);
    }
    lines.push_back(line);
  }
  return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string ActiveXCacheFolder() {
  const std::string folder = RegSzText(
      HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
      "ActiveXCache");
  return folder.empty() || folder[0] == '(' ? TempFolder() : folder;
}

std::string FileContent(const std::string& path) {
  std::string bytes;
  return ReadFileBytes(path, &bytes) ? bytes : "(missing)";
}

std::string RegBinary(HKEY hive, const std::string& key, const std::string& name) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValue(hive, key, name, &type, &bytes)) return "(none)";
  return type == REG_BINARY ? bytes : "(type " + std::to_string(type) + ")";
}

void ResetDeployment() {
  SetServerRules("");
  DeleteEventLogs();
  for (HKEY key : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) DeleteRegTree(key, "Software\\MARROCK");
  DeleteRegTree(HKEY_LOCAL_MACHINE,
                "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrava");
}

std::string PublishSite(const std::string& folder, const Pairs& files, const Pairs& params) {
  for (const auto& file : files) PublishPage(folder + "/" + file.first, file.second);
  return PublishPage(folder + "/index.htm", ControlPage(params));
}

std::string PublishDeployment(const std::string& folder, const std::string& ini, Pairs files,
                              Pairs params) {
  files.push_back({"site.ini", ini});
  params.insert(params.begin(), {{"LogEvents", "Y"}, {"IniFile", "site.ini"}});
  return PublishSite(folder, files, params);
}

HostRun Deploy(const std::string& folder, const std::string& ini, const Pairs& files,
               const Pairs& params, const std::string& windowsVersion,
               const std::string& extraArgs) {
  const std::string page = PublishDeployment(folder, ini, files, params);
  DeleteEventLogs();
  HostRun run = RunHostUnder(windowsVersion, {page}, extraArgs);
  EXPECT_TRUE(run.finished) << folder;
  return run;
}

std::vector<std::string> EndLeftRunning(unsigned long containerId) {
  std::vector<std::string> ended;
  std::vector<DWORD> parents = {containerId};
  // A few passes: a process found in one may have started another.
  for (int pass = 0; pass < 3; ++pass) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) break;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
      auto known = [&](DWORD id) {
        return std::find(parents.begin(), parents.end(), id) != parents.end();
      };
      if (!known(entry.th32ParentProcessID) || known(entry.th32ProcessID)) continue;
      parents.push_back(entry.th32ProcessID);
      found = true;
      if (EndProcess(entry.th32ProcessID)) ended.push_back(entry.szExeFile);
    }
    CloseHandle(snapshot);
    if (!found) break;
  }
  return ended;
}

std::string CrashReport(const std::string& output) {
  for (const char* words : {"Unhandled exception", "Unhandled page fault",
                            "Unhandled stack overflow", "Backtrace:", "wine: Assertion",
                            "err:seh:"}) {
    size_t at = output.find(words);
    if (at != std::string::npos) return output.substr(at, 400);
  }
  return "";
}

DriveRecord RecordDrive(const std::string& root) {
  DriveRecord record;
  RecordFolder(root, &record);
  return record;
}

std::vector<std::string> DriveChanges(const DriveRecord& before, const DriveRecord& after,
                                      const std::vector<std::string>& allowed) {
  DriveRecord all = before;
  all.insert(after.begin(), after.end());
  std::vector<std::string> changes;
  for (const auto& entry : all) {
    auto was = before.find(entry.first), is = after.find(entry.first);
    const std::string from = was == before.end() ? "none" : was->second;
    const std::string to = is == after.end() ? "none" : is->second;
    if (from != to && !IsAllowed(entry.first, entry.second, allowed)) {
      changes.push_back(entry.first + " (" + from + " -> " + to + ")");
    }
  }
  return changes;
}

void RemoveTree(const std::string& folder) {
  ForEachFound(folder + "\\*", [&](const WIN32_FIND_DATAA& found) {
    const std::string path = folder + "\\" + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(path);
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  });
  RemoveDirectoryA(folder.c_str());
}

std::map<std::string, std::vector<std::string>> PageLogLines(
    const std::vector<std::string>& logFiles) {
  std::map<std::string, std::vector<std::string>> pages;
  const std::string marker = "Found Display Name: ";
  std::vector<std::string>* current = nullptr;
  for (const std::string& file : logFiles) {
    for (const std::string& line : LogLinesWithoutStamps(FileContent(file))) {
      if (line.compare(0, marker.size(), marker) == 0) {
        current = &pages[line.substr(marker.size())];
      }
      if (current) current->push_back(line);
    }
  }
  return pages;
}

std::string ReadLink(const std::string& path) {
  if (!FileExists(path)) return "(missing)";
  Held<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              (void**)link.out()))) {
    return "(no shell link)";
  }
  Held<IPersistFile> file;
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  if (FAILED(link->QueryInterface(IID_IPersistFile, (void**)file.out())) ||
      FAILED(file->Load(wide, STGM_READ))) {
    return "(unreadable)";
  }
  char target[MAX_PATH] = "", arguments[MAX_PATH] = "", about[MAX_PATH] = "";
  char folder[MAX_PATH] = "";
  link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetArguments(arguments, MAX_PATH);
  link->GetDescription(about, MAX_PATH);
  link->GetWorkingDirectory(folder, MAX_PATH);
  return std::string(target) + " | " + arguments + " | " + about + " | " + folder;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
  return path;
}

std::string WithoutRunFolderNumber(const std::string& text) {
  return std::regex_replace(text, std::regex("wevlnk[0-9A-F]{4}"), "wevlnk");
}

HWND TestContainerWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "WevelinkTestContainer";
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  return CreateWindowExA(0, windowClass.lpszClassName, "container",
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 500, 400,
                         nullptr, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace testsupport
