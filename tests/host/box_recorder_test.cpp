// The message-box recorder behind the suite's "no box was shown" checks: a
// recorder that missed boxes would make all of them pass. Each box must be
// recorded with its caption, text, style and thread, really shown (it lasts
// the answer delay) and answered with its default button.
#include <windows.h>

#include <gtest/gtest.h>

#include "box_recorder.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const DWORD kDelayMs = 200;

DWORD WINAPI ShowWorkerBox(void* result) {
  *(int*)result = MessageBoxW(nullptr, L"From the worker", L"Worker", MB_YESNO | MB_ICONQUESTION);
  return 0;
}

TEST(BoxRecorder, RecordsAndAnswersEveryBox) {
  const std::string record = TestEnvDir() + "\\boxes-recorder.txt";
  DeleteFileA(record.c_str());
  const std::wstring wide(record.begin(), record.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), kDelayMs, GetCurrentThreadId()));
  const DWORD start = GetTickCount();
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Plain\ntext", "Caption A", MB_OK | MB_ICONEXCLAMATION));
  EXPECT_GE(GetTickCount() - start, kDelayMs - 20) << "the box was not really shown";
  EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"Second", L"Caption W", MB_OKCANCEL | MB_DEFBUTTON2));
  int workerResult = 0;
  HANDLE worker = CreateThread(nullptr, 0, ShowWorkerBox, &workerResult, 0, nullptr);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 10000));
  CloseHandle(worker);
  EXPECT_EQ(IDYES, workerResult);
  StopBoxRecorder();
  const std::vector<std::string> expected = {
      "Caption A\tPlain\\ntext\t0x30\tui",
      "Caption W\tSecond\t0x101\tui",
      "Worker\tFrom the worker\t0x24\tworker",
  };
  EXPECT_EQ(expected, ReadLines(record));
}

}  // namespace
