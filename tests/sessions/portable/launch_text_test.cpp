// The launcher's texts: the kind and slot an entry names, the line it is
// started with, the program that is checked, and lines that do not fit.
#include <gtest/gtest.h>

#include <string>

#include "sessions/portable/launch_text.h"
#include "base/portable/session_kinds.h"

namespace {

TEST(LaunchText, KindsSlotsAndInstances) {
  const struct {
    const char* text;
    int kind, slot;
    const char* instance;  // null: none
  } cases[] = {
      {"KVMP.PRO /s2 /fprt", kMainframePrinter, 1, "2"},
      {"KVFTP.PRO /s12 /f\"x\"", kFtpSession, 11, "12"},
      {"KVVT.PRO /s1a", kVtSession, 0, "1a"},
      {"KVAD.EXE /sb", kAs400Display, 0, "b"},
      {"KVAP.EXE /s123", kAs400Printer, 11, "123"},
      {"KVAD.EXE /S3 /fc", kAs400Display, -1, "3"},  // "/S" is no slot, but an instance
      {"KVMD.PRO /f\"tso.zmd\"", kMainframeDisplay, -1, nullptr},
      {" /H10.1.1.5", -1, -1, nullptr},
      // The first tag in kind order wins, wherever it stands.
      {"C:\\KVVT\\KVMD.PRO /s1", kMainframeDisplay, 0, "1"},
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

TEST(LaunchText, LinesInTheirOrder) {
  const LaunchGeometry geometry = {1234, 10, 20, 410, 320};
  const struct {
    const char* folder;
    const char* command;
    bool desktop;
    int config;
    const LaunchGeometry* geometry;
    const char* line;
  } cases[] = {
      {"C:\\T\\Kestrava", "KVMP.PRO /s2 /fprt", false, 1, nullptr,
       "C:\\T\\Kestrava\\KVMP.PRO /s2 /fprt /qy3270P /u1 /@"},
      {"C:\\Inst\\", "KVMD.EXE /s1", true, 0, nullptr, "C:\\Inst\\KVMD.EXE /s1 /u0 /@"},
      {"C:\\K", "KVVT.PRO /s1", false, 2, &geometry,
       "C:\\K\\KVVT.PRO /s1 /qyVT /u2 /*1234 /(10 /)20 /_410 /+320 /@"},
  };
  for (const auto& c : cases) {
    char line[kLaunchLineCapacity];
    ASSERT_TRUE(BeginLaunchLine(line, sizeof line, c.folder, c.command,
                                SessionKindOfCommand(c.command), c.desktop));
    ASSERT_TRUE(FinishLaunchLine(line, sizeof line, c.config, c.geometry));
    EXPECT_STREQ(c.line, line);
  }
  // 259 characters fit; one more does not, at either step.
  const std::string folder(255 - 12, 'f');
  char line[kLaunchLineCapacity];
  EXPECT_TRUE(BeginLaunchLine(line, sizeof line, folder.c_str(), "KVMD.EXE /s1", 0, true));
  EXPECT_FALSE(FinishLaunchLine(line, sizeof line, 1, nullptr));
  const std::string shorter(259 - 1 - 12 - 7, 'f');
  EXPECT_TRUE(BeginLaunchLine(line, sizeof line, shorter.c_str(), "KVMD.EXE /s1", 0, true));
  EXPECT_TRUE(FinishLaunchLine(line, sizeof line, 1, nullptr));
  EXPECT_EQ(259u, std::string(line).size());
  EXPECT_FALSE(BeginLaunchLine(line, sizeof line, std::string(260, 'f').c_str(), "KVMD.EXE", 0,
                               true));
}

TEST(LaunchText, CheckedProgramAndKind) {
  const struct {
    const char* line;
    bool desktop;
    const char* program;
  } cases[] = {
      {"C:\\K\\KVMD.PRO /s1 /f\"a.PRO\"", false, "C:\\K\\KVMD.PRO"},
      {"C:\\I\\KVMD.EXE /s1", true, "C:\\I\\KVMD.EXE"},
      {"C:\\I\\KVMD.exe /s1", true, "C:\\I\\KVMD.exe /s1"},  // compared with case
  };
  for (const auto& c : cases) {
    char program[kProgramPathCapacity];
    EXPECT_TRUE(ProgramPathOf(c.line, c.desktop, program, sizeof program));
    EXPECT_STREQ(c.program, program);
  }
  unsigned char verified[kSessionKinds] = {1, 0, 0, 0, 0, 0};
  EXPECT_EQ(-1, KindNeedingCheck("C:\\K\\KVMD.PRO /s1", verified));
  EXPECT_EQ(kVtSession, KindNeedingCheck("C:\\KVMD\\KVVT.PRO /s1", verified));
}

TEST(LaunchText, TheKindTableColumns) {
  const char* const* keys = nullptr;
  EXPECT_EQ(4, SessionConfigKeyPrefixes(kFtpSession, false, &keys));
  EXPECT_STREQ("Software\\Dovrel\\qyFTP\\Kestrava FTP T", keys[3]);
  EXPECT_EQ(2, SessionConfigKeyPrefixes(kFtpSession, true, &keys));
  EXPECT_EQ(2, SessionConfigKeyPrefixes(kVtSession, false, &keys));
  EXPECT_STREQ("Software\\Dovrel\\qyVT\\VT S", keys[1]);
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    SCOPED_TRACE(kind);
    for (bool desktop : {false, true}) {
      int count = SessionConfigKeyPrefixes(kind, desktop, &keys);
      for (int i = 0; i < count; ++i) EXPECT_GT(50u, std::string(keys[i]).size());
    }
  }
  EXPECT_STREQ("qyFTP  -  T", LauncherWindowClassPrefix(kFtpSession, false));
  EXPECT_STREQ("Kestrava Secure FTP  -  T", SessionWindowClassPrefix(kFtpSession, false));
  EXPECT_EQ(1, SessionComponentGroup(kAs400Printer));
  EXPECT_EQ(-1, SessionComponentGroup(6));
  EXPECT_EQ(0, SessionConfigKeyPrefixes(6, false, &keys));
}

}  // namespace
