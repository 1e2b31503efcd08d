// The message-box recorder in a program of its own: boxes shown from the
// main (user-interface) thread and from a worker thread, through each of
// the box functions and through GetProcAddress, are recorded one line each
// and really shown and answered with their default button after the delay.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box_recorder.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const DWORD kDelayMs = 200;

struct WorkerBox {
  int result;
  DWORD elapsed;
};

DWORD WINAPI ShowIndirectBox(void* parameter) {
  WorkerBox* box = (WorkerBox*)parameter;
  MSGBOXPARAMSW params = {};
  params.cbSize = sizeof params;
  params.lpszText = L"From the worker";
  params.lpszCaption = L"Worker Caption";
  params.dwStyle = MB_YESNOCANCEL | MB_ICONQUESTION;
  DWORD start = GetTickCount();
  box->result = MessageBoxIndirectW(&params);
  box->elapsed = GetTickCount() - start;
  return 0;
}

class BoxRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record_ = TestEnvDir() + "\\boxes-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    DeleteFileA(record_.c_str());
    std::wstring wide(record_.begin(), record_.end());
    ASSERT_TRUE(StartBoxRecorder(wide.c_str(), kDelayMs, GetCurrentThreadId()));
  }
  void TearDown() override { StopBoxRecorder(); }

  std::string record_;
};

// Each call is timed: a box that was not really shown returns at once.
template <typename Call>
int TimedBox(Call call, DWORD* elapsed) {
  DWORD start = GetTickCount();
  int result = call();
  *elapsed = GetTickCount() - start;
  return result;
}

TEST_F(BoxRecorderTest, RecordsEachBoxFunctionAndPressesTheDefaultButton) {
  DWORD elapsed = 0;
  EXPECT_EQ(IDOK, TimedBox([] {
              return MessageBoxA(nullptr, "Plain text", "Caption A",
                                 MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
            }, &elapsed));
  EXPECT_GE(elapsed, kDelayMs - 20);
  EXPECT_EQ(IDCANCEL, TimedBox([] {
              return MessageBoxW(nullptr, L"First\r\nSecond\nThird\tTabbed", L"Caption W",
                                 MB_OKCANCEL | MB_DEFBUTTON2);
            }, &elapsed));
  EXPECT_GE(elapsed, kDelayMs - 20);
  EXPECT_EQ(IDNO, TimedBox([] {
              return MessageBoxExA(nullptr, "Yes or no", "Caption ExA", MB_YESNO | MB_DEFBUTTON2,
                                   0);
            }, &elapsed));
  EXPECT_EQ(IDRETRY, TimedBox([] {
              return MessageBoxExW(nullptr, L"Retry?", L"Caption ExW", MB_RETRYCANCEL, 0);
            }, &elapsed));
  EXPECT_EQ(IDOK, TimedBox([] { return MessageBoxA(nullptr, "No caption", nullptr, MB_OK); },
                           &elapsed));

  std::vector<std::string> lines = ReadLines(record_);
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("Caption A\tPlain text\t0x10030\tui", lines[0]);
  EXPECT_EQ("Caption W\tFirst\\r\\nSecond\\nThird\\tTabbed\t0x101\tui", lines[1]);
  EXPECT_EQ("Caption ExA\tYes or no\t0x104\tui", lines[2]);
  EXPECT_EQ("Caption ExW\tRetry?\t0x5\tui", lines[3]);
  EXPECT_EQ("Error\tNo caption\t0x0\tui", lines[4]);
}

TEST_F(BoxRecorderTest, BoxOfAWorkerThreadIsRecordedAsWorker) {
  WorkerBox box = {0, 0};
  HANDLE thread = CreateThread(nullptr, 0, ShowIndirectBox, &box, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  // The main thread keeps pumping, as the control does while its worker
  // shows a box.
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
  CloseHandle(thread);
  EXPECT_EQ(IDYES, box.result);
  EXPECT_GE(box.elapsed, kDelayMs - 20);

  std::vector<std::string> lines = ReadLines(record_);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("Worker Caption\tFrom the worker\t0x23\tworker", lines[0]);
}

TEST_F(BoxRecorderTest, BoxFoundThroughGetProcAddressIsRecorded) {
  typedef int(WINAPI * MessageBoxWFunction)(HWND, LPCWSTR, LPCWSTR, UINT);
  MessageBoxWFunction found =
      (MessageBoxWFunction)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxW");
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(IDOK, found(nullptr, L"Looked up", L"Dynamic", MB_OK | MB_ICONINFORMATION));
  std::vector<std::string> lines = ReadLines(record_);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("Dynamic\tLooked up\t0x40\tui", lines[0]);
}

TEST_F(BoxRecorderTest, OverlongTextIsCutAndMarked) {
  std::string text(20000, 'x');
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, text.c_str(), "Long", MB_OK));
  std::vector<std::string> lines = ReadLines(record_);
  ASSERT_EQ(1u, lines.size());
  const std::string& line = lines[0];
  EXPECT_EQ(0u, line.find("Long\txxx"));
  const std::string tail = "[cut]\t0x0\tui";
  ASSERT_GT(line.size(), tail.size());
  EXPECT_EQ(tail, line.substr(line.size() - tail.size()));
  EXPECT_LT(line.size(), 16384u);
}

int g_nestedResult;

void CALLBACK ShowNestedBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_nestedResult = MessageBoxA(nullptr, "Inner", "Nested", MB_OKCANCEL);
}

TEST_F(BoxRecorderTest, NestedBoxShownFromABoxModalLoopIsAnsweredToo) {
  // A timer that fires inside the first box's modal loop shows a second box
  // on the same thread, as a control's paint or timer might.
  g_nestedResult = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, ShowNestedBox);
  ASSERT_NE(0u, timer);
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Outer", "Nested", MB_OK));
  EXPECT_EQ(IDOK, g_nestedResult);
  std::vector<std::string> lines = ReadLines(record_);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("Nested\tOuter\t0x0\tui", lines[0]);
  EXPECT_EQ("Nested\tInner\t0x1\tui", lines[1]);
}

// The import slot of MessageBoxA in this program, read afresh each time
// (the compiler takes the address of an imported function for a constant).
#ifdef _WIN64
extern "C" void* g_importMessageBoxA __asm__("__imp_MessageBoxA");
#else
extern "C" void* g_importMessageBoxA __asm__("__imp__MessageBoxA@16");
#endif

void* ImportedMessageBoxA() {
  return *(void* volatile*)&g_importMessageBoxA;
}

TEST(BoxRecorderPatching, StopPutsTheOriginalImportBack) {
  void* before = ImportedMessageBoxA();
  EXPECT_EQ(before, (void*)GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA"));
  std::string record = TestEnvDir() + "\\boxes-patching.txt";
  std::wstring wide(record.begin(), record.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), kDelayMs, GetCurrentThreadId()));
  EXPECT_FALSE(StartBoxRecorder(wide.c_str(), kDelayMs, GetCurrentThreadId()));
  void* during = ImportedMessageBoxA();
  EXPECT_EQ(0, PatchLoadedModules());  // nothing new since the start
  StopBoxRecorder();
  void* after = ImportedMessageBoxA();
  EXPECT_NE(before, during);
  EXPECT_EQ(before, after);
}

}  // namespace
