// Runs one blocking call (a publisher check, a message box) on a worker
// thread while the user-interface thread goes on dispatching its messages,
// so the page, the progress dialog and the platform's own dialogs stay
// alive. The worker hands its result over and wakes the waiting thread
// (message_pump.h); nothing spins.
#ifndef WEVELINK_BASE_WORKER_CALL_H
#define WEVELINK_BASE_WORKER_CALL_H

#include <windows.h>

typedef LONG (*WorkerFunction)(void* context);

// Called on the waiting thread before the first wait and then about every
// lookMs milliseconds until it returns true (a null one is never called).
typedef bool (*WhileWaiting)(void* context);

// Runs work(context) on a new thread (its handle closed at once) and waits
// for it, dispatching messages. Returns false, with *result untouched, when
// the thread cannot be created. A WM_QUIT during the wait is left for the
// outer loop while the wait goes on without dispatching: the worker uses the
// caller's data until it is done.
bool RunOnWorker(WorkerFunction work, void* context, LONG* result,
                 WhileWaiting whileWaiting = nullptr, void* waitingContext = nullptr,
                 DWORD lookMs = 50);

#endif
