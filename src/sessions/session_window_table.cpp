// The shared session window table; see session_window_table.h. The section
// and its view are the process-wide state of this file, opened at module
// start and released in reverse order at module exit.
#include "sessions/session_window_table.h"

#include <string.h>

#include "base/portable/session_kinds.h"

const char kSessionWindowTableName[] = "MarrockW2HCtrlSharedMem";

namespace {

HANDLE g_TableSection = nullptr;
volatile LONG* g_TableWords = nullptr;  // the view, as 32-bit words

// Array offsets in kind order: the table puts both Display kinds first.

volatile LONG* SlotWord(int kind, int slot) {
  if (g_TableWords == nullptr || kind < 0 || kind >= kSessionKinds || slot < 0 ||
      slot >= kSessionSlotsPerKind) {
    return nullptr;
  }
  return g_TableWords + SessionKindRowOf(kind)->WindowArrayOffset / 4 + slot;
}

// Handles travel as their low 32 bits and come back sign-extended, as the
// platform converts window handles between 32-bit and 64-bit processes.
LONG WindowToWord(HWND window) { return (LONG)(LONG_PTR)window; }
HWND WordToWindow(LONG word) { return (HWND)(LONG_PTR)word; }

}  // namespace

bool OpenSessionWindowTable() {
  if (g_TableWords != nullptr) return true;
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      kSessionWindowTableBytes, kSessionWindowTableName);
  if (section == nullptr) return false;
  bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, kSessionWindowTableBytes);
  if (view == nullptr) {
    CloseHandle(section);
    return false;
  }
  if (!existed) memset(view, 0, kSessionWindowTableBytes);
  g_TableSection = section;
  g_TableWords = (volatile LONG*)view;
  return true;
}

void CloseSessionWindowTable() {
  if (g_TableWords != nullptr) {
    UnmapViewOfFile((void*)g_TableWords);
    g_TableWords = nullptr;
  }
  if (g_TableSection != nullptr) {
    CloseHandle(g_TableSection);
    g_TableSection = nullptr;
  }
}

bool SessionWindowTableIsOpen() { return g_TableWords != nullptr; }

int SessionWindowArrayOffset(int kind) {
  return (kind >= 0 && kind < kSessionKinds) ? SessionKindRowOf(kind)->WindowArrayOffset : -1;
}

HWND GetSessionWindow(int kind, int slot) {
  volatile LONG* word = SlotWord(kind, slot);
  return word ? WordToWindow(*word) : nullptr;
}

bool SetSessionWindow(int kind, int slot, HWND window) {
  volatile LONG* word = SlotWord(kind, slot);
  if (word == nullptr) return false;
  InterlockedExchange(word, WindowToWord(window));
  return true;
}

bool ClearSessionWindow(int kind, int slot, HWND window) {
  volatile LONG* word = SlotWord(kind, slot);
  if (word == nullptr) return false;
  LONG mine = WindowToWord(window);
  return InterlockedCompareExchange(word, 0, mine) == mine;
}

int FindSessionSlotWithParent(int kind, HWND parent) {
  for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) {
    HWND window = GetSessionWindow(kind, slot);
    if (window != nullptr && GetParent(window) == parent) return slot;
  }
  return -1;
}

DWORD GetDeploymentBusy() {
  return g_TableWords ? (DWORD)g_TableWords[kDeploymentBusyOffset / 4] : 0;
}

void SetDeploymentBusy(DWORD value) {
  if (g_TableWords) InterlockedExchange(&g_TableWords[kDeploymentBusyOffset / 4], (LONG)value);
}

int FindFreeInstance(int kind, bool desktopMode) {
  char className[kSessionClassCapacity];
  for (int instance = 1; instance <= kSessionInstances; ++instance) {
    if (!FormatSessionWindowClass(className, sizeof className, kind, desktopMode, instance)) {
      return 0;
    }
    if (FindWindowA(className, nullptr) == nullptr) return instance;
  }
  return 0;
}
