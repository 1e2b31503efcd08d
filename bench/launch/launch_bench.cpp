// What the session launcher costs on top of starting the programs.
//
//   launch_bench.exe PROGRAMS_FOLDER RUNS
//
// PROGRAMS_FOLDER holds the signed stand-in under the six web-mode program
// names. Prints one line per measured pass:
//   RESULT method seconds
// launch-1, launch-6: LaunchSessions on a list of one (Mainframe Display) or
//   six sessions (one per kind), from its call until every session's window
//   exists, with the kinds' publisher checks (flags cleared first);
// checked-1, checked-6: the same with every kind already checked;
// bare-1, bare-6: the same command lines started by a bare CreateProcessA
//   loop that, like the launcher on NT 5 and later, waits for each window
//   (FindWindowA every millisecond) before the next start.
#include <stdio.h>
#include <stdlib.h>

#include <initializer_list>
#include <windows.h>

#include "bench_clock.h"
#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "base/module_folders.h"
#include "download/verified_flag.h"
#include "sessions/portable/launch_text.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_launcher.h"
#include "sessions/portable/session_list.h"
#include "sessions/session_window_table.h"
#include "download/verified_flag_private.h"
#include "sessions/session_state.h"
#include "config/deployment_settings_private.h"

namespace {

const char* const kCommands[kSessionKinds] = {
    "KVMD.PRO /s1 /f\"a.zmd\" /H127.0.0.1", "KVMP.PRO /s1 /fp", "KVAD.PRO /s1 /f\"a.zad\"",
    "KVAP.PRO /s1 /fp",                      "KVFTP.PRO /s1 /f\"a.zft\"", "KVVT.PRO /s1 /f\"a.zvt\""};

void Report(const char* method, int count, double start) {
  printf("RESULT %s-%d %.4f\n", method, count, Now() - start);
  fflush(stdout);
}

HWND WindowOf(int kind) {
  char name[kSessionClassCapacity];
  FormatSessionWindowClass(name, sizeof name, kind, false, 1);
  return FindWindowA(name, nullptr);
}

void WaitForWindow(int kind) {
  while (!WindowOf(kind)) Sleep(1);
}

// Closes the sessions and waits until each is gone from the table too. A
// window can exist before its program has published it, so it is looked
// for by class.
void CloseAll(int count) {
  for (int kind = 0; kind < count; ++kind) {
    for (HWND window; (window = WindowOf(kind)) != nullptr || GetSessionWindow(kind, 0) != nullptr;) {
      if (window) PostMessageA(window, WM_CLOSE, 0, 0);
      Sleep(5);
    }
  }
}

void Launch(int count, bool checked) {
  SessionListToBuild()->Count = count;
  for (int kind = 0; kind < count; ++kind) {
    CopyText(SessionListToBuild()->Commands[kind], kSessionCommandCapacity, kCommands[kind]);
    SessionListToBuild()->Save[kind] = 0;
    VerifiedFlag[kind] = checked ? 1 : 0;
  }
  double start = Now();
  LaunchSessions(nullptr);
  for (int kind = 0; kind < count; ++kind) WaitForWindow(kind);
  Report(checked ? "checked" : "launch", count, start);
  CloseAll(count);
}

void Bare(int count, const char* folder, const char* method = "bare") {
  double start = Now();
  for (int kind = 0; kind < count; ++kind) {
    char line[kLaunchLineCapacity];
    BeginLaunchLine(line, sizeof line, folder, kCommands[kind], kind, false);
    FinishLaunchLine(line, sizeof line, 1, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &process)) {
      fprintf(stderr, "cannot start %s: %lu\n", line, GetLastError());
      exit(1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    WaitForWindow(kind);
  }
  Report(method, count, start);
  CloseAll(count);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: launch_bench PROGRAMS_FOLDER RUNS\n");
    return 2;
  }
  int runs = atoi(argv[2]);
  InitializeModuleFolders(GetModuleHandleA(nullptr));
  // The launcher starts the programs from the kinds' component folders
  // (all the download folder in web mode): the stand-ins are put there, and
  // the bare loop starts the same files.
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    const char* program = kCommands[kind];
    char name[32], from[MAX_PATH], to[MAX_PATH];
    FormatText(name, sizeof name, "%.*s", (int)(strchr(program, ' ') - program), program);
    FormatText(from, sizeof from, "%s\\%s", argv[1], name);
    FormatText(to, sizeof to, "%s\\%s", ComponentFolderPath(SessionComponentGroup(kind)), name);
    if (!CopyFileA(from, to, FALSE)) {
      fprintf(stderr, "cannot copy %s to %s: %lu\n", from, to, GetLastError());
      return 1;
    }
  }
  const char* folder = ComponentFolderPath(0);
  g_DeploymentSettings.DesktopMode = false;
  if (!OpenSessionWindowTable()) return 1;
  // One start of each program first, so that no measured pass pays for
  // the first load of its files.
  Bare(kSessionKinds, folder, "warm-up");
  for (int run = 0; run < runs; ++run) {
    for (int count : {1, (int)kSessionKinds}) {
      Launch(count, false);
      Launch(count, true);
      Bare(count, folder);
    }
  }
  CloseSessionWindowTable();
  return 0;
}
