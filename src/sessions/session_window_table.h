// The session window table: a named block of shared memory on the paging
// file in which every session program publishes its main window under its
// session kind and instance number, and which every control instance in
// every process reads to find, re-use and close running sessions.
//
// Layout (all values 32-bit little-endian, 0 = empty slot): six arrays of 99
// window handles, Display kinds before Printer kinds (Mainframe Display at
// 0, AS/400 Display at 396, Mainframe Printer at 792, AS/400 Printer at
// 1188, FTP at 1584, VT at 1980), then the DeploymentBusy word at 2376.
//
// There is no lock: every slot and the busy word is one aligned 32-bit word
// that one writer stores and others read whole. Window handles keep their
// low 32 bits, which is all a window handle carries on 64-bit Windows too,
// so 32-bit and 64-bit processes share the table.
#ifndef WEVELINK_SESSIONS_SESSION_WINDOW_TABLE_H
#define WEVELINK_SESSIONS_SESSION_WINDOW_TABLE_H

#include <windows.h>

enum {
  kSessionWindowTableBytes = 2380,
  kSessionSlotsPerKind = 99,
  kDeploymentBusyOffset = 2376,
};

// "MarrockW2HCtrlSharedMem".
extern const char kSessionWindowTableName[];

// Creates the section, or opens it when another process made it first, and
// maps all of it for writing. A section this call created is set to zero;
// an existing one keeps what other processes published. True when the table
// is available; a second call while it is open returns true at once. On
// failure nothing stays open.
bool OpenSessionWindowTable();

// Unmaps the view and closes the section handle; nothing when not open.
void CloseSessionWindowTable();

bool SessionWindowTableIsOpen();

// Byte offset of the kind's array in the table; -1 for a kind outside 0-5.
int SessionWindowArrayOffset(int kind);

// The window in the kind's slot (0-98, the slot of instance number slot+1).
// Null when the table is not open or kind or slot is out of range.
HWND GetSessionWindow(int kind, int slot);

// Stores window in the kind's slot. False when the table is not open or
// kind or slot is out of range.
bool SetSessionWindow(int kind, int slot, HWND window);

// Stores 0 in the kind's slot only while it still holds window, so that a
// program never clears a slot that another window has taken meanwhile.
// False when it held something else or the table is not open.
bool ClearSessionWindow(int kind, int slot, HWND window);

// The first slot (0-98) of the kind whose window's parent is parent; -1 when
// there is none or the table is not open.
int FindSessionSlotWithParent(int kind, HWND parent);

// The DeploymentBusy word; reads 0 and writes nothing without a table.
DWORD GetDeploymentBusy();
void SetDeploymentBusy(DWORD value);

// The lowest instance number (1-99) of the kind whose main window class
// (desktop or web column) has no window, looked for with FindWindowA; 0
// when 1 to 99 are all in use or the kind is out of range. Numbers above
// the first free one are not looked at. Needs no table.
int FindFreeInstance(int kind, bool desktopMode);


// The private messages the control sends a session program's window: its
// new parent (lParam), and repaint and take the keyboard.
const UINT WM_SESSION_NEWPARENT = 0x049A;
const UINT WM_SESSION_REFRESH = 0x0465;

#endif
