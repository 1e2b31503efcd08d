// The session programs' stand-in. The real session programs lie outside
// this system; this one program, copied under each of their names, honours
// what the control relies on: it takes its kind from its file name and its
// mode from the extension, reads the switches the control passes, creates
// its main window with the kind's session class and its instance number,
// publishes the window in the shared session window table while it exists,
// answers the control's private messages and closes on WM_CLOSE. It records
// everything it receives (stub_log.h) and can be told to misbehave
// (stub_settings.h) so that the control's waits can be tested.
#include <windows.h>

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"
#include "stub_command_line.h"
#include "stub_identity.h"
#include "stub_log.h"
#include "stub_settings.h"
#include "stub_window.h"

namespace {

StubCommandLine g_Line;  // large; kept off the stack

int Finish(int code) {
  CloseSessionWindowTable();
  StubLog("exit code=%d", code);
  return code;
}

void LogSwitches() {
  for (int i = 0; i < g_Line.switchCount; ++i) {
    const StubSwitch& given = g_Line.switches[i];
    StubLog("switch %c value=[%s]%s", given.name, given.value, given.quoted ? " quoted" : "");
  }
  if (!g_Line.complete) StubLog("error command line cut");
}

// Waits, but never past the exit time. False when the exit time came first.
bool WaitBeforeExit(DWORD waitMs, DWORD startTick, DWORD exitAfterMs) {
  DWORD elapsed = GetTickCount() - startTick;
  DWORD left = exitAfterMs > elapsed ? exitAfterMs - elapsed : 0;
  Sleep(waitMs < left ? waitMs : left);
  return waitMs < left;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DWORD startTick = GetTickCount();
  StubSettings settings;
  ReadStubSettings(&settings);

  char modulePath[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  const char* commandLine = GetCommandLineA();

  int kind = -1;
  bool desktopMode = false;
  if (!StubIdentityFromPath(modulePath, &kind, &desktopMode)) {
    StubLog("start kind=? mode=? cmd=%s cwd=%s", commandLine, folder);
    StubLog("error %s is not named as a session program", modulePath);
    return Finish(2);
  }
  StubLog("start kind=%s mode=%s cmd=%s cwd=%s", SessionProgramTag(kind),
          desktopMode ? "desktop" : "web", commandLine, folder);
  ParseStubCommandLine(commandLine, &g_Line);
  LogSwitches();

  if (!OpenSessionWindowTable()) StubLog("error session window table %lu", GetLastError());

  int number = StubInstanceNumber(g_Line);
  if (number < 0) {
    StubLog("error instance switch is not a number from 1 to 99");
    return Finish(2);
  }
  if (settings.noWindow) {
    StubLog("no-window");
    if (!WaitBeforeExit(kStubNoWindowExitMs, startTick, settings.exitAfterMs)) {
      StubLog("exit-timer");
    }
    return Finish(0);
  }
  if (settings.windowDelayMs > 0 &&
      !WaitBeforeExit(settings.windowDelayMs, startTick, settings.exitAfterMs)) {
    StubLog("exit-timer");
    return Finish(0);
  }

  const char* from = "switch";
  if (number == 0) {
    from = "free";
    number = FindFreeInstance(kind, desktopMode);
    if (number == 0) {
      StubLog("error no free instance");
      return Finish(3);
    }
  }
  char className[kSessionClassCapacity];
  FormatSessionWindowClass(className, sizeof className, kind, desktopMode, number);
  HWND running = FindWindowA(className, nullptr);
  if (running != nullptr) {
    StubLog("error instance %d busy hwnd=%lu", number, (unsigned long)(DWORD)(ULONG_PTR)running);
    return Finish(3);
  }
  StubLog("instance n=%d from=%s", number, from);

  StubWindowParams params = {};
  params.kind = kind;
  params.desktopMode = desktopMode;
  params.instance = number;
  params.className = className;
  params.line = &g_Line;
  params.settings = &settings;
  DWORD elapsed = GetTickCount() - startTick;
  params.exitAfterMs = settings.exitAfterMs > elapsed ? settings.exitAfterMs - elapsed : 1;
  return Finish(RunStubWindow(instance, params));
}
