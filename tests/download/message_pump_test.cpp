// The waits on the real message queue: how long they last, that they
// dispatch what arrives meanwhile (posted and sent from other threads), that
// a flag set elsewhere ends them at once, that they hand WM_QUIT on, and that
// they block instead of spinning.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "download/message_pump.h"
#include "download/progress_dialog.h"

namespace {

const UINT WM_TEST_RECORD = WM_APP + 1;
const UINT WM_TEST_CANCEL = WM_APP + 2;
const UINT WM_TEST_SENT = WM_APP + 3;

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

// What the test window saw.
struct Seen {
  int dispatched = 0;
  double lastAt = 0;
};
Seen g_Seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TEST_RECORD:
    case WM_TEST_SENT:
      ++g_Seen.dispatched;
      g_Seen.lastAt = NowMs();
      return 42;
    case WM_TEST_CANCEL:
      CancelRequested = 1;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

struct Flag {
  volatile LONG set = 0;
  double setAt = 0;
};

bool IsFlagSet(void* ctx) { return ((Flag*)ctx)->set != 0; }
bool Never(void*) { return false; }

// A worker that, after a delay, does one thing to the waiting thread.
struct Worker {
  DWORD delayMs;
  HWND window;
  Flag* flag;
  bool post;    // post WM_TEST_RECORD
  bool send;    // send WM_TEST_SENT and record how long it took
  bool signal;  // set the flag and SignalWake
  double postedAt = 0;
  double sendMs = -1;
  LRESULT sendResult = 0;
};

DWORD WINAPI RunWorker(void* param) {
  auto* w = (Worker*)param;
  Sleep(w->delayMs);
  if (w->post) {
    w->postedAt = NowMs();
    PostMessageA(w->window, WM_TEST_RECORD, 0, 0);
  }
  if (w->send) {
    double start = NowMs();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(w->window, WM_TEST_SENT, 0, 0, SMTO_NORMAL, 3000, &result)) {
      w->sendMs = NowMs() - start;
      w->sendResult = (LRESULT)result;
    }
  }
  if (w->signal) {
    w->flag->setAt = NowMs();
    InterlockedExchange(&w->flag->set, 1);
    SignalWake();
  }
  return 0;
}

class MessagePumpTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PumpTestWindow";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "PumpTestWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window_);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    g_Seen = Seen();
    CancelRequested = 0;
  }
  void TearDown() override {
    if (thread_) {
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
    }
    DestroyWindow(window_);
    CancelRequested = 0;
  }

  void Start(Worker* worker) {
    worker->window = window_;
    thread_ = CreateThread(nullptr, 0, RunWorker, worker, 0, nullptr);
    ASSERT_NE(nullptr, thread_);
  }

  HWND window_ = nullptr;
  HANDLE thread_ = nullptr;
};

TEST_F(MessagePumpTest, PumpLastsItsTimeAndDispatchesAPostedMessageAtOnce) {
  Worker worker = {80, nullptr, nullptr, true, false, false};
  Start(&worker);
  double start = NowMs();
  PumpMessages(300, true);
  double spent = NowMs() - start;
  EXPECT_GE(spent, 295.0);
  EXPECT_LT(spent, 400.0);
  EXPECT_EQ(1, g_Seen.dispatched);
  EXPECT_LT(g_Seen.lastAt - worker.postedAt, 20.0) << "dispatch latency";
}

TEST_F(MessagePumpTest, PumpWithoutDispatchLeavesMessagesQueued) {
  PostMessageA(window_, WM_TEST_RECORD, 0, 0);
  double start = NowMs();
  PumpMessages(100, false);
  EXPECT_GE(NowMs() - start, 95.0);
  EXPECT_EQ(0, g_Seen.dispatched);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window_, WM_TEST_RECORD, WM_TEST_RECORD, PM_REMOVE));
}

TEST_F(MessagePumpTest, ZeroTimeDispatchesWhatIsQueuedAndReturns) {
  for (int i = 0; i < 3; ++i) PostMessageA(window_, WM_TEST_RECORD, 0, 0);
  double start = NowMs();
  PumpMessages(0, true);
  EXPECT_LT(NowMs() - start, 20.0);
  EXPECT_EQ(3, g_Seen.dispatched);
}

TEST_F(MessagePumpTest, PumpingBlocksInsteadOfSpinning) {
  struct Case {
    const char* name;
    void (*wait)();
  };
  const Case cases[] = {
      {"PumpMessages dispatching", [] { PumpMessages(500, true); }},
      {"PumpMessages without dispatch", [] { PumpMessages(500, false); }},
      {"flag wait", [] {
         Flag never;
         WaitWhilePumping(IsFlagSet, &never, 500);
       }},
      {"many short pumps", [] {
         for (int i = 0; i < 100; ++i) PumpMessages(5, true);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double cpu = ThreadCpuMs();
    double start = NowMs();
    c.wait();
    double wall = NowMs() - start;
    double used = ThreadCpuMs() - cpu;
    EXPECT_GE(wall, 450.0);
    EXPECT_LT(used, wall * 0.10) << used << " ms of processor in " << wall << " ms";
  }
}

TEST_F(MessagePumpTest, FlagSetByAnotherThreadWithASignalEndsTheWaitAtOnce) {
  std::vector<double> latencies;
  for (int round = 0; round < 5; ++round) {
    Flag flag;
    Worker worker = {60, nullptr, &flag, false, false, true};
    Start(&worker);
    double start = NowMs();
    EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 5000));
    double end = NowMs();
    EXPECT_GE(end - start, 55.0);
    latencies.push_back(end - flag.setAt);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  std::sort(latencies.begin(), latencies.end());
  // Well below the poll slice: the signal, not the clock, ended the waits.
  EXPECT_LT(latencies[2], 15.0) << "median wake latency";
}

TEST_F(MessagePumpTest, WaitWithoutDispatchSeesTheSignalAndLeavesMessagesQueued) {
  Flag flag;
  Worker worker = {60, nullptr, &flag, false, false, true};
  PostMessageA(window_, WM_TEST_RECORD, 0, 0);
  Start(&worker);
  EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 5000, kWaitNoDispatch));
  EXPECT_LT(NowMs() - flag.setAt, 40.0);
  EXPECT_EQ(0, g_Seen.dispatched);
}

TEST_F(MessagePumpTest, SentMessagesFromAnotherThreadAreAnsweredDuringAWait) {
  Flag flag;
  Worker worker = {50, nullptr, &flag, false, true, true};
  Start(&worker);
  EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 5000));
  EXPECT_EQ(1, g_Seen.dispatched);
  EXPECT_EQ(42, worker.sendResult);
  EXPECT_GE(worker.sendMs, 0.0);
  EXPECT_LT(worker.sendMs, 20.0);
}

TEST_F(MessagePumpTest, WaitEndsAtItsTimeAndAWakeAloneDoesNotEndIt) {
  SignalWake();  // a stale signal: the condition is asked again, still false
  double start = NowMs();
  EXPECT_EQ(kWaitTimedOut, WaitWhilePumping(Never, nullptr, 200));
  double spent = NowMs() - start;
  EXPECT_GE(spent, 195.0);
  EXPECT_LT(spent, 300.0);
}

TEST_F(MessagePumpTest, CancelSetByADispatchedMessageEndsTheWaitWhenAsked) {
  PostMessageA(window_, WM_TEST_CANCEL, 0, 0);
  double start = NowMs();
  EXPECT_EQ(kWaitCancelled, WaitWhilePumping(Never, nullptr, 2000));
  EXPECT_LT(NowMs() - start, 50.0);

  // Without the cancel flag the wait goes on to its time.
  start = NowMs();
  EXPECT_EQ(kWaitTimedOut, WaitWhilePumping(Never, nullptr, 150, 0));
  EXPECT_GE(NowMs() - start, 145.0);
}

TEST_F(MessagePumpTest, AMessageAlreadySeenInTheQueueIsStillHandled) {
  Flag flag;
  PostMessageA(window_, WM_TEST_RECORD, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // now an "old" message
  double start = NowMs();
  EXPECT_EQ(kWaitTimedOut, WaitWhilePumping(Never, nullptr, 100));
  EXPECT_EQ(1, g_Seen.dispatched);
  EXPECT_LT(g_Seen.lastAt - start, 20.0);
}

TEST_F(MessagePumpTest, QuitEndsTheWaitAndIsLeftForTheOuterLoop) {
  struct Case {
    const char* name;
    PumpWaitResult (*wait)();
  };
  const Case cases[] = {
      {"flag wait", [] { return WaitWhilePumping(Never, nullptr, 2000); }},
      {"pump", [] {
         PumpMessages(2000, true);
         return kWaitQuit;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PostMessageA(window_, WM_TEST_RECORD, 0, 0);
    PostQuitMessage(7);
    double start = NowMs();
    EXPECT_EQ(kWaitQuit, c.wait());
    EXPECT_LT(NowMs() - start, 100.0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
      DispatchMessageA(&msg);
    }
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
    EXPECT_EQ(7u, msg.wParam);
  }
}

TEST_F(MessagePumpTest, ClosedWakeEventIsMadeAgainOnNextUse) {
  CloseWakeEvent();
  Flag flag;
  Worker worker = {50, nullptr, &flag, false, false, true};
  Start(&worker);
  EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 3000));
  EXPECT_LT(NowMs() - flag.setAt, 40.0);
  CloseWakeEvent();
}

}  // namespace
