// The shared session window table on a real named section, read back
// through a second, independent view of the same section; and the search
// for a free instance number among real windows of the session classes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"

namespace {

// A second view of the table, opened by name as another process would.
class RawTable {
 public:
  RawTable() {
    section_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kSessionWindowTableName);
    if (section_) view_ = (BYTE*)MapViewOfFile(section_, FILE_MAP_WRITE, 0, 0, 0);
  }
  ~RawTable() {
    if (view_) UnmapViewOfFile(view_);
    if (section_) CloseHandle(section_);
  }
  bool ok() const { return view_ != nullptr; }
  DWORD Word(int offset) const {
    DWORD value;
    memcpy(&value, view_ + offset, 4);
    return value;
  }
  void SetWord(int offset, DWORD value) { memcpy(view_ + offset, &value, 4); }
  std::vector<BYTE> Bytes() const { return std::vector<BYTE>(view_, view_ + kSessionWindowTableBytes); }

 private:
  HANDLE section_ = nullptr;
  BYTE* view_ = nullptr;
};

bool SectionExists() {
  HANDLE section = OpenFileMappingA(FILE_MAP_READ, FALSE, kSessionWindowTableName);
  if (section) CloseHandle(section);
  return section != nullptr;
}

bool AllZero(const std::vector<BYTE>& bytes) {
  for (BYTE b : bytes) {
    if (b) return false;
  }
  return true;
}

HWND FakeHandle(DWORD value) { return (HWND)(LONG_PTR)(LONG)value; }

// Hidden top-level windows of session classes, as running sessions would
// have; destroyed with their classes when the object goes.
class SessionWindows {
 public:
  ~SessionWindows() {
    for (size_t i = 0; i < windows_.size(); ++i) {
      if (windows_[i]) DestroyWindow(windows_[i]);
      UnregisterClassA(classes_[i].c_str(), GetModuleHandleA(nullptr));
    }
  }
  HWND Add(int kind, bool desktopMode, int instance) {
    char name[kSessionClassCapacity];
    if (!FormatSessionWindowClass(name, sizeof name, kind, desktopMode, instance)) return nullptr;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    if (!RegisterClassA(&windowClass)) return nullptr;
    HWND window = CreateWindowExA(0, name, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    classes_.push_back(name);
    windows_.push_back(window);
    return window;
  }
  void Remove(int index) {
    DestroyWindow(windows_[index]);
    windows_[index] = nullptr;
  }

 private:
  std::vector<std::string> classes_;
  std::vector<HWND> windows_;
};

class SessionWindowTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(OpenSessionWindowTable()); }
  void TearDown() override {
    // Leave nothing behind for the next case.
    for (int kind = 0; kind < kSessionKinds; ++kind) {
      for (int slot = 0; slot < kSessionSlotsPerKind; ++slot) SetSessionWindow(kind, slot, nullptr);
    }
    SetDeploymentBusy(0);
    CloseSessionWindowTable();
  }
};

TEST(SessionWindowTableLifetime, FreshSectionIsZeroAndReopeningKeepsWhatOthersPublished) {
  ASSERT_FALSE(SectionExists()) << "another process holds the session window table";
  ASSERT_TRUE(OpenSessionWindowTable());
  EXPECT_TRUE(SessionWindowTableIsOpen());
  {
    RawTable raw;
    ASSERT_TRUE(raw.ok());
    EXPECT_TRUE(AllZero(raw.Bytes()));
  }
  // A second open while open changes nothing.
  ASSERT_TRUE(SetSessionWindow(kAs400Display, 7, FakeHandle(0x1234)));
  EXPECT_TRUE(OpenSessionWindowTable());
  EXPECT_EQ(FakeHandle(0x1234), GetSessionWindow(kAs400Display, 7));

  {
    // Another holder keeps the section alive while this process closes and
    // opens it again: the existing block is not cleared.
    RawTable other;
    ASSERT_TRUE(other.ok());
    other.SetWord(SessionWindowArrayOffset(kVtSession) + 4 * 3, 0x5678);
    CloseSessionWindowTable();
    EXPECT_FALSE(SessionWindowTableIsOpen());
    EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 7));
    ASSERT_TRUE(OpenSessionWindowTable());
    EXPECT_EQ(FakeHandle(0x1234), GetSessionWindow(kAs400Display, 7));
    EXPECT_EQ(FakeHandle(0x5678), GetSessionWindow(kVtSession, 3));
  }

  // With every holder gone the section goes; the next open starts from zero.
  CloseSessionWindowTable();
  EXPECT_FALSE(SectionExists());
  ASSERT_TRUE(OpenSessionWindowTable());
  EXPECT_EQ(nullptr, GetSessionWindow(kAs400Display, 7));
  RawTable raw;
  ASSERT_TRUE(raw.ok());
  EXPECT_TRUE(AllZero(raw.Bytes()));
  CloseSessionWindowTable();
}

TEST(SessionWindowTableLifetime, WithoutTableNothingIsReadOrWritten) {
  CloseSessionWindowTable();
  ASSERT_FALSE(SessionWindowTableIsOpen());
  EXPECT_FALSE(SetSessionWindow(kMainframeDisplay, 0, FakeHandle(0x10)));
  EXPECT_EQ(nullptr, GetSessionWindow(kMainframeDisplay, 0));
  EXPECT_FALSE(ClearSessionWindow(kMainframeDisplay, 0, FakeHandle(0x10)));
  EXPECT_EQ(-1, FindSessionSlotWithParent(kMainframeDisplay, GetDesktopWindow()));
  SetDeploymentBusy(1);
  EXPECT_EQ(0u, GetDeploymentBusy());
  CloseSessionWindowTable();  // closing twice is harmless
}

TEST_F(SessionWindowTableTest, KindsMapToTheirArraysAndBusyFollowsThem) {
  const int expected[kSessionKinds] = {0, 792, 396, 1188, 1584, 1980};
  RawTable raw;
  ASSERT_TRUE(raw.ok());
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(expected[kind], SessionWindowArrayOffset(kind));
    // First, a middle and the last slot of each array.
    const int slots[] = {0, kind + 10, kSessionSlotsPerKind - 1};
    for (int slot : slots) {
      DWORD marker = 0x100000 + kind * 0x1000 + slot;
      ASSERT_TRUE(SetSessionWindow(kind, slot, FakeHandle(marker)));
      EXPECT_EQ(marker, raw.Word(expected[kind] + 4 * slot)) << "slot " << slot;
      EXPECT_EQ(FakeHandle(marker), GetSessionWindow(kind, slot));
    }
  }
  // Written by another process, read here.
  raw.SetWord(expected[kAs400Printer] + 4 * 42, 0xABCD);
  EXPECT_EQ(FakeHandle(0xABCD), GetSessionWindow(kAs400Printer, 42));

  EXPECT_EQ(0u, GetDeploymentBusy());
  SetDeploymentBusy(1);
  EXPECT_EQ(1u, raw.Word(kDeploymentBusyOffset));
  EXPECT_EQ(1u, GetDeploymentBusy());
  raw.SetWord(kDeploymentBusyOffset, 0);
  EXPECT_EQ(0u, GetDeploymentBusy());
  // The last VT slot ends right where the busy word begins.
  EXPECT_EQ(kDeploymentBusyOffset, expected[kVtSession] + 4 * kSessionSlotsPerKind);

  // Handles are stored as their low 32 bits, sign-extended again on 64-bit
  // as the platform does.
  HWND high = FakeHandle(0x80001234);
  ASSERT_TRUE(SetSessionWindow(kFtpSession, 5, high));
  EXPECT_EQ(0x80001234u, raw.Word(expected[kFtpSession] + 20));
  EXPECT_EQ(0u, raw.Word(expected[kFtpSession] + 24));  // no spill
  EXPECT_EQ(high, GetSessionWindow(kFtpSession, 5));
}

TEST_F(SessionWindowTableTest, OutOfRangeSlotsAndKindsTouchNothing) {
  RawTable raw;
  ASSERT_TRUE(raw.ok());
  std::vector<BYTE> before = raw.Bytes();
  struct { int kind, slot; } rows[] = {{-1, 0}, {kSessionKinds, 0}, {0, -1},
                                       {0, kSessionSlotsPerKind}, {kVtSession, 99}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.kind * 1000 + row.slot);
    EXPECT_FALSE(SetSessionWindow(row.kind, row.slot, FakeHandle(0x77)));
    EXPECT_EQ(nullptr, GetSessionWindow(row.kind, row.slot));
  }
  EXPECT_EQ(-1, SessionWindowArrayOffset(kSessionKinds));
  EXPECT_TRUE(raw.Bytes() == before);
}

TEST_F(SessionWindowTableTest, ClearingRemovesOnlyTheSameWindow) {
  ASSERT_TRUE(SetSessionWindow(kMainframePrinter, 2, FakeHandle(0x222)));
  EXPECT_FALSE(ClearSessionWindow(kMainframePrinter, 2, FakeHandle(0x333)));
  EXPECT_EQ(FakeHandle(0x222), GetSessionWindow(kMainframePrinter, 2));
  EXPECT_TRUE(ClearSessionWindow(kMainframePrinter, 2, FakeHandle(0x222)));
  EXPECT_EQ(nullptr, GetSessionWindow(kMainframePrinter, 2));
}

TEST_F(SessionWindowTableTest, FindsTheFirstSlotWhoseWindowIsAChildOfTheContainer) {
  SessionWindows windows;
  HWND container = windows.Add(kAs400Printer, true, 98);  // any top-level window will do
  HWND other = windows.Add(kAs400Printer, true, 97);
  ASSERT_NE(nullptr, container);
  ASSERT_NE(nullptr, other);
  HWND childA = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, container, nullptr,
                                nullptr, nullptr);
  HWND childB = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, container, nullptr,
                                nullptr, nullptr);
  HWND elsewhere = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, other, nullptr,
                                   nullptr, nullptr);
  ASSERT_TRUE(childA && childB && elsewhere);
  EXPECT_EQ(-1, FindSessionSlotWithParent(kVtSession, container));
  SetSessionWindow(kVtSession, 3, elsewhere);
  SetSessionWindow(kVtSession, 9, childB);
  SetSessionWindow(kVtSession, 40, childA);
  SetSessionWindow(kMainframeDisplay, 1, childA);
  EXPECT_EQ(9, FindSessionSlotWithParent(kVtSession, container));
  EXPECT_EQ(3, FindSessionSlotWithParent(kVtSession, other));
  EXPECT_EQ(1, FindSessionSlotWithParent(kMainframeDisplay, container));
  EXPECT_EQ(-1, FindSessionSlotWithParent(kFtpSession, container));
}

TEST(FindFreeInstance, SkipsRunningInstancesUpToTheFirstGap) {
  SessionWindows windows;
  ASSERT_NE(nullptr, windows.Add(kMainframeDisplay, true, 1));
  ASSERT_NE(nullptr, windows.Add(kMainframeDisplay, true, 2));
  ASSERT_NE(nullptr, windows.Add(kMainframeDisplay, true, 4));
  EXPECT_EQ(3, FindFreeInstance(kMainframeDisplay, true));
  // The web-mode class and the other kinds are not in use.
  EXPECT_EQ(1, FindFreeInstance(kMainframeDisplay, false));
  EXPECT_EQ(1, FindFreeInstance(kAs400Display, true));
  // A session of another process's class counts as soon as it exists, and
  // is free again once its window is gone.
  ASSERT_NE(nullptr, windows.Add(kMainframeDisplay, true, 3));
  EXPECT_EQ(5, FindFreeInstance(kMainframeDisplay, true));
  windows.Remove(0);
  EXPECT_EQ(1, FindFreeInstance(kMainframeDisplay, true));
  EXPECT_EQ(0, FindFreeInstance(kSessionKinds, true));
  EXPECT_EQ(0, FindFreeInstance(-1, false));
}

TEST(FindFreeInstance, AllNinetyNineInUseGivesZero) {
  SessionWindows windows;
  for (int instance = 1; instance <= kSessionInstances; ++instance) {
    ASSERT_NE(nullptr, windows.Add(kVtSession, false, instance)) << instance;
  }
  EXPECT_EQ(0, FindFreeInstance(kVtSession, false));
  EXPECT_EQ(1, FindFreeInstance(kVtSession, true));
  windows.Remove(49);
  EXPECT_EQ(50, FindFreeInstance(kVtSession, false));
}

}  // namespace
