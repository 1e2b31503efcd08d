// The session window class names: every kind in both modes, the instance
// range, and the bounded buffer.
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

TEST(FormatSessionWindowClass, InstanceRangeIsOneToNinetyNine) {
  char name[kSessionClassCapacity];
  ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, kAs400Printer, true, 99));
  EXPECT_STREQ("Kestrava AS/400 Printer  -  P99", name);
  ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, kVtSession, false, 10));
  EXPECT_STREQ("qZVT  -  S10", name);

  const int badInstances[] = {0, -1, 100, 1000};
  for (int instance : badInstances) {
    SCOPED_TRACE(instance);
    strcpy(name, "old");
    EXPECT_FALSE(FormatSessionWindowClass(name, sizeof name, kMainframeDisplay, true, instance));
    EXPECT_STREQ("", name);
  }
  const int badKinds[] = {-1, kSessionKinds, 99};
  for (int kind : badKinds) {
    SCOPED_TRACE(kind);
    strcpy(name, "old");
    EXPECT_FALSE(FormatSessionWindowClass(name, sizeof name, kind, false, 1));
    EXPECT_STREQ("", name);
    EXPECT_EQ(nullptr, SessionWindowClassPrefix(kind, false));
    EXPECT_EQ(nullptr, SessionProgramTag(kind));
  }
}

TEST(FormatSessionWindowClass, LongestNameFitsTheCapacityAndSmallBuffersCut) {
  // Every name, with the widest instance number, fits the documented capacity.
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    for (int desktop = 0; desktop < 2; ++desktop) {
      SCOPED_TRACE(kind * 2 + desktop);
      char name[kSessionClassCapacity];
      EXPECT_TRUE(FormatSessionWindowClass(name, sizeof name, kind, desktop != 0, 99));
      EXPECT_EQ(0, strncmp(name, SessionWindowClassPrefix(kind, desktop != 0),
                           strlen(SessionWindowClassPrefix(kind, desktop != 0))));
    }
  }
  // A buffer one byte short is cut cleanly and reported, nothing written past it.
  char guarded[16];
  memset(guarded, '#', sizeof guarded);
  EXPECT_FALSE(FormatSessionWindowClass(guarded, 12, kVtSession, false, 12));  // "qZVT  -  S12"
  EXPECT_STREQ("qZVT  -  S1", guarded);
  EXPECT_EQ('#', guarded[12]);
  EXPECT_TRUE(FormatSessionWindowClass(guarded, 13, kVtSession, false, 12));
  EXPECT_STREQ("qZVT  -  S12", guarded);
}

TEST(SessionKindFromTag, TagsInKindOrderIgnoringCase) {
  const char* tags[] = {"KVMD", "KVMP", "KVAD", "KVAP", "KVFTP", "KVVT"};
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    SCOPED_TRACE(tags[kind]);
    EXPECT_STREQ(tags[kind], SessionProgramTag(kind));
    EXPECT_EQ(kind, SessionKindFromTag(tags[kind]));
  }
  EXPECT_EQ(kFtpSession, SessionKindFromTag("kvftp"));
  EXPECT_EQ(-1, SessionKindFromTag("KVFT"));
  EXPECT_EQ(-1, SessionKindFromTag("KVSM"));
  EXPECT_EQ(-1, SessionKindFromTag(""));
  EXPECT_EQ(-1, SessionKindFromTag(nullptr));
}
