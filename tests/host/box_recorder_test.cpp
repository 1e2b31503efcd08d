// The recorder behind the suite's "no box was shown" checks, which would all pass if it missed one:
// each box recorded (caption, text, style, thread), shown for the full delay, answered by default.
#include <windows.h>

#include <gtest/gtest.h>

#include "box_recorder.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const DWORD kDelayMs = 200;

TEST(BoxRecorder, RecordsAndAnswersEveryBox) {
  const std::string record = TestEnvDir() + "\\boxes-recorder.txt";
  DeleteFileA(record.c_str());
  const std::wstring wide(record.begin(), record.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), kDelayMs, GetCurrentThreadId()));
  const DWORD start = GetTickCount();
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Plain\ntext", "Caption A", MB_OK | MB_ICONEXCLAMATION));
  EXPECT_GE(GetTickCount() - start, kDelayMs - 20) << "the box was not really shown";
  EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"Second", L"Caption W", MB_OKCANCEL | MB_DEFBUTTON2));
  StopBoxRecorder();
  const std::vector<std::string> expected = {
      "Caption A\tPlain\\ntext\t0x30\tui",
      "Caption W\tSecond\t0x101\tui",
  };
  EXPECT_EQ(expected, ReadLines(record));
}

}  // namespace
