// The publisher check and the worker-thread box on real WinTrust and user32: the stand-in's signed,
// unsigned, altered and untrusted copies, a mid-check "Security Warning", a timer that still fires.
#include <windows.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "base/message_box.h"
#include "box_recorder.h"
#include "download/verify_trust.h"
#include "test_support.h"

using namespace testsupport;

namespace {

std::atomic<int> g_Ticks{0};

class VerifyTrustTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(TrustCertificate(STUB_BUILD_UNIX)); }
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
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder);
    std::string path = WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + row.folder);
    LONG result = VerifyTrust((path + "\\KVMD.PRO").c_str());
    EXPECT_TRUE(row.expected == 1 ? result != 0 : result == row.expected) << result;
  }
}

// A "Security Warning" window appears at the first tick during the check. Its procedure counts the
// moves that centre it and moves it away after each, so a second centring would show.
int g_CentredMoves = 0;

LRESULT CALLBACK WarningProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_WINDOWPOSCHANGED && !(((const WINDOWPOS*)lp)->flags & SWP_NOMOVE)) {
    RECT r;
    GetWindowRect(w, &r);
    if (r.left == (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2 &&
        r.top == (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2 - 20) {
      ++g_CentredMoves;
      PostMessageA(w, WM_APP, 0, 0);
    }
  } else if (m == WM_APP) {
    SetWindowPos(w, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return DefWindowProcA(w, m, wp, lp);
}

HWND g_Warning = nullptr;
void CALLBACK TickAndWarn(HWND, UINT, UINT_PTR, DWORD) {
  if (g_Ticks++ > 0) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WarningProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TrustWarningTest";
  RegisterClassA(&wc);
  g_Warning = CreateWindowExA(0, wc.lpszClassName, "Security Warning", WS_OVERLAPPEDWINDOW, 3, 5,
                              300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(g_Warning, SW_SHOWNOACTIVATE);
}

// Then a box a worker thread shows while the caller goes on dispatching.
TEST_F(VerifyTrustTest, PageStaysAliveAndTheWarningIsCentredOnce) {
  const std::string record = TestEnvDir() + "\\trust-boxes.txt";
  DeleteFileA(record.c_str());
  std::wstring wide(record.begin(), record.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), 300, GetCurrentThreadId()));
  g_Ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 10, TickAndWarn);
  DWORD start = GetTickCount();
  // Large enough that hashing it outlasts several ticks and looks.
  VerifyTrust(WinPathFromUnix(BIG_SIGNED_UNIX).c_str());
  DWORD took = GetTickCount() - start;
  const int ticks = g_Ticks;
  ThreadedMessageBox("Security check failed.");
  KillTimer(nullptr, timer);
  StopBoxRecorder();
  DestroyWindow(g_Warning);
  EXPECT_EQ(1, g_CentredMoves) << "check took " << took << " ms";
  EXPECT_GE(g_Ticks - ticks, 5);
}

}  // namespace
