// Cabinet setup programs; see run_program.h.
#include "download/run_program.h"

#include <windows.h>

#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "base/event_log.h"
#include "download/trusted_file.h"
#include "base/worker_call.h"

namespace {

// A setup program that never becomes idle must not hold the page for
// ever.
const DWORD kIdleWaitMs = 60000;

// WaitForInputIdle blocks its thread, so it runs on a worker while the
// page's thread goes on dispatching.
LONG WaitUntilIdle(void* process) { return (LONG)WaitForInputIdle((HANDLE)process, kIdleWaitMs); }

}  // namespace

void RunProgram(const char* workingFolder, const char* programPath) {
  if (CheckTrustOrReport(programPath, "Security error %X executing program %s:\r\n%s") != 0) return;
  // Named and quoted: otherwise a path with blanks would start whatever
  // program its first words name, which the check above never saw.
  char commandLine[MAX_PATH + 3];
  if (!FormatText(commandLine, sizeof commandLine, "\"%s\"", programPath)) {
    WriteLogLineF("   %s: path too long to run.\r\n", programPath);
    return;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(programPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, workingFolder,
                      &startup, &started)) {
    WriteLogLineF("   %s could not be started: error %lu\r\n", programPath, GetLastError());
    return;
  }
  ScopedKernelHandle process(started.hProcess);
  ScopedKernelHandle thread(started.hThread);
  WriteLogLineF("   Started %s in %s\r\n", programPath, workingFolder);
  LONG waited = WAIT_FAILED;
  if (RunOnWorker(WaitUntilIdle, process.Get(), &waited) && waited == (LONG)WAIT_TIMEOUT) {
    WriteLogLineF("   %s was not idle after %lu ms; going on.\r\n", programPath, kIdleWaitMs);
  }
}
