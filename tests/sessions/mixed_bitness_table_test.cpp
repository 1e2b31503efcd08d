// The session window table shared by a control and a session program of the
// other bitness: the same slots, one 32-bit word per live window, and a slot
// the control has taken over is left alone by the program as it goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

TEST(MixedBitnessTable, BothBitnessesShareTheSlots) {
  const std::string unixFolder = OTHER_STUB_PROGRAMS_UNIX;
  if (unixFolder.empty()) GTEST_SKIP() << "WEVELINK_OTHER_BUILD is not set";
  // scripts/wine-loader says whether this machine runs 32-bit programs.
  const char* win32 = getenv("WEVELINK_WIN32");
  if (win32 && strcmp(win32, "0") == 0) {
    GTEST_SKIP() << "this machine runs no 32-bit programs (its kernel refuses them), so no "
                    "32-bit program can share the table here";
  }
  const std::string folder = WinPathFromUnix(unixFolder);
  if (!FileExists(folder + "\\KVMD.PRO")) {
    GTEST_SKIP() << "the other Windows build's stand-ins are missing (" << unixFolder
                 << "): build both the win32 and the win64 preset";
  }
  // Of this build's own bitness the test would prove nothing.
  DWORD type = 0;
  ASSERT_TRUE(GetBinaryTypeA((folder + "\\KVMD.PRO").c_str(), &type));
  ASSERT_EQ(sizeof(void*) == 8 ? (DWORD)SCS_32BIT_BINARY : (DWORD)SCS_64BIT_BINARY, type);
  ASSERT_TRUE(OpenSessionWindowTable());
  const std::string log = TestEnvDir() + "\\mixed-bitness-stub.log";
  SetEnvironmentVariableA("WEVELINK_STUB_LOG", log.c_str());
  HWND container = TestContainerWindow();
  const DWORD kBusyMarker = 0x5A5A0001;
  SetDeploymentBusy(kBusyMarker);
  const struct {
    const char* program;
    int instance, kind;
    bool embedded;   // given this process's window as its container
    bool takenOver;  // this process stores its own window in the slot first
  } rows[] = {
      {"KVMD.PRO", 1, kMainframeDisplay, false, false},  // the table's first word
      {"KVAP.EXE", 42, kAs400Printer, true, true},
      {"KVFTP.EXE", 7, kFtpSession, false, true},
      {"KVVT.PRO", 99, kVtSession, true, false},  // the word before the busy word
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.program);
    const int slot = row.instance - 1;
    std::string switches = "/s" + std::to_string(row.instance) + " /u1 /@";
    const std::string handle = std::to_string((int)(LONG_PTR)container);
    if (row.embedded) switches += " /*" + handle + " /(0 /)0 /_200 /+100";
    StandIn stub(folder, row.program, switches);
    HWND window = nullptr;
    PumpUntil([&] { return (window = GetSessionWindow(row.kind, slot)) != nullptr; }, 10000);
    ASSERT_NE(nullptr, window);
    // The word the other program stored names its live window, in this
    // build's slot of its kind and nowhere else.
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(stub.pid, owner);
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int other = 0; other < kSessionSlotsPerKind; ++other) {
        const bool own = kind == row.kind && other == slot;
        ASSERT_EQ(own ? window : nullptr, GetSessionWindow(kind, other));
      }
    }
    EXPECT_EQ(row.embedded ? slot : -1, FindSessionSlotWithParent(row.kind, container));
    ASSERT_TRUE(!row.takenOver || SetSessionWindow(row.kind, slot, container));
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, stub.WaitForExit(10000));
    EXPECT_EQ(row.takenOver ? container : nullptr, GetSessionWindow(row.kind, slot));
    EXPECT_EQ(kBusyMarker, GetDeploymentBusy());
    SetSessionWindow(row.kind, slot, nullptr);
  }
  SetDeploymentBusy(0);
  CloseSessionWindowTable();
  DestroyWindow(container);
}

}  // namespace
