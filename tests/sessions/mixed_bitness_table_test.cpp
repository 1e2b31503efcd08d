// The session window table between modules of both bitnesses: this program
// stands for the control (32-bit in the win32 build, 64-bit in the win64
// build) and starts the other build's session-program stand-in, so a 32-bit
// control meets a 64-bit session program and the other way round. Both must
// find the same slots in the one named section: the same kind offsets, one
// 32-bit word per handle, handles that name the same live windows, and a
// slot the control has taken over left alone by the program as it goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>

#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"
#include "test_support.h"

using namespace testsupport;

namespace {

const DWORD kWaitMs = 10000;
const bool kThisIs64Bit = sizeof(void*) == 8;

// Dispatches this thread's messages while waiting: a program embedding
// itself in a window of this thread sends it messages.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::string Number(HWND window) { return std::to_string((DWORD)(ULONG_PTR)window); }

class MixedBitnessTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string unixFolder = OTHER_STUB_PROGRAMS_UNIX;
    if (unixFolder.empty()) {
      GTEST_SKIP() << "WEVELINK_OTHER_BUILD is not set: configure through the win32 and win64 "
                      "presets";
    }
    // scripts/wine-loader says whether this machine runs 32-bit programs.
    const char* win32 = getenv("WEVELINK_WIN32");
    if (win32 && strcmp(win32, "0") == 0) {
      GTEST_SKIP() << "this machine runs no 32-bit programs (its kernel refuses them), so no "
                      "32-bit program can share the table here";
    }
    folder_ = WinPathFromUnix(unixFolder);
    if (folder_.empty() || !FileExists(folder_ + "\\KVMD.PRO")) {
      GTEST_SKIP() << "the other Windows build's session stand-ins are missing (" << unixFolder
                   << "): build both the win32 and the win64 preset (scripts/test does)";
    }
    // Built, but of the same bitness, the test would prove nothing.
    DWORD type = 0;
    ASSERT_TRUE(GetBinaryTypeA((folder_ + "\\KVMD.PRO").c_str(), &type)) << GetLastError();
    ASSERT_EQ(kThisIs64Bit ? (DWORD)SCS_32BIT_BINARY : (DWORD)SCS_64BIT_BINARY, type)
        << folder_ << " holds programs of this build's own bitness";

    ASSERT_TRUE(OpenSessionWindowTable());
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    log_ = std::string(temp) + "wevelink-mixed-bitness.log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", log_.c_str());
    // A stand-in that a failing case leaves behind ends on its own.
    SetEnvironmentVariableA("WEVELINK_STUB_EXIT_AFTER_MS", "60000");

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WevelinkMixedBitnessContainer";
    RegisterClassA(&windowClass);
    container_ = CreateWindowExA(0, windowClass.lpszClassName, "container",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400,
                                 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, container_);
  }

  void TearDown() override {
    if (process_ != nullptr) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
      }
      CloseHandle(process_);
    }
    if (SessionWindowTableIsOpen()) {
      for (int kind = 0; kind < kSessionKinds; ++kind) {
        for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) {
          SetSessionWindow(kind, slot, nullptr);
        }
      }
      SetDeploymentBusy(0);
      CloseSessionWindowTable();
    }
    if (container_ != nullptr) DestroyWindow(container_);
    SetEnvironmentVariableA("WEVELINK_STUB_LOG", nullptr);
    SetEnvironmentVariableA("WEVELINK_STUB_EXIT_AFTER_MS", nullptr);
  }

  // Starts the other build's program as the control starts a session: its
  // full path and the switches, in its folder.
  bool Start(const std::string& program, const std::string& switches) {
    std::string commandLine = folder_ + "\\" + program + " " + switches;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder_.c_str(), &startup, &info)) {
      ADD_FAILURE() << "CreateProcessA " << commandLine << ": " << GetLastError()
                    << (kThisIs64Bit ? " (32-bit programs need wine32:i386)" : "");
      return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
  }

  std::string LogText() {
    std::string text;
    ReadFileBytes(log_, &text);
    return text;
  }

  std::string folder_;
  std::string log_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND container_ = nullptr;
};

TEST_F(MixedBitnessTableTest, BothBitnessesShareTheSlots) {
  const DWORD kBusyMarker = 0x5A5A0001;
  struct Row {
    const char* program;
    int instance;
    int kind;
    bool desktopMode;
    bool embedded;   // given this process's window as its container
    bool takenOver;  // this process stores its own window in the slot first
  } rows[] = {
      {"KVMD.PRO", 1, kMainframeDisplay, false, false, false},  // the table's first word
      {"KVAP.EXE", 42, kAs400Printer, true, true, true},
      {"KVFTP.EXE", 7, kFtpSession, true, false, true},
      {"KVVT.PRO", 99, kVtSession, false, true, false},  // the word before the busy word
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.program);
    const int slot = row.instance - 1;
    SetDeploymentBusy(kBusyMarker);
    std::string switches = "/s" + std::to_string(row.instance) + " /u1 /@";
    if (row.embedded) {
      switches += " /*" + std::to_string((int)(LONG_PTR)container_) + " /(0 /)0 /_200 /+100";
    }
    ASSERT_TRUE(Start(row.program, switches));

    HWND window = nullptr;
    WaitUntil([&] { return (window = GetSessionWindow(row.kind, slot)) != nullptr; }, kWaitMs);
    ASSERT_NE(nullptr, window) << LogText();
    // The word the other program stored names its live window...
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(pid_, owner);
    char className[kSessionClassCapacity];
    ASSERT_TRUE(FormatSessionWindowClass(className, sizeof className, row.kind,
                                         row.desktopMode, row.instance));
    EXPECT_EQ(window, row.embedded ? FindWindowExA(container_, nullptr, className, nullptr)
                                   : FindWindowA(className, nullptr));
    // ...in this build's slot of its kind, and nowhere else.
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int other = 0; other < kSessionSlotsPerKind; ++other) {
        if (kind == row.kind && other == slot) continue;
        ASSERT_EQ(nullptr, GetSessionWindow(kind, other)) << "kind " << kind << " slot " << other;
      }
    }
    EXPECT_EQ(kBusyMarker, GetDeploymentBusy());
    if (row.embedded) {
      EXPECT_EQ(container_, GetParent(window));
      EXPECT_EQ(slot, FindSessionSlotWithParent(row.kind, container_));
    }

    if (row.takenOver) {
      ASSERT_TRUE(SetSessionWindow(row.kind, slot, container_));
    }
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, kWaitMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    EXPECT_EQ(0u, code) << LogText();
    const std::string destroyed = "pid=" + std::to_string(pid_) + " destroy hwnd=" +
                                  Number(window) + (row.takenOver ? " slot=taken" : " slot=cleared");
    EXPECT_NE(std::string::npos, LogText().find(destroyed)) << destroyed << " in\n" << LogText();
    EXPECT_EQ(row.takenOver ? container_ : nullptr, GetSessionWindow(row.kind, slot));
    EXPECT_EQ(kBusyMarker, GetDeploymentBusy());

    SetSessionWindow(row.kind, slot, nullptr);
    CloseHandle(process_);
    process_ = nullptr;
  }
}

}  // namespace
