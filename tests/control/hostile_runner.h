// The hostile suite's runner: the test container on several pages in one
// process with its output kept (so that a crash report shows), a record of
// the prefix's drive_c to compare before and after, and the event log of
// each page.
#ifndef WEVELINK_TESTS_CONTROL_HOSTILE_RUNNER_H
#define WEVELINK_TESTS_CONTROL_HOSTILE_RUNNER_H

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hostile {

struct ContainerRun {
  bool finished = false;        // within the time bound
  unsigned long exitCode = 255;
  unsigned long elapsedMs = 0;
  unsigned long processId = 0;  // the container's, for EndLeftRunning
  std::string output;           // the container's stdout and stderr, Wine's included
  std::vector<std::string> boxes;  // CAPTION\tTEXT\t0xSTYLE\tui|worker
};

// Runs wevelink-host on the pages in turn, each shown as briefly as the
// container allows; ended and reported unfinished after timeoutMs. With
// ready, the last page stays until ready() comes true (polled, at most
// 20 s), as a user who waits for the session before leaving.
ContainerRun RunContainer(const std::vector<std::string>& pages, unsigned long timeoutMs,
                          const std::function<bool()>& ready = nullptr);

// Ends what the container with this process id started and left running
// (and what those started), and returns their names with their ids. Every
// process started under Wine holds the test's standard error, so one that
// outlived the test would keep the test runner waiting for its output.
std::vector<std::string> EndLeftRunning(unsigned long containerId);

// Wine's words for a crash, found in output; empty when there is none.
std::string CrashReport(const std::string& output);

// Every file and folder below root: lower-case path to "size time" for a
// file, "folder" for a folder (a folder's own time changes with what
// happens inside it, which the files show).
typedef std::map<std::string, std::string> DriveRecord;
DriveRecord RecordDrive(const std::string& root);

// The paths that differ between the records, each with what changed,
// leaving out the paths that begin with one of the allowed prefixes (lower
// case, no separator at the end: the folder and what is below it).
std::vector<std::string> DriveChanges(const DriveRecord& before, const DriveRecord& after,
                                      const std::vector<std::string>& allowed);

// Deletes folder and everything below it (what is in use stays).
void RemoveTree(const std::string& folder);

// The log lines of each page, without their time stamps, keyed by the
// page's address: the lines from the page's "Found Display Name:" line on
// to the next page's. The logs are read in the order they were written.
std::map<std::string, std::vector<std::string>> PageLogLines(
    const std::vector<std::string>& logFiles);

}  // namespace hostile

#endif
