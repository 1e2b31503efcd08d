// The session window class names, which the session programs register: every
// kind in both modes and the instance range.
#include "base/portable/session_kinds.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(FormatSessionWindowClass, EveryKindAndModeForInstanceOne) {
  struct Row {
    int kind;
    const char* desktop;
    const char* web;
  } rows[] = {
      {kMainframeDisplay, "Kestrava Mainframe Display  -  S1", "qy3270 Mainframe Display  -  S1"},
      {kMainframePrinter, "Kestrava Mainframe Printer  -  P1", "qy3270 Mainframe Printer  -  P1"},
      {kAs400Display, "Kestrava AS/400 Display  -  S1", "qy5250 AS/400 Display  -  S1"},
      {kAs400Printer, "Kestrava AS/400 Printer  -  P1", "qy5250 AS/400 Printer  -  P1"},
      {kFtpSession, "Kestrava Secure FTP  -  T1", "Kestrava Secure FTP  -  T1"},
      {kVtSession, "Kestrava VT  -  S1", "qZVT  -  S1"},
  };
  ASSERT_EQ((size_t)kSessionKinds, sizeof rows / sizeof rows[0]);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    char name[kSessionClassCapacity];
    ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, row.kind, true, 1));
    EXPECT_STREQ(row.desktop, name);
    ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, row.kind, false, 1));
    EXPECT_STREQ(row.web, name);
  }
}

TEST(FormatSessionWindowClass, InstanceOneToNinetyNineOfTheSixKinds) {
  char name[kSessionClassCapacity];
  ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, kAs400Printer, true, 99));
  EXPECT_STREQ("Kestrava AS/400 Printer  -  P99", name);
  const int bad[][2] = {
      {kMainframeDisplay, 0},
      {kMainframeDisplay, 100},
      {-1, 1},
      {kSessionKinds, 1},
  };
  for (const auto& row : bad) {
    SCOPED_TRACE(testing::Message() << row[0] << " " << row[1]);
    strcpy(name, "old");
    EXPECT_FALSE(FormatSessionWindowClass(name, sizeof name, row[0], true, row[1]));
    EXPECT_STREQ("", name);
  }
}
