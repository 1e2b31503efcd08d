// Running the test container (wevelink-host.exe) on pages of the test web
// server with the real control, and reading what it left behind: recorded
// message boxes, the container's trace and the control's event logs.
#ifndef WEVELINK_TESTS_HOST_RUN_H
#define WEVELINK_TESTS_HOST_RUN_H

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

std::string HostExePath();  // Windows path of wevelink-host.exe

// regsvr32 /s on the module; true when it exited with 0.
bool RegisterControl();

// An OBJECT tag for the control with the given PARAM name/value pairs
// (values are written as they are: give entities where needed).
std::string ControlPage(const std::vector<std::pair<std::string, std::string>>& params,
                        int width = 400, int height = 300);
// Writes text into the web server's root as name (may hold "/" folders) and
// returns its URL.
std::string PublishPage(const std::string& name, const std::string& html);

struct HostRun {
  bool finished = false;
  unsigned long exitCode = 255;
  unsigned long processId = 0;
  std::vector<std::string> boxes;  // CAPTION\tTEXT\t0xSTYLE\tui|worker
  std::vector<std::string> trace;
  std::string output;  // stdout and stderr, Wine's included, so that a crash shows
};

// Loads the pages one after another in one host process (each kept 300 ms
// unless extraArgs say otherwise); ended and reported unfinished after
// timeoutMs.
HostRun RunHost(const std::vector<std::string>& pages, const std::string& extraArgs = "",
                unsigned long timeoutMs = 60000);

// The same under an older Windows version as Wine names it ("win95",
// "win98", "nt40", "win2k", "winxp"; see ScopedWineVersion): the container
// answers GetVersionExA with that platform and version for this run only.
// An empty version is Wine's own.
HostRun RunHostUnder(const std::string& windowsVersion, const std::vector<std::string>& pages,
                     const std::string& extraArgs = "", unsigned long timeoutMs = 60000);

// A container that keeps its page up while the test drives its window:
// started with --until, it shows the pages and stays on the last one until
// Finish. Send posts a container command (tools/host: "WevelinkHostCommand"
// to the frame, wParam the command, lParam for resize).
class RunningHost {
 public:
  explicit RunningHost(const std::vector<std::string>& pages, const std::string& extraArgs = "");
  ~RunningHost();
  RunningHost(const RunningHost&) = delete;
  RunningHost& operator=(const RunningHost&) = delete;

  bool Started() const { return process_ != nullptr; }
  // The host's frame window; null until it exists.
  HWND Frame() const;
  bool Send(unsigned command, LPARAM lParam = 0) const;
  // What the trace holds so far.
  std::vector<std::string> Trace() const;
  // Lets the host leave its page and exit, at most timeoutMs.
  HostRun Finish(unsigned long timeoutMs = 60000);

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  std::string boxes_, trace_, until_;
};

// Ends every stand-in whose start the stand-in log at stubLog records and
// that still runs (they hold their program files).
void EndStandInsOf(const std::string& stubLog);

// Polls done() every 20 ms for at most timeoutMs; whether it came true.
bool WaitUntil(const std::function<bool()>& done, unsigned long timeoutMs);

// The control's event logs in the download folder (%TEMP%\Kestrava).
std::string DownloadFolder();
std::vector<std::string> EventLogFiles();  // full paths, oldest first
void DeleteEventLogs();
// Contents of the only log written since DeleteEventLogs; empty and a test
// failure when there is not exactly one.
std::string ReadOnlyEventLog();
// The log's entries, with each "hh:mm:ss.mmm " time stamp taken off.
std::vector<std::string> LogLinesWithoutStamps(const std::string& log);
bool HasLine(const std::vector<std::string>& lines, const std::string& line);

// A fresh deployment state: no server rules, no event logs, no MARROCK
// keys in either hive and no uninstall entry.
void ResetDeployment();

// Publishes files under folder of the server and a page there with params;
// returns the page's URL.
typedef std::vector<std::pair<std::string, std::string>> Pairs;
std::string PublishSite(const std::string& folder, const Pairs& files, const Pairs& params);

// Ends what the container started and left running (each holds the test's
// standard error, which would keep the test runner waiting); their names.
std::vector<std::string> EndLeftRunning(unsigned long containerId);

// Wine's words for a crash in output; empty when there is none.
std::string CrashReport(const std::string& output);

// Every file and folder below root: lower-case path to "size time" for a
// file, "folder" for a folder.
typedef std::map<std::string, std::string> DriveRecord;
DriveRecord RecordDrive(const std::string& root);
// The paths that differ, except below the allowed lower-case prefixes.
std::vector<std::string> DriveChanges(const DriveRecord& before, const DriveRecord& after,
                                      const std::vector<std::string>& allowed);

// Calls found for each entry that matches pattern ("folder\\*.lnk"), but
// "." and "..".
void ForEachFound(const std::string& pattern,
                  const std::function<void(const WIN32_FIND_DATAA&)>& found);
// Deletes folder and everything below it (what is in use stays).
void RemoveTree(const std::string& folder);

// Each page's log lines without stamps, keyed by the page's address (from
// its "Found Display Name:" line to the next page's).
std::map<std::string, std::vector<std::string>> PageLogLines(
    const std::vector<std::string>& logFiles);

// A shell link as "target | arguments | description | working folder", or
// "(missing)"; COM must be initialised.
std::string ReadLink(const std::string& path);

std::string ShellFolder(int csidl);  // created when missing

// Where the control keeps cabinets: the prefix's ActiveX cache, else the
// temporary folder (no separator at the end either way).
std::string ActiveXCacheFolder();
// A file's bytes, "(missing)" when it cannot be read.
std::string FileContent(const std::string& path);
// A REG_BINARY value's bytes, "(none)" or "(type N)" otherwise.
std::string RegBinary(HKEY hive, const std::string& key, const std::string& name);

}  // namespace testsupport

#endif
