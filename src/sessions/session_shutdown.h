// Running sessions as the control sees them: whether an instance has a
// saved configuration, and closing the session embedded in the container.
#ifndef WEVELINK_SESSIONS_SESSION_SHUTDOWN_H
#define WEVELINK_SESSIONS_SESSION_SHUTDOWN_H

#include <windows.h>

// Whether the instance the command line names (its "/s" or "/S" switch, or
// the kind's first free instance when it has neither) has a saved
// configuration: one of the kind's keys for the mode exists under
// HKEY_CURRENT_USER, or, unless BaseRegistry is 2, HKEY_LOCAL_MACHINE. The
// line is not changed. An instance text too long for a key counts as none.
bool InstanceConfigExists(const char* commandLine, int kind);

// How long CloseEmbeddedSession waits for the session to go, and how often
// the wait looks at the slot: a session program in another process clears
// it without waking this thread.
enum { kEmbeddedCloseTimeoutMs = 10000, kEmbeddedClosePassMs = 50 };

// The embedded session window: the first one of the table (kinds in
// order, slots 0-98) whose parent is container. False, with nothing
// written, when there is none or no table.
bool FindEmbeddedSession(HWND container, int* kind, int* slot);

// Posts WM_CLOSE to the session window in the kind's slot and waits,
// dispatching messages, until the slot no longer holds it, at most
// kEmbeddedCloseTimeoutMs; passLine is logged once per pass of the wait.
// False when the session did not go in time.
bool CloseSessionAndWait(int kind, int slot, const char* passLine);

// Posts WM_CLOSE to the first session window (kinds in order, slots 0-98)
// whose parent is the container window, and waits, dispatching messages,
// until its slot is cleared, at most kEmbeddedCloseTimeoutMs; a session
// that does not go in time is logged and left. Nothing, not even a log
// line, when no session is embedded or there is no table.
void CloseEmbeddedSession();

#endif
