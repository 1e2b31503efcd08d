// Waits that keep the user-interface thread's windows alive.
//
// The deployment runs on the browser's user-interface thread, so every wait
// must go on dispatching window messages: the page repaints, the progress
// dialog's Cancel works and the platform's own dialogs stay usable. The
// waits block in MsgWaitForMultipleObjectsEx until a message arrives, the
// time is up or the process-wide wake event is signalled; they never spin.
//
// Threads and callbacks that set a flag which the user-interface thread
// waits on call SignalWake() right after setting it.
//
// A dispatched message may run a loop of its own (a message box, the user
// moving a window, another wait): the wait resumes when that loop ends and
// asks its condition again at once, so it can run past its time but never
// misses a flag that was set meanwhile. Keyboard messages for the progress
// dialog go through IsDialogMessage, so Esc cancels as the button does.
#ifndef WEVELINK_BASE_MESSAGE_PUMP_H
#define WEVELINK_BASE_MESSAGE_PUMP_H

#include <windows.h>

// Dispatches the thread's messages for about ms milliseconds (dispatch set),
// or only lets the time pass (dispatch clear). Returns early only when
// WM_QUIT arrives; the quit message is posted again for the outer loop.
void PumpMessages(DWORD ms, bool dispatch);

enum PumpWaitResult {
  kWaitDone,       // done(ctx) returned true
  kWaitCancelled,  // CancelRequested was set (only when asked to stop on it)
  kWaitTimedOut,   // timeoutMs passed
  kWaitQuit,       // WM_QUIT arrived; it has been posted again
};

enum PumpWaitFlags {
  kWaitStopOnCancel = 1,  // also end the wait when CancelRequested is set
  kWaitNoDispatch = 2,    // leave messages queued; wait on the wake event only
};

// Waits until done(ctx) is true, dispatching every message meanwhile. done is
// asked first (a condition that already holds returns at once), after every
// batch of dispatched messages and after every wake; a null done never
// becomes true. timeoutMs may be INFINITE. Nests safely: a message handler
// may wait again.
PumpWaitResult WaitWhilePumping(bool (*done)(void* ctx), void* ctx, DWORD timeoutMs,
                                unsigned flags = kWaitStopOnCancel);

// Wakes the user-interface thread's wait so it asks its condition again.
// Safe from any thread and from callbacks.
void SignalWake();

// The process-wide cancel request: set by the progress dialog's Cancel and
// close box, by the driver and by the first paint of an embedded control;
// cleared at the start of every deployment. Long steps ask it; the waits
// can stop on it. Safe from any thread; a request wakes the waits.
bool CancelRequested();
void RequestCancel();
void ClearCancelRequest();

// The modeless dialog whose keyboard messages (Esc, Tab) the waits pass
// through IsDialogMessage; null for none. User-interface thread only.
void SetKeyboardDialog(HWND dialog);

// Module exit: closes the wake event. A later SignalWake creates it again.
void CloseWakeEvent();

#endif
