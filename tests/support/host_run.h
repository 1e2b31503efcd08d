// The test container (wevelink-host.exe) with the real control, and its boxes, trace, event logs.
#ifndef WEVELINK_TESTS_HOST_RUN_H
#define WEVELINK_TESTS_HOST_RUN_H

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

typedef std::vector<std::pair<std::string, std::string>> Pairs;

std::string HostExePath();
bool RegisterControl();  // regsvr32 /s exited with 0

// An OBJECT tag for the control; values are written as given (entities too).
std::string ControlPage(const Pairs& params);
// Writes html as name (may hold "/" folders) in the server's root; its URL.
std::string PublishPage(const std::string& name, const std::string& html);
// The files under folder and a page there with params; the page's URL.
std::string PublishSite(const std::string& folder, const Pairs& files, const Pairs& params);
// A site under folder: site.ini holding ini, the files, and a page with params over LogEvents=Y
// and IniFile=site.ini; the page's URL.
std::string PublishDeployment(const std::string& folder, const std::string& ini, Pairs files,
                              Pairs params);

struct HostRun {
  bool finished = false;
  unsigned long exitCode = 255;
  unsigned long processId = 0;
  std::vector<std::string> boxes;  // CAPTION\tTEXT\t0xSTYLE\tui|worker
  std::vector<std::string> trace;
  std::string output;  // stdout and stderr, Wine's included, so that a crash shows
};

// The pages in turn in one host (300 ms each unless extraArgs differ), ended unfinished after
// timeoutMs. GetVersionExA reports windowsVersion (win95, win98, nt40, win2k, winxp; "": Wine's).
HostRun RunHost(const std::vector<std::string>& pages, const std::string& extraArgs = "",
                unsigned long timeoutMs = 60000);
HostRun RunHostUnder(const std::string& windowsVersion, const std::vector<std::string>& pages,
                     const std::string& extraArgs = "", unsigned long timeoutMs = 60000);
// PublishDeployment's page loaded in a host as RunHostUnder does, no event log left from before.
HostRun Deploy(const std::string& folder, const std::string& ini, const Pairs& files,
               const Pairs& params, const std::string& windowsVersion = "",
               const std::string& extraArgs = "");

// Stays on its last page (--until) until Finish; Send posts "WevelinkHostCommand" to its frame.
class RunningHost {
 public:
  explicit RunningHost(const std::vector<std::string>& pages, const std::string& extraArgs = "");
  ~RunningHost();
  RunningHost(const RunningHost&) = delete;
  RunningHost& operator=(const RunningHost&) = delete;

  bool Send(unsigned command, LPARAM lParam = 0) const;
  std::vector<std::string> Trace() const;
  HostRun Finish(unsigned long timeoutMs = 60000);

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  std::string boxes_, trace_, until_;
};

// What the tests start from now on starts on this desktop ("" for the test's own).
void SetHostDesktop(const std::string& name);
// Ends the stand-ins whose start stubLog records (they hold their files).
void EndStandInsOf(const std::string& stubLog);
// Polls done() every 20 ms for at most timeoutMs; whether it came true.
bool WaitUntil(const std::function<bool()>& done, unsigned long timeoutMs);

std::string TempFolder();  // no end separator
// The control's event logs in the download folder (%TEMP%\Kestrava).
std::string DownloadFolder();
std::vector<std::string> EventLogFiles();  // oldest first
void DeleteEventLogs();
// The only log since DeleteEventLogs; a failure when there is not one.
std::string ReadOnlyEventLog();
std::vector<std::string> LogLinesWithoutStamps(const std::string& log);
bool HasLine(const std::vector<std::string>& lines, const std::string& line);
// Each page's lines, keyed by its address (its "Found Display Name:" on).
std::map<std::string, std::vector<std::string>> PageLogLines(
    const std::vector<std::string>& logFiles);

// No server rules, no event logs, no MARROCK keys, no uninstall entry.
void ResetDeployment();
// Ends what the container left running (each holds the test's stderr, keeping the runner waiting).
std::vector<std::string> EndLeftRunning(unsigned long containerId);
std::string CrashReport(const std::string& output);  // empty without one

// Lower-case path to "size time", or "folder", of all below root.
typedef std::map<std::string, std::string> DriveRecord;
DriveRecord RecordDrive(const std::string& root);
// The paths that differ, but below the allowed lower-case prefixes.
std::vector<std::string> DriveChanges(const DriveRecord& before, const DriveRecord& after,
                                      const std::vector<std::string>& allowed);

// Each entry matching pattern ("folder\\*.lnk") but "." and "..".
void ForEachFound(const std::string& pattern,
                  const std::function<void(const WIN32_FIND_DATAA&)>& found);
void RemoveTree(const std::string& folder);  // what is in use stays
// "target | arguments | description | folder", or "(missing)"; needs COM.
std::string ReadLink(const std::string& path);
std::string ShellFolder(int csidl);  // created when missing
// The prefix's ActiveX cache, else the temporary folder; no end separator.
std::string ActiveXCacheFolder();
std::string FileContent(const std::string& path);  // "(missing)" when unreadable
// A REG_BINARY value's bytes, "(none)" or "(type N)" otherwise.
std::string RegBinary(HKEY hive, const std::string& key, const std::string& name);

}  // namespace testsupport

#endif
