// Launcher texts: an entry's kind and slot, its line and the line's bound, the kind checked.
#include <gtest/gtest.h>

#include <string>

#include "base/portable/session_kinds.h"
#include "sessions/portable/launch_text.h"

namespace {

TEST(LaunchText, KindsSlotsAndInstances) {
  const struct {
    const char* text;
    int kind, slot;
    const char* instance;  // null: none
  } cases[] = {
      {"KVMP.PRO /s2 /fprt", kMainframePrinter, 1, "2"},
      {"KVVT.PRO /s1a", kVtSession, 0, "1a"},
      {"KVAP.EXE /s123", kAs400Printer, 11, "123"},
      {"KVAD.EXE /S3 /fc", kAs400Display, -1, "3"},  // "/S" is no slot, but an instance
      {"KVMD.PRO /f\"tso.zmd\"", kMainframeDisplay, -1, nullptr},
      {" /H10.1.1.5", -1, -1, nullptr},
      {"C:\\KVVT\\KVMD.PRO /s1", kMainframeDisplay, 0, "1"},  // the first kind in table order
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.kind, SessionKindOfCommand(c.text));
    EXPECT_EQ(c.slot, ReuseSlotOfCommand(c.text));
    char instance[8];
    EXPECT_EQ(c.instance != nullptr, InstanceTextOf(c.text, instance, sizeof instance));
    EXPECT_STREQ(c.instance ? c.instance : "", instance);
  }
  char small[3];
  EXPECT_FALSE(InstanceTextOf("KVMD.PRO /s123", small, sizeof small));
  EXPECT_STREQ("", small);
}

TEST(LaunchText, LinesInTheirOrderAndTheirBound) {
  const LaunchGeometry geometry = {1234, 10, 20, 410, 320};
  char line[kLaunchLineCapacity];
  ASSERT_TRUE(BeginLaunchLine(line, sizeof line, "C:\\K", "KVVT.PRO /s1", kVtSession, false));
  ASSERT_TRUE(FinishLaunchLine(line, sizeof line, 2, &geometry));
  EXPECT_STREQ("C:\\K\\KVVT.PRO /s1 /qyVT /u2 /*1234 /(10 /)20 /_410 /+320 /@", line);
  // 259 characters fit; one more does not, at either step.
  const std::string folder(259 - 1 - 12 - 7, 'f');
  EXPECT_TRUE(BeginLaunchLine(line, sizeof line, folder.c_str(), "KVMD.EXE /s1", 0, true));
  EXPECT_TRUE(FinishLaunchLine(line, sizeof line, 1, nullptr));
  EXPECT_EQ(259u, std::string(line).size());
  EXPECT_TRUE(BeginLaunchLine(line, sizeof line, (folder + "f").c_str(), "KVMD.EXE /s1", 0, true));
  EXPECT_FALSE(FinishLaunchLine(line, sizeof line, 1, nullptr));
  const std::string tooLong(260, 'f');
  EXPECT_FALSE(BeginLaunchLine(line, sizeof line, tooLong.c_str(), "KVMD.EXE", 0, true));
}

TEST(LaunchText, CheckedKind) {
  // The kind checked is the one the program's file name gives; a tag elsewhere flags nothing.
  const unsigned char verified[kSessionKinds] = {1, 0, 0, 0, 0, 0};
  const struct {
    const char* program;
    int kind;
  } checks[] = {
      {"C:\\K\\KVMD.PRO", -1},
      {"C:\\KVMD\\KVVT.PRO", kVtSession},
      {"C:\\KVVT\\KVMD.PRO", -1},
      {"C:\\K\\kvmp.pro", 1},
      {"C:\\K\\OTHER.PRO", kProgramOfNoKind},
      {"C:\\KVMP\\OTHER.PRO", kProgramOfNoKind},
  };
  for (const auto& c : checks) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(c.kind, KindNeedingCheck(c.program, verified));
  }
}

}  // namespace
