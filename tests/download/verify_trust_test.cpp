// The publisher check and the worker-thread box on the real WinTrust and
// user32: the signed, unsigned, altered and untrusted copies of the session
// stand-in, a "Security Warning" window that appears during a check, and a
// timer on the calling thread that must keep firing.
#include <windows.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "base/message_box.h"
#include "box_recorder.h"
#include "download/verify_trust.h"
#include "test_support.h"

using namespace testsupport;

namespace {

std::atomic<int> g_Ticks{0};
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ++g_Ticks; }

class VerifyTrustTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(TrustTestPublisher(STUB_BUILD_UNIX)); }
};

TEST_F(VerifyTrustTest, OnlyTheTrustedSignedCopyPasses) {
  const struct {
    const char* folder;
    LONG expected;  // 1: any error
  } rows[] = {
      {"programs", 0},
      {"unsigned", TRUST_E_NOSIGNATURE},
      {"altered", TRUST_E_BAD_DIGEST},
      {"untrusted", 1},
      {"no-such-folder", 1},
  };
  for (const char* name : {"KVMD.PRO", "KVFTP.EXE"}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(row.folder) + "\\" + name);
      std::string path = WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + row.folder);
      LONG result = VerifyTrust((path + "\\" + name).c_str());
      EXPECT_TRUE(row.expected == 1 ? result != 0 : result == row.expected) << result;
    }
  }
}

// A top-level "Security Warning" window on a thread of its own, created when
// asked; counts the moves that put it at the centre, and moves it away again
// after each so that a second centring would show.
struct WarningWindow {
  std::atomic<HWND> window{nullptr};
  std::atomic<int> centredMoves{0};
  HANDLE create = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread thread;

  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = (WarningWindow*)GetWindowLongPtrA(w, GWLP_USERDATA);
    if (m == WM_WINDOWPOSCHANGED && self) {
      const WINDOWPOS* pos = (const WINDOWPOS*)lp;
      RECT r;
      GetWindowRect(w, &r);
      int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
      int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2 - 20;
      if (!(pos->flags & SWP_NOMOVE) && pos->x == x && pos->y == y) {
        ++self->centredMoves;
        PostMessageA(w, WM_APP, 0, 0);
      }
    } else if (m == WM_APP) {
      SetWindowPos(w, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  void Start() {
    thread = std::thread([this] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "TrustWarningTest";
      RegisterClassA(&wc);
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // a queue before the wait
      while (MsgWaitForMultipleObjects(1, &create, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      }
      HWND w = CreateWindowExA(0, "TrustWarningTest", "Security Warning", WS_OVERLAPPEDWINDOW,
                               3, 5, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
      SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)this);
      ShowWindow(w, SW_SHOWNOACTIVATE);
      window = w;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
      DestroyWindow(w);
    });
  }
  void Stop() {
    SetEvent(create);
    while (!window) Sleep(1);
    PostMessageA(window, WM_QUIT, 0, 0);
    thread.join();
    CloseHandle(create);
  }
};

WarningWindow* g_Warning = nullptr;
// The first tick during the check makes the warning appear.
void CALLBACK TickAndWarn(HWND, UINT, UINT_PTR, DWORD) {
  if (g_Ticks++ == 0) SetEvent(g_Warning->create);
}

TEST_F(VerifyTrustTest, PageStaysAliveAndTheWarningIsCentredOnce) {
  WarningWindow warning;
  g_Warning = &warning;
  warning.Start();
  g_Ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 10, TickAndWarn);
  DWORD start = GetTickCount();
  // Large enough that hashing it outlasts several ticks and looks.
  LONG result = VerifyTrust(WinPathFromUnix(BIG_SIGNED_UNIX).c_str());
  DWORD took = GetTickCount() - start;
  KillTimer(nullptr, timer);
  warning.Stop();
  EXPECT_EQ(0, result);
  EXPECT_GE(g_Ticks, 3) << "check took " << took << " ms";
  EXPECT_EQ(1, warning.centredMoves) << "check took " << took << " ms";
}

TEST_F(VerifyTrustTest, ThreadedBoxShowsWhileTheCallerDispatches) {
  const std::string record = TestEnvDir() + "\\trust-boxes.txt";
  DeleteFileA(record.c_str());
  std::wstring wide(record.begin(), record.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), 300, GetCurrentThreadId()));
  g_Ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 10, Tick);
  int button = ThreadedMessageBox("Security check failed.");
  KillTimer(nullptr, timer);
  StopBoxRecorder();
  EXPECT_EQ(IDOK, button);
  EXPECT_GE(g_Ticks, 5);
  EXPECT_EQ("Web-to-Host Control\tSecurity check failed.\t0x10030\tworker\n",
            FileContent(record));
}

}  // namespace
