// See hostile_runner.h.
#include "hostile_runner.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <stdio.h>

#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace hostile {
namespace {

// Outside drive_c, so that the runner's own files are not in the record.
std::string ScratchName(const char* stem) {
  static unsigned next = 0;
  return TestEnvDir() + "\\hostile-" + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++next) + ".txt";
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), ::tolower);
  return text;
}

void RecordFolder(const std::string& folder, DriveRecord* record) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*record)[Lower(path)] = "folder";
      // Wine's links to the user's Linux folders lead out of the prefix.
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) RecordFolder(path, record);
    } else {
      ULONGLONG size = ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow;
      ULONGLONG time = ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) |
                       found.ftLastWriteTime.dwLowDateTime;
      (*record)[Lower(path)] = std::to_string(size) + " " + std::to_string(time);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
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

ContainerRun RunContainer(const std::vector<std::string>& pages, unsigned long timeoutMs,
                          const std::function<bool()>& ready) {
  ContainerRun run;
  const std::string boxes = ScratchName("boxes");
  const std::string output = ScratchName("output");
  const std::string until = ScratchName("until");
  // With --until the pages before the last are left at once, and a --stay
  // would end the last one first.
  std::string command = "\"" + HostExePath() + "\" --box-delay 50 --boxes \"" + boxes + "\"" +
                        (ready ? " --until \"" + until + "\"" : std::string(" --stay 0"));
  for (const std::string& page : pages) command += " \"" + page + "\"";

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION process = {};
  const DWORD start = GetTickCount();
  if (out != INVALID_HANDLE_VALUE &&
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    CloseHandle(process.hThread);
    run.processId = process.dwProcessId;
    if (ready) {
      WaitUntil([&] { return ready() || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
                20000);
      WriteFileBytes(until, "");
    }
    run.finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!run.finished) {
      TerminateProcess(process.hProcess, 255);
      WaitForSingleObject(process.hProcess, 5000);
    }
    DWORD code = 255;
    GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = code;
    CloseHandle(process.hProcess);
  }
  run.elapsedMs = GetTickCount() - start;
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  ReadFileBytes(output, &run.output);
  std::string text;
  if (ReadFileBytes(boxes, &text)) run.boxes = SplitLines(text);
  DeleteFileA(boxes.c_str());
  DeleteFileA(output.c_str());
  DeleteFileA(until.c_str());
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
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      if (std::find(parents.begin(), parents.end(), entry.th32ParentProcessID) == parents.end() ||
          std::find(parents.begin(), parents.end(), entry.th32ProcessID) != parents.end()) {
        continue;
      }
      parents.push_back(entry.th32ProcessID);
      found = true;
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
      if (!process) continue;
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
      ended.push_back(std::string(entry.szExeFile) + " (" + std::to_string(entry.th32ProcessID) + ")");
    }
    CloseHandle(snapshot);
    if (!found) break;
  }
  return ended;
}

std::string CrashReport(const std::string& output) {
  for (const char* words : {"Unhandled exception", "Unhandled page fault", "Unhandled stack overflow",
                            "Backtrace:", "wine: Assertion", "err:seh:"}) {
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
  std::vector<std::string> changes;
  for (const auto& entry : after) {
    if (IsAllowed(entry.first, entry.second, allowed)) continue;
    auto old = before.find(entry.first);
    if (old == before.end()) {
      changes.push_back("new " + entry.first + " (" + entry.second + ")");
    } else if (old->second != entry.second) {
      changes.push_back("changed " + entry.first + " (" + old->second + " -> " + entry.second + ")");
    }
  }
  for (const auto& entry : before) {
    if (!IsAllowed(entry.first, entry.second, allowed) && after.find(entry.first) == after.end()) {
      changes.push_back("gone " + entry.first);
    }
  }
  return changes;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

std::map<std::string, std::vector<std::string>> PageLogLines(
    const std::vector<std::string>& logFiles) {
  std::map<std::string, std::vector<std::string>> pages;
  const std::string marker = "Found Display Name: ";
  std::vector<std::string>* current = nullptr;
  for (const std::string& file : logFiles) {
    for (const std::string& line : LogLinesWithoutStamps(FileContent(file))) {
      if (line.compare(0, marker.size(), marker) == 0) current = &pages[line.substr(marker.size())];
      if (current) current->push_back(line);
    }
  }
  return pages;
}

}  // namespace hostile
