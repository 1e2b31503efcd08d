// See host_run.h.
#include "host_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdlib.h>
#include <string.h>

#include "test_support.h"

namespace testsupport {
namespace {

std::string BuildDir() {
  const char* dir = getenv("WEVELINK_BUILD");
  return dir ? WinPathFromUnix(dir) : "";
}

std::string TempName(const char* prefix) {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, prefix, 0, path);
  return path;
}

HostRun RunHostProgram(const std::string& program, const std::vector<std::string>& pages,
                       const std::string& extraArgs, unsigned long timeoutMs) {
  HostRun run;
  std::string boxes = TempName("box");
  std::string trace = TempName("trc");
  std::string command = "\"" + program + "\" --stay 300 --box-delay 100 --boxes \"" + boxes +
                        "\" --trace \"" + trace + "\" " + extraArgs;
  for (const std::string& page : pages) command += " \"" + page + "\"";
  DWORD code = 0;
  run.finished = RunProgram(command, timeoutMs, &code);
  run.exitCode = code;
  std::string text;
  if (ReadFileBytes(boxes, &text)) run.boxes = SplitLines(text);
  if (ReadFileBytes(trace, &text)) run.trace = SplitLines(text);
  DeleteFileA(boxes.c_str());
  DeleteFileA(trace.c_str());
  return run;
}

}  // namespace

RunningHost::RunningHost(const std::vector<std::string>& pages, const std::string& extraArgs)
    : boxes_(TempName("box")), trace_(TempName("trc")), until_(TempName("unt")) {
  DeleteFileA(until_.c_str());
  std::string command = "\"" + HostExePath() + "\" --box-delay 100 --boxes \"" + boxes_ +
                        "\" --trace \"" + trace_ + "\" --until \"" + until_ + "\" " + extraArgs;
  for (const std::string& page : pages) command += " \"" + page + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return;
  }
  CloseHandle(process.hThread);
  process_ = process.hProcess;
  processId_ = process.dwProcessId;
}

RunningHost::~RunningHost() {
  if (process_) {
    TerminateProcess(process_, 255);
    CloseHandle(process_);
  }
  DeleteFileA(boxes_.c_str());
  DeleteFileA(trace_.c_str());
  DeleteFileA(until_.c_str());
}

namespace {
struct FrameSearch {
  DWORD processId;
  HWND found;
};
BOOL CALLBACK FindFrame(HWND window, LPARAM context) {
  FrameSearch* search = (FrameSearch*)context;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (owner != search->processId || strcmp(name, "WevelinkHostFrame") != 0) return TRUE;
  search->found = window;
  return FALSE;
}
}  // namespace

HWND RunningHost::Frame() const {
  FrameSearch search = {processId_, nullptr};
  if (process_) EnumWindows(FindFrame, (LPARAM)&search);
  return search.found;
}

bool RunningHost::Send(unsigned command, LPARAM lParam) const {
  HWND frame = Frame();
  return frame && PostMessageA(frame, RegisterWindowMessageA("WevelinkHostCommand"),
                               (WPARAM)command, lParam);
}

std::vector<std::string> RunningHost::Trace() const {
  std::string text;
  ReadFileBytes(trace_, &text);
  return SplitLines(text);
}

HostRun RunningHost::Finish(unsigned long timeoutMs) {
  HostRun run;
  if (!process_) return run;
  WriteFileBytes(until_, "");
  run.finished = WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
  if (!run.finished) TerminateProcess(process_, 255);
  DWORD code = 255;
  GetExitCodeProcess(process_, &code);
  run.exitCode = code;
  CloseHandle(process_);
  process_ = nullptr;
  std::string text;
  if (ReadFileBytes(boxes_, &text)) run.boxes = SplitLines(text);
  if (ReadFileBytes(trace_, &text)) run.trace = SplitLines(text);
  return run;
}

void EndStandInsOf(const std::string& stubLog) {
  for (const std::string& line : ReadLines(stubLog)) {
    if (line.compare(0, 4, "pid=") != 0 || line.find(" start ") == std::string::npos) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                 strtoul(line.c_str() + 4, nullptr, 10));
    if (!process) continue;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

bool WaitUntil(const std::function<bool()>& done, unsigned long timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
}

std::string HostExePath() { return BuildDir() + "\\tools\\host\\wevelink-host.exe"; }

std::string ControlModulePath() { return BuildDir() + "\\src\\control\\WEVELINK.OCX"; }

bool RegisterControl() {
  DWORD code = 1;
  return RunProgram("regsvr32.exe /s \"" + ControlModulePath() + "\"", 60000, &code) && code == 0;
}

std::string ControlPage(const std::vector<std::pair<std::string, std::string>>& params, int width,
                        int height) {
  std::string html = "<html><body><p>Test page</p>\n<object id=\"Wevelink\" width=\"" +
                     std::to_string(width) + "\" height=\"" + std::to_string(height) +
                     "\" classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\">\n";
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
  ScopedWineVersion version(HostExePath(), windowsVersion);
  if (version.Program().empty()) return HostRun();
  return RunHostProgram(version.Program(), pages, extraArgs, timeoutMs);
}

std::string DownloadFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "Kestrava";
}

std::vector<std::string> EventLogFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((DownloadFolder() + "\\EventLog_*.Txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(DownloadFolder() + "\\" + found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void DeleteEventLogs() {
  for (const std::string& path : EventLogFiles()) DeleteFileA(path.c_str());
}

std::string ReadOnlyEventLog() {
  std::vector<std::string> files = EventLogFiles();
  EXPECT_EQ(1u, files.size());
  if (files.size() != 1) return "";
  std::string text;
  ReadFileBytes(files[0], &text);
  return text;
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
  std::string folder;
  if (ReadRegString(HKEY_LOCAL_MACHINE,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                    "ActiveXCache", &folder) &&
      !folder.empty()) {
    return folder;
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  folder = temp;
  return folder.substr(0, folder.size() - 1);
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

}  // namespace testsupport
