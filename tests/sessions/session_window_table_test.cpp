// The shared session window table on a real named section, read through a second view as another
// process would; and the searches for an embedded session and a free instance among real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"

namespace {

struct RawTable {
  HANDLE section = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kSessionWindowTableName);
  DWORD* words = section ? (DWORD*)MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  ~RawTable() {
    if (words) UnmapViewOfFile(words);
    if (section) CloseHandle(section);
  }
  std::vector<BYTE> Bytes() const {
    return std::vector<BYTE>((BYTE*)words, (BYTE*)words + kSessionWindowTableBytes);
  }
};

HWND FakeHandle(DWORD value) { return (HWND)(LONG_PTR)(LONG)value; }

// Each kind's array at its fixed place in 32-bit words, the busy word after the last, nothing else
// touched; kept over a reopen while another view holds it, inert when closed.
TEST(SessionWindowTable, LayoutBoundsAndLifetime) {
  const std::vector<BYTE> zeros(kSessionWindowTableBytes);
  ASSERT_TRUE(OpenSessionWindowTable());
  {
    RawTable raw;  // a second view, as another process has
    ASSERT_NE(nullptr, raw.words);
    const struct {
      int kind, slot;
    } rows[] = {{-1, 0}, {kSessionKinds, 0}, {0, -1}, {kVtSession, kSessionSlotsPerKind}};
    for (const auto& row : rows) {
      SCOPED_TRACE(row.kind * 1000 + row.slot);
      EXPECT_FALSE(SetSessionWindow(row.kind, row.slot, FakeHandle(0x77)));
      EXPECT_EQ(nullptr, GetSessionWindow(row.kind, row.slot));
    }
    EXPECT_EQ(-1, SessionWindowArrayOffset(kSessionKinds));
    EXPECT_EQ(zeros, raw.Bytes());
    ASSERT_TRUE(SetSessionWindow(kMainframePrinter, 2, FakeHandle(0x222)));
    EXPECT_FALSE(ClearSessionWindow(kMainframePrinter, 2, FakeHandle(0x333)));
    EXPECT_EQ(FakeHandle(0x222), GetSessionWindow(kMainframePrinter, 2));
    EXPECT_TRUE(ClearSessionWindow(kMainframePrinter, 2, FakeHandle(0x222)));
    EXPECT_EQ(nullptr, GetSessionWindow(kMainframePrinter, 2));
    const int expected[kSessionKinds] = {0, 792, 396, 1188, 1584, 1980};
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      SCOPED_TRACE(kind);
      EXPECT_EQ(expected[kind], SessionWindowArrayOffset(kind));
      for (int slot : {0, kind + 10, kSessionSlotsPerKind - 1}) {
        DWORD marker = 0x100000 + kind * 0x1000 + slot;
        ASSERT_TRUE(SetSessionWindow(kind, slot, FakeHandle(marker)));
        EXPECT_EQ(marker, raw.words[expected[kind] / 4 + slot]) << "slot " << slot;
      }
    }
    raw.words[expected[kAs400Printer] / 4 + 42] = 0xABCD;
    EXPECT_EQ(FakeHandle(0xABCD), GetSessionWindow(kAs400Printer, 42));
    SetDeploymentBusy(1);
    EXPECT_EQ(1u, raw.words[(expected[kVtSession] + 4 * kSessionSlotsPerKind) / 4]);
    raw.words[kDeploymentBusyOffset / 4] = 0;
    EXPECT_EQ(0u, GetDeploymentBusy());
    // Handles are kept as their low 32 bits and sign-extended, as between 32- and 64-bit processes.
    ASSERT_TRUE(SetSessionWindow(kFtpSession, 5, FakeHandle(0x80001234)));
    EXPECT_EQ(0x80001234u, raw.words[expected[kFtpSession] / 4 + 5]);
    EXPECT_EQ(0u, raw.words[expected[kFtpSession] / 4 + 6]);
    EXPECT_EQ(FakeHandle(0x80001234), GetSessionWindow(kFtpSession, 5));

    CloseSessionWindowTable();
    EXPECT_FALSE(SetSessionWindow(kMainframeDisplay, 0, FakeHandle(0x10)));
    EXPECT_EQ(nullptr, GetSessionWindow(kAs400Printer, 42));
    EXPECT_FALSE(ClearSessionWindow(kAs400Printer, 42, FakeHandle(0xABCD)));
    SetDeploymentBusy(1);
    EXPECT_EQ(0u, GetDeploymentBusy());
    ASSERT_TRUE(OpenSessionWindowTable());
    EXPECT_EQ(FakeHandle(0xABCD), GetSessionWindow(kAs400Printer, 42));
    EXPECT_EQ(0u, raw.words[kDeploymentBusyOffset / 4]);
  }
  CloseSessionWindowTable();
}

// The lowest instance whose class of the kind and mode has no window; none when all 99 run.
TEST(FindFreeInstance, TheFirstGapOfTheKindAndMode) {
  std::vector<HWND> windows;
  auto add = [&](int kind, bool desktopMode, int instance) {
    char name[kSessionClassCapacity];
    FormatSessionWindowClass(name, sizeof name, kind, desktopMode, instance);
    WNDCLASSA windowClass = {0, DefWindowProcA, 0, 0, nullptr, 0, 0, 0, nullptr, name};
    RegisterClassA(&windowClass);
    windows.push_back(CreateWindowExA(0, name, "", 0, 0, 0, 9, 9, 0, 0, 0, 0));
    return windows.back() != nullptr;
  };
  for (int instance : {1, 2, 4}) ASSERT_TRUE(add(kMainframeDisplay, true, instance));
  EXPECT_EQ(3, FindFreeInstance(kMainframeDisplay, true));
  EXPECT_EQ(0, FindFreeInstance(kSessionKinds, true));
  for (int instance = 1; instance <= kSessionInstances; ++instance)
    ASSERT_TRUE(add(kVtSession, false, instance)) << instance;
  EXPECT_EQ(0, FindFreeInstance(kVtSession, false));
  DestroyWindow(windows[3 + 49]);
  EXPECT_EQ(50, FindFreeInstance(kVtSession, false));
  for (HWND window : windows) DestroyWindow(window);
}

}  // namespace
