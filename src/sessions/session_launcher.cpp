// The session launcher; see session_launcher.h.
#include "sessions/session_launcher.h"

#include <windows.h>
#include <string.h>

#include "base/message_box.h"
#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/deployment_settings.h"
#include "config/initialization_file.h"
#include "config/machine_policy.h"
#include "desktop/shortcuts.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "base/message_pump.h"
#include "download/verified_flag.h"
#include "download/trusted_file.h"
#include "sessions/session_state.h"
#include "sessions/portable/launch_text.h"
#include "base/portable/session_kinds.h"
#include "sessions/portable/session_list.h"
#include "sessions/session_shutdown.h"
#include "sessions/session_window_table.h"

namespace {

// How often the foreground wait looks for the window besides the messages
// that wake it: the window appears in another process, and nothing tells
// this one. Two window lookups every 5 ms cost nothing measurable, and the
// session is in front within a few milliseconds of its window.
const DWORD kForegroundPassMs = 5;

bool Embedding() { return CurrentEmbedMode() != kEmbedOff; }

void ReportLaunchFailure(const char* message) {
  WriteLogLineF("%s\r\n", message);
  ShowErrorBox(nullptr, message, kLaunchErrorCaption);
}

// Re-shows the running embedded session of the entry, if there is one.
// True when the entry is done.
bool ReuseEmbeddedSession(const char* command, int kind) {
  if (!Embedding() || !SessionWindowTableIsOpen()) return false;
  HWND candidate = nullptr;
  int slot = ReuseSlotOfCommand(command);
  if (slot >= 0) {
    candidate = GetSessionWindow(kind, slot);
  } else {
    slot = FindSessionSlotWithParent(kind, ContainerWindow());
    if (slot >= 0) candidate = GetSessionWindow(kind, slot);
  }
  if (candidate == nullptr) return false;
  const RECT& r = EmbedRect();
  if (GetParent(candidate) != ContainerWindow()) {
    WriteLogLineF("%d's Parent set to %d\r\n", (int)(INT_PTR)candidate,
                  (int)(INT_PTR)ContainerWindow());
    SetParent(candidate, ContainerWindow());
    SetWindowPos(candidate, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER);
    PostMessageA(candidate, WM_SESSION_NEWPARENT, 0, (LPARAM)ContainerWindow());
  } else {
    WriteLogLineF("%d's Parent is %d\r\n", (int)(INT_PTR)candidate,
                  (int)(INT_PTR)ContainerWindow());
    SetWindowPos(candidate, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER);
  }
  ShowWindow(candidate, SW_SHOW);
  PostMessageA(candidate, WM_SESSION_REFRESH, 0, 0);
  return true;
}

// The publisher check of the line's program, once per kind until a newer
// file of the kind arrives; the flag set is the kind of the program that
// was checked. False when the program must not start.
bool CheckPublisher(const char* program) {
  BYTE verified[kSessionKinds];
  for (int k = 0; k < kSessionKinds; ++k) verified[k] = VerifiedFlagOf(k);
  int kind = KindNeedingCheck(program, verified);
  // Under a list of publishers every start is checked: a flag set before
  // the list, or by another publisher, says nothing about this signer.
  if (kind == -1 && !PolicyListsPublishers()) return true;
  // The refusal is logged as well as shown: the administrator sees it too.
  if (CheckTrustOrReport(program, "Security error %X launching session %s:\r\n%s") != 0) {
    return false;
  }
  if (kind >= 0) StoreVerifiedFlag(kind, 1);
  return true;
}

struct ForegroundSearch {
  char classes[2][kSessionClassCapacity + kLaunchLineCapacity];
  HWND found;
};

bool FindSessionWindow(void* context) {
  ForegroundSearch* search = (ForegroundSearch*)context;
  for (const char* name : search->classes) {
    if (name[0] != '\0') search->found = FindWindowA(name, nullptr);
    if (search->found) return true;
  }
  return false;
}

// Brings the session just started to the front once its window exists. The
// window's class is looked for under the launcher's prefix and the session
// window class, so every kind is found.
void BringToFront(const char* line, int kind) {
  const DWORD start = GetTickCount();
  char instance[kLaunchLineCapacity];
  if (!InstanceTextOf(line, instance, sizeof instance)) return;
  const bool desktop = Settings().DesktopMode;
  ForegroundSearch search = {};
  FormatText(search.classes[0], sizeof search.classes[0], "%s%s",
             LauncherWindowClassPrefix(kind, desktop), instance);
  FormatText(search.classes[1], sizeof search.classes[1], "%s%s",
             SessionWindowClassPrefix(kind, desktop), instance);
  if (CompareTextNoCase(search.classes[0], search.classes[1]) == 0) search.classes[1][0] = '\0';
  for (;;) {
    if (FindSessionWindow(&search)) {
      SetForegroundWindow(search.found);
      return;
    }
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= kForegroundWaitMs) return;
    DWORD pass = kForegroundWaitMs - elapsed < kForegroundPassMs ? kForegroundWaitMs - elapsed
                                                                 : kForegroundPassMs;
    WaitWhilePumping(FindSessionWindow, &search, pass, 0);
  }
}

void LaunchEntry(int index, STARTUPINFOA* startup) {
  const char* command = CurrentSessionList().Commands[index];
  const bool desktop = Settings().DesktopMode;
  const int kind = SessionKindOfCommand(command);
  if (kind < 0) {
    ReportLaunchFailure("Failed to launch session ... The session names no session program.");
    return;
  }
  if (ReuseEmbeddedSession(command, kind)) return;

  const char* folder = desktop ? Settings().InstallFolder
                               : ComponentFolderPath(SessionComponentGroup(kind));
  char line[kLaunchLineCapacity];
  bool fits = BeginLaunchLine(line, sizeof line, folder, command, kind, desktop);
  int configSwitch = 1;
  if (CurrentSessionList().Save[index]) configSwitch = InstanceConfigExists(line, kind) ? 0 : 2;
  LaunchGeometry geometry = {(long)(INT_PTR)ContainerWindow(), EmbedRect().left, EmbedRect().top,
                             EmbedRect().right, EmbedRect().bottom};
  fits = fits && FinishLaunchLine(line, sizeof line, configSwitch,
                                  !desktop && Embedding() ? &geometry : nullptr);
  if (!fits) {
    // A cut line would start the program with switches missing or wrong.
    ReportLaunchFailure(
        "Failed to launch session ... The command line is longer than 259 characters.");
    return;
  }
  if (Embedding() && SessionWindowTableIsOpen()) CloseEmbeddedSession();
  WriteLogLineF("%s\r\n", line);
  // The program checked is the program started: naming it keeps the
  // platform from taking "C:\Program" of an unquoted path with blanks.
  char program[kProgramPathCapacity];
  ProgramPathOf(line, desktop, program, sizeof program);
  if (!CheckPublisher(program)) return;

  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, folder, startup,
                      &process)) {
    char message[96];
    FormatText(message, sizeof message, "Failed to launch session ... Error Code %d.",
               (int)GetLastError());
    ReportLaunchFailure(message);
    return;
  }
  ScopedKernelHandle processHandle(process.hProcess);
  ScopedKernelHandle threadHandle(process.hThread);
  if (!Embedding() && PlatformVersion().dwPlatformId == VER_PLATFORM_WIN32_NT &&
      PlatformVersion().dwMajorVersion > 4) {
    BringToFront(line, kind);
  }
}

}  // namespace

void LaunchSessions(const char* iniName) {
  WriteLogLine("Launching Sessions...\r\n");
  // An embed mode kept from a page whose window has gone: the search for a
  // running session would then match any top-level one.
  if (Embedding() && (ContainerWindow() == nullptr || !IsWindow(ContainerWindow()))) {
    WriteLogLine("The window to embed the sessions in is gone; they start in their own.\r\n");
    SetEmbedMode(kEmbedOff);
  }
  if (iniName) ReadInitializationFile(iniName);
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  startup.dwFlags |= STARTF_FORCEONFEEDBACK;
  for (int index = 0; index < CurrentSessionList().Count && index < kSessionEntries; ++index) {
    LaunchEntry(index, &startup);
  }
  // Desktop mode made its shortcuts with the installation.
  if (Settings().DesktopMode) return;
  bool kindWanted = false;
  for (const KindShortcut& kind : Settings().KindShortcuts) kindWanted |= kind.Wanted;
  if (kindWanted) CreateBrowserShortcuts();
  CreateCustomShortcuts();
}
