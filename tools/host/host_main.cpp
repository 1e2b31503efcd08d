// wevelink-host: a browser stand-in for trying the control on a page. It
// shows the pages given on the command line one after another in one
// process (page_controls.h does each page), keeps each one up for its stay,
// and reports through its exit code whether every page loaded. Options are
// in host_options.h; --help lists them.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "box_recorder.h"
#include "base/portable/bounded_text.h"
#include "container_site.h"
#include "control_factory.h"
#include "host_options.h"
#include "host_trace.h"
#include "host_window.h"
#include "page_controls.h"

namespace {

const int kExitLoaded = 0;
const int kExitPageFailed = 1;
const int kExitUsage = 2;
const int kMaxArguments = kMaxHostPages + 32;
const DWORD kPollMs = 50;

enum StayEnd { kStayTimeout, kStayUntil, kStayClosed };

// The command line as UTF-8, for the platform-free option parser.
char g_argumentText[32768 * 3];
const char* g_arguments[kMaxArguments];

// A crash, the control's above all, ends the host at once with its code and one line on
// stderr: Wine reports it to the console of whoever started the host, and the debugger it
// starts may wait for good.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  char line[128];
  FormatText(line, sizeof line, "wevelink-host: Unhandled exception %08lX at %p (thread %lu)\n",
             (unsigned long)record->ExceptionCode, record->ExceptionAddress,
             (unsigned long)GetCurrentThreadId());
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, (DWORD)strlen(line), &written, nullptr);
  TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

void PrintError(const char* format, const char* a, const char* b) {
  char line[3000];
  FormatText(line, sizeof line, format, a, b);
  fprintf(stderr, "wevelink-host: %s\n", line);
  fflush(stderr);
}

bool WideFromUtf8(const char* text, wchar_t* wide, int capacity) {
  return MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, capacity) != 0;
}

int CollectArguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return 0;
  size_t used = 0;
  int kept = 0;
  for (int i = 0; i < count && kept < kMaxArguments; ++i) {
    int room = (int)(sizeof g_argumentText - used);
    int written = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, g_argumentText + used, room,
                                      nullptr, nullptr);
    if (written == 0) break;
    g_arguments[kept++] = g_argumentText + used;
    used += (size_t)written;
  }
  LocalFree(wide);
  return kept;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      NoteQuitMessage();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Keeps the page up for ms (INFINITE: no limit), until untilPath exists,
// or until the frame is closed.
StayEnd Stay(DWORD ms, const wchar_t* untilPath) {
  DWORD start = GetTickCount();
  for (;;) {
    PumpMessages();
    if (CloseRequested()) return kStayClosed;
    if (untilPath != nullptr && GetFileAttributesW(untilPath) != INVALID_FILE_ATTRIBUTES) {
      return kStayUntil;
    }
    DWORD elapsed = GetTickCount() - start;
    if (ms != INFINITE && elapsed >= ms) return kStayTimeout;
    DWORD wait = kPollMs;
    if (ms != INFINITE && ms - elapsed < wait) wait = ms - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
}

const char* StayEndName(StayEnd end) {
  switch (end) {
    case kStayUntil: return "until";
    case kStayClosed: return "closed";
    default: return "timeout";
  }
}

// Shows the pages in turn; returns how many failed (a page not reached
// counts as failed).
int ShowPages(const HostOptions& options, HWND frame, REFCLSID clsid, const wchar_t* untilPath) {
  int failed = 0;
  KeepContainerBetweenPages(options.keepContainer);
  SiteAfterLoad(options.siteAfterLoad);
  ContainerSite::PlayBrowser(options.windowed, options.lateWindow);
  for (int i = 0; i < options.pageCount; ++i) {
    wchar_t address[2100];
    if (!WideFromUtf8(options.pages[i], address, ARRAYSIZE(address))) {
      PrintError("page %s: %s", options.pages[i], "address too long");
      ++failed;
      continue;
    }
    const char* reason = "";
    if (!EnterPage(address, frame, clsid, options.clsid, &reason)) {
      PrintError("page %s failed: %s", options.pages[i], reason);
      Trace("page failed %s", reason);
      ++failed;
    }
    bool last = i == options.pageCount - 1;
    DWORD ms = options.stayMs;
    if (last && untilPath != nullptr && !options.stayGiven) ms = INFINITE;
    Trace("stay ms=%ld", ms == INFINITE ? -1L : (long)ms);
    StayEnd end = Stay(ms, untilPath);
    Trace("stay end %s", StayEndName(end));
    LeavePage();
    if (!last && end != kStayTimeout) {
      char next[16];
      FormatText(next, sizeof next, "%d", i + 2);
      PrintError("stopped (%s) before page %s", StayEndName(end), next);
      failed += options.pageCount - 1 - i;
      break;
    }
  }
  return failed;
}

int Run(const HostOptions& options) {
  wchar_t path[MAX_PATH * 2];
  if (options.tracePath != nullptr &&
      !(WideFromUtf8(options.tracePath, path, ARRAYSIZE(path)) && OpenTrace(path))) {
    PrintError("cannot write the trace %s%s", options.tracePath, "");
    return kExitUsage;
  }
  if (options.boxesPath != nullptr &&
      !(WideFromUtf8(options.boxesPath, path, ARRAYSIZE(path)) &&
        StartBoxRecorder(path, options.boxDelayMs, GetCurrentThreadId()))) {
    PrintError("cannot record message boxes into %s%s", options.boxesPath, "");
    return kExitUsage;
  }
  wchar_t untilPath[MAX_PATH * 2];
  if (options.untilPath != nullptr &&
      !WideFromUtf8(options.untilPath, untilPath, ARRAYSIZE(untilPath))) {
    PrintError("bad --until path %s%s", options.untilPath, "");
    return kExitUsage;
  }
  // The option parser checked the form; CLSIDFromString wants the braces.
  CLSID clsid;
  char braced[48];
  FormatText(braced, sizeof braced, "{%.36s}",
             options.clsid[0] == '{' ? options.clsid + 1 : options.clsid);
  wchar_t clsidText[48];
  if (!WideFromUtf8(braced, clsidText, ARRAYSIZE(clsidText)) ||
      FAILED(CLSIDFromString(clsidText, &clsid))) {
    PrintError("not a class id: %s%s", options.clsid, "");
    return kExitUsage;
  }

  Trace("start pid=%lu ui=%lu", GetCurrentProcessId(), GetCurrentThreadId());
  HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) {
    PrintError("OLE could not start%s%s", "", "");
    Trace("exit code=%d", kExitPageFailed);
    return kExitPageFailed;
  }
  int exitCode = kExitLoaded;
  if (options.modulePath != nullptr) {
    if (!WideFromUtf8(options.modulePath, path, ARRAYSIZE(path)) ||
        FAILED(LoadControlModule(path))) {
      PrintError("cannot load the module %s%s", options.modulePath, "");
      exitCode = kExitPageFailed;
    }
  }
  HWND frame = nullptr;
  if (exitCode == kExitLoaded) {
    frame = CreateFrameWindow(GetModuleHandleW(nullptr));
    if (frame == nullptr) {
      PrintError("cannot create the window%s%s", "", "");
      exitCode = kExitPageFailed;
    }
  }
  if (exitCode == kExitLoaded) {
    int failed = ShowPages(options, frame, clsid, options.untilPath ? untilPath : nullptr);
    if (failed > 0) exitCode = kExitPageFailed;
  }
  if (frame != nullptr) DestroyWindow(frame);
  PumpMessages();
  OleUninitialize();
  // COM has freed the registered module here if DllCanUnloadNow let it.
  Trace("module %s", GetModuleHandleW(L"WEVELINK.OCX") ? "kept" : "freed");
  UnloadControlModule();
  StopBoxRecorder();
  Trace("exit code=%d", exitCode);
  CloseTrace();
  return exitCode;
}

}  // namespace

int main() {
  SetUnhandledExceptionFilter(ReportCrash);
  int count = CollectArguments();
  HostOptions options;
  char error[512];
  if (!ParseHostOptions(count, g_arguments, &options, error, sizeof error)) {
    PrintError("%s%s", error, "");
    fputs(HostUsageText(), stderr);
    return kExitUsage;
  }
  if (options.help) {
    fputs(HostUsageText(), stdout);
    return kExitLoaded;
  }
  if (options.send != nullptr) {
    if (SendHostCommand(options.send)) return kExitLoaded;
    PrintError("no container is running to take %s%s", options.send, "");
    return kExitPageFailed;
  }
  return Run(options);
}
