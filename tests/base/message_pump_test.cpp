// The waits on the real message queue. Rows run five times, timed on the median so one slow round
// on a busy machine does not decide; no wait may end before its time in any round.
#include <windows.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "base/message_pump.h"

const UINT WM_TEST_RECORD = WM_APP + 1;
const UINT WM_TEST_CANCEL = WM_APP + 2;

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000.0 / frequency.QuadPart;
}

double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
  ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
  return (k.QuadPart + u.QuadPart) / 10000.0;
}

enum Event {
  kPump = 1,        // PumpMessages instead of WaitWhilePumping
  kPost = 2,        // a message posted before the wait
  kPostLater = 4,   // a message posted by another thread 60 ms into the wait
  kSendLater = 8,   // a message sent by another thread
  kFlagLater = 16,  // the flag set by another thread, which signals the wake
  kQuietFlag = 32,  // the flag set by another thread without a signal
  kCancel = 64,     // a posted message whose handler requests cancel
  kQuit = 128,      // WM_QUIT posted after the other messages
};

HWND g_window = nullptr;
unsigned g_events = 0;
double g_eventAt = 0;
int g_dispatched = 0;
double g_firstAt = 0;
volatile LONG g_flag = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TEST_RECORD && g_dispatched++ == 0) g_firstAt = NowMs();
  if (message == WM_TEST_CANCEL) RequestCancel();
  return DefWindowProcA(window, message, wParam, lParam);
}

bool IsFlagSet(void*) { return g_flag != 0; }

DWORD WINAPI RunLater(void*) {
  Sleep(60);
  g_eventAt = NowMs();
  if (g_events & kPostLater) PostMessageA(g_window, WM_TEST_RECORD, 0, 0);
  if (g_events & kSendLater) {
    SendMessageTimeoutA(g_window, WM_TEST_RECORD, 0, 0, SMTO_NORMAL, 3000, nullptr);
  }
  if (g_events & (kFlagLater | kQuietFlag)) InterlockedExchange(&g_flag, 1);
  if (g_events & kFlagLater) SignalWake();
  return 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

TEST(MessagePump, WaitsDispatchEndAndStayWithinTheirTime) {
  const unsigned cancel = kWaitStopOnCancel;
  const unsigned bare = kWaitNoDispatch;
  // reactMs: from the event to its dispatch, or to the wait's end.
  const struct {
    const char* name;
    unsigned events;
    DWORD timeoutMs;
    unsigned flags;
    int result;
    double minMs;
    double maxMs;
    int dispatched;
    double reactMs;
  } rows[] = {
      {"pump dispatches a later message", kPump | kPostLater, 200, 0, -1, 195, 250, 1, 20},
      {"pump of no time dispatches the queue", kPump | kPost, 0, 0, -1, 0, 20, 1, 20},
      {"flag without a signal", kQuietFlag, 5000, cancel, kWaitDone, 55, 1000, 0, 80},
      {"flag without dispatch", kPost | kFlagLater, 5000, bare, kWaitDone, 55, 1000, 0, 15},
      {"sent message", kSendLater | kFlagLater, 5000, cancel, kWaitDone, 55, 1000, 1, 20},
      {"cancel", kCancel, 2000, cancel, kWaitCancelled, 0, 50, 0, 50},
      {"cancel not asked for", kCancel, 200, 0, kWaitTimedOut, 195, 250, 0, 250},
      {"quit ends a wait", kPost | kQuit, 2000, cancel, kWaitQuit, 0, 100, 1, 20},
  };
  g_window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                             nullptr);
  SetWindowLongPtrA(g_window, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
  ASSERT_NE(nullptr, g_window);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<double> walls, cpus, reactions;
    for (int round = 0; round < 5; ++round) {
      g_events = row.events;
      g_dispatched = 0;
      g_flag = 0;
      ClearCancelRequest();
      if (row.events & kPost) PostMessageA(g_window, WM_TEST_RECORD, 0, 0);
      if (row.events & kCancel) PostMessageA(g_window, WM_TEST_CANCEL, 0, 0);
      if (row.events & kQuit) PostQuitMessage(7);
      HANDLE thread = nullptr;
      if (row.events & (kPostLater | kSendLater | kFlagLater | kQuietFlag)) {
        thread = CreateThread(nullptr, 0, RunLater, nullptr, 0, nullptr);
      }
      double cpu = ThreadCpuMs();
      double start = NowMs();
      if (row.events & kPump) {
        PumpMessages(row.timeoutMs, (row.flags & kWaitNoDispatch) == 0);
      } else {
        EXPECT_EQ(row.result, WaitWhilePumping(IsFlagSet, nullptr, row.timeoutMs, row.flags));
      }
      double end = NowMs();
      walls.push_back(end - start);
      cpus.push_back(ThreadCpuMs() - cpu);
      if (thread != nullptr) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
      }
      double eventAt = thread != nullptr ? g_eventAt : start;
      reactions.push_back((g_dispatched > 0 ? g_firstAt : end) - eventAt);
      // What is left: the messages not dispatched, and WM_QUIT posted again.
      int left = 0;
      WPARAM quit = 0;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TEST_RECORD) ++left;
        if (msg.message == WM_QUIT) quit = msg.wParam;
      }
      int arriving = !!(row.events & kPost) + !!(row.events & (kPostLater | kSendLater));
      EXPECT_EQ(arriving - row.dispatched, left);
      EXPECT_EQ(row.events & kQuit ? 7u : 0u, quit);
    }
    EXPECT_GE(*std::min_element(walls.begin(), walls.end()), row.minMs);
    EXPECT_LE(Median(walls), row.maxMs);
    EXPECT_LT(Median(reactions), row.reactMs);
    // Blocking, not spinning (thread times count in 10 ms ticks).
    EXPECT_LT(Median(cpus), Median(walls) * 0.10 + 10);
  }
  DestroyWindow(g_window);
  ClearCancelRequest();
}
