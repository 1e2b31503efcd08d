// Message-box recorder; see box_recorder.h.
//
// State is process-wide: the real functions, the record path and the list
// of patched slots are set on the starting thread before any slot points
// at a replacement, so the replacements read them without a lock; only the
// record file's appends take one.
#include "box_recorder.h"

#include <tlhelp32.h>

#include "base/portable/bounded_text.h"
#include "import_patch.h"
#include "line_escape.h"

namespace {

enum FunctionIndex {
  kMessageBoxA,
  kMessageBoxW,
  kMessageBoxExA,
  kMessageBoxExW,
  kMessageBoxIndirectA,
  kMessageBoxIndirectW,
  kGetProcAddress,
  kFunctionCount
};

// Each function may be imported under two addresses: its own and, for
// GetProcAddress, the one behind the API set (kernelbase).
struct ReplacedFunction {
  void* real[2];
  void* replacement;
};

struct PatchedSlot {
  HMODULE module;
  void** slot;
  void* original;
};

const int kMaxPatchedSlots = 1024;
const UINT_PTR kDismissTimer = 0x5742;  // unlikely to clash with a box's own
const size_t kRecordLineCapacity = 16384;

ReplacedFunction g_functions[kFunctionCount];
PatchedSlot g_slots[kMaxPatchedSlots];
int g_slotCount;
bool g_started;
wchar_t g_recordPath[MAX_PATH * 2];
DWORD g_delayMs;
DWORD g_uiThreadId;
CRITICAL_SECTION g_recordLock;
bool g_lockReady;
DWORD g_hookSlot = TLS_OUT_OF_INDEXES;  // this thread's pending CBT hook

// ---- the record ------------------------------------------------------------

// UTF-16 to UTF-8 into dst (terminated). A text too long for dst is cut
// (at most three bytes per UTF-16 unit, so the cut always fits) and false
// is returned.
bool Utf8FromWide(const wchar_t* text, char* dst, int capacity) {
  dst[0] = '\0';
  if (text == nullptr) return true;
  int length = lstrlenW(text);
  int limit = (capacity - 1) / 3;
  bool fits = length <= limit;
  if (!fits) length = limit;
  int written = length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, length, dst, capacity - 1,
                                                 nullptr, nullptr)
                           : 0;
  dst[written > 0 ? written : 0] = '\0';
  return fits;
}

// ANSI to UTF-16 into dst (terminated), cut like Utf8FromWide.
void WideFromAnsi(const char* text, wchar_t* dst, int capacity) {
  dst[0] = L'\0';
  if (text == nullptr) return;
  int length = lstrlenA(text);
  if (length > capacity - 1) length = capacity - 1;
  int written = length > 0 ? MultiByteToWideChar(CP_ACP, 0, text, length, dst, capacity - 1) : 0;
  dst[written > 0 ? written : 0] = L'\0';
}

void AppendRecordLine(const char* line) {
  EnterCriticalSection(&g_recordLock);
  HANDLE file = CreateFileW(g_recordPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line, (DWORD)lstrlenA(line), &written, nullptr);
    CloseHandle(file);
  }
  LeaveCriticalSection(&g_recordLock);
}

void RecordBox(const wchar_t* caption, const wchar_t* text, UINT type) {
  if (!g_started) return;
  static const int kFieldCapacity = 8192;
  char* captionUtf8 = (char*)HeapAlloc(GetProcessHeap(), 0, kFieldCapacity);
  char* textUtf8 = (char*)HeapAlloc(GetProcessHeap(), 0, kFieldCapacity);
  char* line = (char*)HeapAlloc(GetProcessHeap(), 0, kRecordLineCapacity);
  if (captionUtf8 && textUtf8 && line) {
    bool fits = Utf8FromWide(caption ? caption : L"Error", captionUtf8, kFieldCapacity);
    fits = Utf8FromWide(text, textUtf8, kFieldCapacity) && fits;
    line[0] = '\0';
    fits = AppendEscapedText(line, kRecordLineCapacity, captionUtf8) && fits;
    AppendText(line, kRecordLineCapacity, "\t");
    fits = AppendEscapedText(line, kRecordLineCapacity, textUtf8) && fits;
    char tail[64];
    FormatText(tail, sizeof tail, "%s\t0x%X\t%s\n", fits ? "" : "[cut]", type,
               GetCurrentThreadId() == g_uiThreadId ? "ui" : "worker");
    // The tail always goes in whole: make room for it when the text filled the line.
    size_t room = kRecordLineCapacity - lstrlenA(tail) - 1;
    if ((size_t)lstrlenA(line) > room) line[room] = '\0';
    AppendText(line, kRecordLineCapacity, tail);
    AppendRecordLine(line);
  }
  if (captionUtf8) HeapFree(GetProcessHeap(), 0, captionUtf8);
  if (textUtf8) HeapFree(GetProcessHeap(), 0, textUtf8);
  if (line) HeapFree(GetProcessHeap(), 0, line);
}

// ANSI texts through the ANSI code page, as the system itself shows them.
void RecordBoxA(const char* caption, const char* text, UINT type) {
  if (!g_started) return;
  static const int kWideCapacity = 4096;
  wchar_t* wideCaption = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, kWideCapacity * sizeof(wchar_t));
  wchar_t* wideText = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, kWideCapacity * sizeof(wchar_t));
  if (wideCaption && wideText) {
    WideFromAnsi(caption, wideCaption, kWideCapacity);
    WideFromAnsi(text, wideText, kWideCapacity);
    RecordBox(caption ? wideCaption : nullptr, wideText, type);
  }
  if (wideCaption) HeapFree(GetProcessHeap(), 0, wideCaption);
  if (wideText) HeapFree(GetProcessHeap(), 0, wideText);
}

// ---- answering the box -----------------------------------------------------

// The box's default button: the push button drawn as the default. Wine's
// boxes mark it only by its style (their DM_GETDEFID always names IDOK),
// so the style is asked first and DM_GETDEFID only when no button has it.
WORD FindDefaultButton(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16];
    if (GetClassNameW(child, className, ARRAYSIZE(className)) &&
        lstrcmpiW(className, L"Button") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return (WORD)GetDlgCtrlID(child);
    }
  }
  LRESULT defaultId = SendMessageW(box, DM_GETDEFID, 0, 0);
  return HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : (WORD)IDOK;
}

void CALLBACK OnDismissTimer(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  WORD button = FindDefaultButton(box);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button));
}

bool IsDialogClass(LPCWSTR className) {
  if (IS_INTRESOURCE(className)) return LOWORD((ULONG_PTR)className) == 0x8002;  // #32770
  return lstrcmpiW(className, L"#32770") == 0;
}

LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = (HHOOK)TlsGetValue(g_hookSlot);
  if (code == HCBT_CREATEWND) {
    const CBT_CREATEWNDW* create = (const CBT_CREATEWNDW*)lParam;
    if (!(create->lpcs->style & WS_CHILD) && IsDialogClass(create->lpcs->lpszClass)) {
      // The first top-level dialog of this thread after the call is the box.
      SetTimer((HWND)wParam, kDismissTimer, g_delayMs, OnDismissTimer);
      if (hook) UnhookWindowsHookEx(hook);
      TlsSetValue(g_hookSlot, nullptr);
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

// Installs this thread's hook for the box about to be shown; returns the
// hook pending before (a box shown from inside another box's modal loop).
HHOOK ArmDismiss() {
  HHOOK previous = (HHOOK)TlsGetValue(g_hookSlot);
  HHOOK hook = SetWindowsHookExW(WH_CBT, OnCbtEvent, nullptr, GetCurrentThreadId());
  TlsSetValue(g_hookSlot, hook);
  return previous;
}

void DisarmDismiss(HHOOK previous) {
  HHOOK hook = (HHOOK)TlsGetValue(g_hookSlot);
  if (hook) UnhookWindowsHookEx(hook);  // the box never appeared
  TlsSetValue(g_hookSlot, previous);
}

// Arms the dismissal for one box for the length of a replacement call;
// after StopBoxRecorder boxes are shown untouched.
struct DismissScope {
  bool armed;
  HHOOK previous;
  DismissScope() : armed(g_started), previous(armed ? ArmDismiss() : nullptr) {}
  ~DismissScope() {
    if (armed) DisarmDismiss(previous);
  }
};

// ---- the replacements ------------------------------------------------------

template <typename Function>
Function Real(FunctionIndex index) {
  return (Function)g_functions[index].real[0];
}

int WINAPI ReplacementMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  RecordBoxA(caption, text, type);
  DismissScope scope;
  return Real<decltype(&MessageBoxA)>(kMessageBoxA)(owner, text, caption, type);
}

int WINAPI ReplacementMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  RecordBox(caption, text, type);
  DismissScope scope;
  return Real<decltype(&MessageBoxW)>(kMessageBoxW)(owner, text, caption, type);
}

int WINAPI ReplacementMessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type,
                                    WORD language) {
  RecordBoxA(caption, text, type);
  DismissScope scope;
  return Real<decltype(&MessageBoxExA)>(kMessageBoxExA)(owner, text, caption, type, language);
}

int WINAPI ReplacementMessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type,
                                    WORD language) {
  RecordBox(caption, text, type);
  DismissScope scope;
  return Real<decltype(&MessageBoxExW)>(kMessageBoxExW)(owner, text, caption, type, language);
}

// Texts of an indirect box may be string resources of its hInstance.
void LoadIndirectText(HINSTANCE instance, LPCWSTR given, wchar_t* buffer, int capacity,
                      LPCWSTR* text) {
  *text = given;
  if (given != nullptr && IS_INTRESOURCE(given)) {
    buffer[0] = L'\0';
    LoadStringW(instance, LOWORD((ULONG_PTR)given), buffer, capacity);
    *text = buffer;
  }
}

int WINAPI ReplacementMessageBoxIndirectW(const MSGBOXPARAMSW* params) {
  if (params != nullptr) {
    wchar_t caption[512], text[2048];
    LPCWSTR shownCaption, shownText;
    LoadIndirectText(params->hInstance, params->lpszCaption, caption, ARRAYSIZE(caption),
                     &shownCaption);
    LoadIndirectText(params->hInstance, params->lpszText, text, ARRAYSIZE(text), &shownText);
    RecordBox(shownCaption, shownText, params->dwStyle);
  }
  DismissScope scope;
  return Real<decltype(&MessageBoxIndirectW)>(kMessageBoxIndirectW)(params);
}

int WINAPI ReplacementMessageBoxIndirectA(const MSGBOXPARAMSA* params) {
  if (params != nullptr) {
    char caption[512], text[2048];
    LPCSTR shownCaption = params->lpszCaption, shownText = params->lpszText;
    if (shownCaption && IS_INTRESOURCE(shownCaption)) {
      caption[0] = '\0';
      LoadStringA(params->hInstance, LOWORD((ULONG_PTR)shownCaption), caption, sizeof caption);
      shownCaption = caption;
    }
    if (shownText && IS_INTRESOURCE(shownText)) {
      text[0] = '\0';
      LoadStringA(params->hInstance, LOWORD((ULONG_PTR)shownText), text, sizeof text);
      shownText = text;
    }
    RecordBoxA(shownCaption, shownText, params->dwStyle);
  }
  DismissScope scope;
  return Real<decltype(&MessageBoxIndirectA)>(kMessageBoxIndirectA)(params);
}

// Hands out the replacements to modules that look the box functions up.
FARPROC WINAPI ReplacementGetProcAddress(HMODULE module, LPCSTR name) {
  FARPROC found = Real<decltype(&GetProcAddress)>(kGetProcAddress)(module, name);
  if (g_started && found != nullptr) {
    for (int i = kMessageBoxA; i <= kMessageBoxIndirectW; ++i) {
      if ((void*)found == g_functions[i].real[0]) return (FARPROC)g_functions[i].replacement;
    }
  }
  return found;
}

// ---- patching --------------------------------------------------------------

bool ResolveFunctions() {
  HMODULE user32 = LoadLibraryW(L"user32.dll");  // stays loaded: the slots point into it
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
  if (user32 == nullptr || kernel32 == nullptr) return false;
  struct Name {
    FunctionIndex index;
    HMODULE module;
    const char* name;
    void* replacement;
  };
  const Name names[] = {
      {kMessageBoxA, user32, "MessageBoxA", (void*)ReplacementMessageBoxA},
      {kMessageBoxW, user32, "MessageBoxW", (void*)ReplacementMessageBoxW},
      {kMessageBoxExA, user32, "MessageBoxExA", (void*)ReplacementMessageBoxExA},
      {kMessageBoxExW, user32, "MessageBoxExW", (void*)ReplacementMessageBoxExW},
      {kMessageBoxIndirectA, user32, "MessageBoxIndirectA", (void*)ReplacementMessageBoxIndirectA},
      {kMessageBoxIndirectW, user32, "MessageBoxIndirectW", (void*)ReplacementMessageBoxIndirectW},
      {kGetProcAddress, kernel32, "GetProcAddress", (void*)ReplacementGetProcAddress},
  };
  for (const Name& entry : names) {
    ReplacedFunction* function = &g_functions[entry.index];
    function->real[0] = (void*)GetProcAddress(entry.module, entry.name);
    function->real[1] = nullptr;
    function->replacement = entry.replacement;
    if (function->real[0] == nullptr) return false;
  }
  if (kernelbase != nullptr) {
    void* other = (void*)GetProcAddress(kernelbase, "GetProcAddress");
    if (other != g_functions[kGetProcAddress].real[0]) g_functions[kGetProcAddress].real[1] = other;
  }
  return true;
}

struct PatchRun {
  int patched;
  bool failed;
};

bool PatchSlot(HMODULE module, void** slot, void* context) {
  PatchRun* run = (PatchRun*)context;
  void* current = *slot;
  for (const ReplacedFunction& function : g_functions) {
    if (current != function.real[0] && (current != function.real[1] || current == nullptr)) {
      continue;
    }
    if (g_slotCount >= kMaxPatchedSlots) {
      run->failed = true;
      return false;
    }
    if (!WriteImportSlot(slot, function.replacement)) {
      run->failed = true;
      return true;
    }
    g_slots[g_slotCount++] = {module, slot, current};
    ++run->patched;
    return true;
  }
  return true;
}

}  // namespace

bool StartBoxRecorder(const wchar_t* recordPath, DWORD delayMs, DWORD uiThreadId) {
  if (g_started || recordPath == nullptr) return false;
  if (lstrlenW(recordPath) >= (int)ARRAYSIZE(g_recordPath)) return false;
  if (g_hookSlot == TLS_OUT_OF_INDEXES) {
    g_hookSlot = TlsAlloc();
    if (g_hookSlot == TLS_OUT_OF_INDEXES) return false;
  }
  if (!ResolveFunctions()) return false;
  if (!g_lockReady) {
    InitializeCriticalSection(&g_recordLock);
    g_lockReady = true;
  }
  lstrcpynW(g_recordPath, recordPath, ARRAYSIZE(g_recordPath));
  g_delayMs = delayMs;
  g_uiThreadId = uiThreadId;
  g_started = true;
  PatchLoadedModules();
  return true;
}

int PatchLoadedModules() {
  if (!g_started) return 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PatchRun run = {0, false};
  MODULEENTRY32W entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
    VisitImportSlots(entry.hModule, PatchSlot, &run);
  }
  CloseHandle(snapshot);
  return run.failed ? -1 : run.patched;
}

void StopBoxRecorder() {
  if (!g_started) return;
  for (int i = g_slotCount - 1; i >= 0; --i) {
    HMODULE owner = nullptr;
    // Only modules that are still loaded still have the slot.
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCWSTR)g_slots[i].slot, &owner) &&
        owner == g_slots[i].module) {
      WriteImportSlot(g_slots[i].slot, g_slots[i].original);
    }
  }
  g_slotCount = 0;
  g_started = false;
}
