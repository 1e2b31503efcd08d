// The waits on the real message queue: how long they last, that they
// dispatch what arrives meanwhile (posted and sent from other threads), that
// a flag set elsewhere ends them at once, that they hand WM_QUIT on, and that
// they block instead of spinning.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "base/message_pump.h"

namespace {

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

// What the test window saw.
int g_dispatched = 0;
double g_lastAt = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TEST_RECORD:
      ++g_dispatched;
      g_lastAt = NowMs();
      return 42;
    case WM_TEST_CANCEL:
      RequestCancel();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A flag another thread sets, waking the waiting thread as the module's
// threads do.
struct Flag {
  volatile LONG set = 0;
  double setAt = 0;
  void Set() {
    setAt = NowMs();
    InterlockedExchange(&set, 1);
    SignalWake();
  }
};

bool IsFlagSet(void* ctx) { return ((Flag*)ctx)->set != 0; }
bool Never(void*) { return false; }

// Runs an action on a thread of its own after a delay; waits for the thread
// at scope end.
class Later {
 public:
  Later(DWORD delayMs, std::function<void()> action) : delayMs_(delayMs), action_(action) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    EXPECT_NE(nullptr, thread_);
  }
  ~Later() {
    if (thread_ == nullptr) return;
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }

 private:
  static DWORD WINAPI Run(void* param) {
    Later* self = (Later*)param;
    Sleep(self->delayMs_);
    self->action_();
    return 0;
  }
  DWORD delayMs_;
  std::function<void()> action_;
  HANDLE thread_;
};

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
    g_dispatched = 0;
    ClearCancelRequest();
  }
  void TearDown() override {
    DestroyWindow(window_);
    ClearCancelRequest();
  }
  void Post() { PostMessageA(window_, WM_TEST_RECORD, 0, 0); }

  HWND window_ = nullptr;
};

TEST_F(MessagePumpTest, PumpLastsItsTimeAndDispatchesAPostedMessageAtOnce) {
  double postedAt = 0;
  Later worker(80, [&] {
    postedAt = NowMs();
    Post();
  });
  double start = NowMs();
  PumpMessages(300, true);
  double spent = NowMs() - start;
  EXPECT_GE(spent, 295.0);
  EXPECT_LT(spent, 400.0);
  EXPECT_EQ(1, g_dispatched);
  EXPECT_LT(g_lastAt - postedAt, 20.0) << "dispatch latency";
}

TEST_F(MessagePumpTest, ZeroTimeDispatchesWhatIsQueuedAndNoDispatchLeavesItQueued) {
  for (int i = 0; i < 3; ++i) Post();
  double start = NowMs();
  PumpMessages(0, true);
  EXPECT_LT(NowMs() - start, 20.0);
  EXPECT_EQ(3, g_dispatched);

  Post();
  start = NowMs();
  PumpMessages(100, false);
  EXPECT_GE(NowMs() - start, 95.0);
  EXPECT_EQ(3, g_dispatched);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window_, WM_TEST_RECORD, WM_TEST_RECORD, PM_REMOVE));
}

TEST_F(MessagePumpTest, PumpingBlocksInsteadOfSpinning) {
  struct Case {
    const char* name;
    void (*wait)();
  };
  const Case cases[] = {
      {"PumpMessages dispatching", [] { PumpMessages(500, true); }},
      {"PumpMessages without dispatch", [] { PumpMessages(500, false); }},
      {"flag wait", [] { WaitWhilePumping(Never, nullptr, 500); }},
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

// The first round starts with the wake event closed, as after module exit:
// the next use makes it again.
TEST_F(MessagePumpTest, FlagSetByAnotherThreadWithASignalEndsTheWaitAtOnce) {
  CloseWakeEvent();
  std::vector<double> latencies;
  for (int round = 0; round < 5; ++round) {
    Flag flag;
    double start = NowMs();
    {
      Later worker(60, [&] { flag.Set(); });
      EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 5000));
      latencies.push_back(NowMs() - flag.setAt);
      EXPECT_GE(NowMs() - start, 55.0);
    }
    if (round == 0) {
      EXPECT_LT(latencies[0], 40.0) << "wake with the event made again";
    }
  }
  std::sort(latencies.begin(), latencies.end());
  // Well below the poll slice: the signal, not the clock, ended the waits.
  EXPECT_LT(latencies[2], 15.0) << "median wake latency";
}

TEST_F(MessagePumpTest, WaitWithoutDispatchSeesTheSignalAndLeavesMessagesQueued) {
  Flag flag;
  Post();
  Later worker(60, [&] { flag.Set(); });
  EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 5000, kWaitNoDispatch));
  EXPECT_LT(NowMs() - flag.setAt, 40.0);
  EXPECT_EQ(0, g_dispatched);
}

TEST_F(MessagePumpTest, SentMessagesFromAnotherThreadAreAnsweredDuringAWait) {
  Flag flag;
  double sendMs = -1;
  DWORD_PTR result = 0;
  Later worker(50, [&] {
    double start = NowMs();
    if (SendMessageTimeoutA(window_, WM_TEST_RECORD, 0, 0, SMTO_NORMAL, 3000, &result)) {
      sendMs = NowMs() - start;
    }
    flag.Set();
  });
  EXPECT_EQ(kWaitDone, WaitWhilePumping(IsFlagSet, &flag, 5000));
  EXPECT_EQ(1, g_dispatched);
  EXPECT_EQ(42u, result);
  EXPECT_GE(sendMs, 0.0);
  EXPECT_LT(sendMs, 20.0);
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
  Post();
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // now an "old" message
  double start = NowMs();
  EXPECT_EQ(kWaitTimedOut, WaitWhilePumping(Never, nullptr, 100));
  EXPECT_EQ(1, g_dispatched);
  EXPECT_LT(g_lastAt - start, 20.0);
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
    Post();
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

}  // namespace
