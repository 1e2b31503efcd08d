// Waits that dispatch window messages without burning the processor.
//
// Every wait blocks in MsgWaitForMultipleObjectsEx on the thread's message
// queue, the time left and (when a condition is waited for) the process-wide
// wake event. MWMO_INPUTAVAILABLE makes the wait return for messages that are
// already queued, not only for ones that arrive later, so nothing that came
// in between the last look at the queue and the block is slept through.
//
// The wake event resets itself: one signal ends one block, and a signal sent
// while nobody blocks stays set until the next block. Should two threads
// ever wait at once, one of them may sleep through the other's signal; the
// block is therefore never longer than kPollSliceMs while a condition is
// waited for, which also covers flags whose writers do not signal.
#include "base/message_pump.h"

namespace {

const DWORD kPollSliceMs = 50;
// Bound on messages handled between two looks at the wait's condition, so a
// flood of posted messages cannot hide a cancel or the end of the time.
const int kMaxMessagesPerPass = 64;

void* volatile g_WakeEvent = nullptr;
volatile LONG g_CancelRequested = 0;
HWND g_KeyboardDialog = nullptr;  // the user-interface thread's only

// The wake event, created on first use by whichever thread gets there first.
// Null only when the event cannot be created; the waits then poll.
HANDLE WakeEvent() {
  HANDLE event = InterlockedCompareExchangePointer(&g_WakeEvent, nullptr, nullptr);
  if (event) return event;
  HANDLE created = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!created) return nullptr;
  HANDLE earlier = InterlockedCompareExchangePointer(&g_WakeEvent, created, nullptr);
  if (earlier) {
    CloseHandle(created);
    return earlier;
  }
  return created;
}

// Dispatches what is queued, up to kMaxMessagesPerPass messages. Returns
// false when WM_QUIT was taken: it is posted again so the loop that owns the
// thread sees it, and the wait must end.
bool DispatchQueued() {
  MSG msg;
  for (int handled = 0; handled < kMaxMessagesPerPass; ++handled) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
    if (msg.message == WM_QUIT) {
      PostQuitMessage((int)msg.wParam);
      return false;
    }
    // Keyboard use of the modeless dialog (Esc, Tab) while we pump.
    HWND dialog = g_KeyboardDialog;
    if (dialog && IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

// Blocks until a message is available (when messages matter), the wake event
// is signalled (when given) or ms pass.
void Block(HANDLE wake, DWORD ms, bool messages) {
  DWORD result;
  if (messages) {
    result = MsgWaitForMultipleObjectsEx(wake ? 1 : 0, wake ? &wake : nullptr, ms, QS_ALLINPUT,
                                         MWMO_INPUTAVAILABLE);
  } else if (wake) {
    result = WaitForSingleObject(wake, ms);
  } else {
    Sleep(ms);
    return;
  }
  // A failed wait (the event closed under us) must not turn into a spin.
  if (result == WAIT_FAILED) Sleep(ms < 10 ? ms : 10);
}

// Whether the wait is over for a reason other than time or quit.
bool IsWaitOver(bool (*done)(void*), void* ctx, unsigned flags, PumpWaitResult* result) {
  if (done && done(ctx)) {
    *result = kWaitDone;
    return true;
  }
  if ((flags & kWaitStopOnCancel) && CancelRequested()) {
    *result = kWaitCancelled;
    return true;
  }
  return false;
}

}  // namespace

PumpWaitResult WaitWhilePumping(bool (*done)(void* ctx), void* ctx, DWORD timeoutMs,
                                unsigned flags) {
  const DWORD start = GetTickCount();
  const bool dispatch = (flags & kWaitNoDispatch) == 0;
  PumpWaitResult result;
  for (;;) {
    // Asked before and after dispatching: a condition that already holds
    // ends the wait without touching the queue.
    if (IsWaitOver(done, ctx, flags, &result)) return result;
    if (dispatch && !DispatchQueued()) return kWaitQuit;
    if (IsWaitOver(done, ctx, flags, &result)) return result;

    DWORD block = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD elapsed = GetTickCount() - start;  // unsigned: a tick-count wrap does no harm
      if (elapsed >= timeoutMs) return kWaitTimedOut;
      block = timeoutMs - elapsed;
    }
    HANDLE wake = nullptr;
    if (done || (flags & kWaitStopOnCancel)) {
      wake = WakeEvent();
      if (block > kPollSliceMs) block = kPollSliceMs;
    }
    Block(wake, block, dispatch);
  }
}

void PumpMessages(DWORD ms, bool dispatch) {
  // A timed pause: the wake event is left for the waits that poll a flag.
  WaitWhilePumping(nullptr, nullptr, ms, dispatch ? 0u : (unsigned)kWaitNoDispatch);
}

void SignalWake() {
  HANDLE event = WakeEvent();
  if (event) SetEvent(event);
}

void CloseWakeEvent() {
  HANDLE event = InterlockedExchangePointer(&g_WakeEvent, nullptr);
  if (event) CloseHandle(event);
}

bool CancelRequested() { return InterlockedCompareExchange(&g_CancelRequested, 0, 0) != 0; }

void RequestCancel() {
  InterlockedExchange(&g_CancelRequested, 1);
  SignalWake();
}

void ClearCancelRequest() { InterlockedExchange(&g_CancelRequested, 0); }

void SetKeyboardDialog(HWND dialog) { g_KeyboardDialog = dialog; }
