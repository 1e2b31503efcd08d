// How the session stand-in reads the command lines the control builds, and
// how it knows its kind and mode from its file name.
#include "stub_command_line.h"
#include "stub_identity.h"

#include <gtest/gtest.h>

#include <string>

#include "base/portable/session_kinds.h"

namespace {

// "name=value" per switch, "name=\"value\"" when quoted, joined by "|".
std::string Switches(const StubCommandLine& line) {
  std::string out;
  for (int i = 0; i < line.switchCount; ++i) {
    if (i) out += "|";
    out += line.switches[i].name;
    out += "=";
    out += line.switches[i].quoted ? "\"" + std::string(line.switches[i].value) + "\""
                                   : std::string(line.switches[i].value);
  }
  return out;
}

}  // namespace

TEST(ParseStubCommandLine, ContractLinesSplitIntoTheirSwitches) {
  struct Row {
    const char* line;
    const char* program;
    const char* switches;
  } rows[] = {
      // Web-mode display with page switches, family, save, final switch.
      {"C:\\T\\Kestrava\\KVMD.PRO /s1 /f\"tso.zmd\" /H10.1.1.5 /O23 /qy3270D /u1 /@",
       "C:\\T\\Kestrava\\KVMD.PRO", "s=1|f=\"tso.zmd\"|H=10.1.1.5|O=23|q=y3270D|u=1|@="},
      // Printer: configuration file without marks; numbered switch quoted.
      {"C:\\T\\KVAP.PRO /fprt1 /2\"a b\" /qy5250P /u2 /@", "C:\\T\\KVAP.PRO",
       "f=prt1|2=\"a b\"|q=y5250P|u=2|@="},
      // Embedding geometry; the handle and the coordinates as signed numbers.
      {"C:\\T\\KVVT.PRO /s2 /f\"vt.zvt\" /qyVT /u0 /*1234 /(10 /)-20 /_410 /+320 /@",
       "C:\\T\\KVVT.PRO", "s=2|f=\"vt.zvt\"|q=yVT|u=0|*=1234|(=10|)=-20|_=410|+=320|@="},
      // Cookie switches and quoted page texts holding blanks and slashes.
      {"KVFTP.EXE /s3 /f\"x.zft\" /D\"My host / main\" /C\"conn\" /iAB /jCD /kE/F /u1 /@",
       "KVFTP.EXE", "s=3|f=\"x.zft\"|D=\"My host / main\"|C=\"conn\"|i=AB|j=CD|k=E/F|u=1|@="},
      // An unquoted folder with blanks stays whole; a quoted program too.
      {"C:\\Program Files\\Kestrava\\KVMP.EXE /s4 /fp.zmp /u1 /@",
       "C:\\Program Files\\Kestrava\\KVMP.EXE", "s=4|f=p.zmp|u=1|@="},
      {"\"C:\\Program Files\\KVAD.EXE\" /s5 /@", "C:\\Program Files\\KVAD.EXE", "s=5|@="},
      // Unquoted values may hold blanks; they end where the next switch starts.
      {"KVMD.PRO /Nuser name /Ppass /@", "KVMD.PRO", "N=user name|P=pass|@="},
      // Both " /L" switches are kept, in order.
      {"KVMD.PRO /LLU1 /LDEV2", "KVMD.PRO", "L=LU1|L=DEV2"},
      // No switches; nothing at all.
      {"KVMD.PRO", "KVMD.PRO", ""},
      {"", "", ""},
      // A slash inside a word is no switch; an unclosed mark runs to the end.
      {"KVMD.PRO /Ha/b /D\"open", "KVMD.PRO", "H=a/b|D=\"open\""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].line);
    StubCommandLine parsed;
    EXPECT_TRUE(ParseStubCommandLine(rows[i].line, &parsed));
    EXPECT_STREQ(rows[i].program, parsed.program);
    EXPECT_EQ(rows[i].switches, Switches(parsed));
  }
}

TEST(ParseStubCommandLine, OverlongTextsAreCutAndReported) {
  std::string longValue(kStubValueCapacity + 40, 'v');
  std::string line = "KVMD.PRO /D\"" + longValue + "\" /Hhost";
  StubCommandLine parsed;
  EXPECT_FALSE(ParseStubCommandLine(line.c_str(), &parsed));
  ASSERT_EQ(2, parsed.switchCount);
  EXPECT_EQ(std::string(kStubValueCapacity - 1, 'v'), parsed.switches[0].value);
  EXPECT_STREQ("host", parsed.switches[1].value);

  std::string many = "KVMD.PRO";
  for (int i = 0; i < kStubMaxSwitches + 5; ++i) many += " /X" + std::to_string(i);
  EXPECT_FALSE(ParseStubCommandLine(many.c_str(), &parsed));
  EXPECT_EQ(kStubMaxSwitches, parsed.switchCount);
  EXPECT_STREQ(std::to_string(kStubMaxSwitches - 1).c_str(),
               parsed.switches[kStubMaxSwitches - 1].value);

  std::string program(kStubProgramCapacity + 10, 'p');
  EXPECT_FALSE(ParseStubCommandLine((program + " /s1").c_str(), &parsed));
  EXPECT_EQ(std::string(kStubProgramCapacity - 1, 'p'), parsed.program);
  EXPECT_EQ(1, StubInstanceNumber(parsed));

  EXPECT_TRUE(ParseStubCommandLine(nullptr, &parsed));
  EXPECT_EQ(0, parsed.switchCount);
}

TEST(StubInstanceNumber, DecimalOneToNinetyNineFromLowerOrUpperS) {
  struct Row {
    const char* line;
    int instance;
  } rows[] = {
      {"KVMD.PRO /s1 /f\"a\"", 1},   {"KVMD.PRO /s99", 99},     {"KVMD.PRO /S7", 7},
      {"KVMD.PRO /s3 /S7", 3},       {"KVMD.PRO /f\"a\" /u1", 0}, {"KVMD.PRO /s0", -1},
      {"KVMD.PRO /s100", -1},        {"KVMD.PRO /sX", -1},       {"KVMD.PRO /s", -1},
      {"KVMD.PRO /s1x", -1},         {"KVMD.PRO /s-1", -1},      {"KVMD.PRO /s007", 7},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].line);
    StubCommandLine parsed;
    ParseStubCommandLine(rows[i].line, &parsed);
    EXPECT_EQ(rows[i].instance, StubInstanceNumber(parsed));
  }
}

TEST(StubEmbeddingOf, NeedsAllFiveNumbers) {
  StubCommandLine parsed;
  StubEmbedding embedding;
  ParseStubCommandLine("KVVT.PRO /s1 /*-2 /(-5 /)20 /_410 /+320 /@", &parsed);
  ASSERT_TRUE(StubEmbeddingOf(parsed, &embedding));
  EXPECT_EQ(0xFFFFFFFEul, embedding.container);  // a "%d" handle with the high bit set
  EXPECT_EQ(-5, embedding.left);
  EXPECT_EQ(20, embedding.top);
  EXPECT_EQ(410, embedding.right);
  EXPECT_EQ(320, embedding.bottom);

  const char* incomplete[] = {
      "KVVT.PRO /s1 /(10 /)20 /_410 /+320 /@",         // no container
      "KVVT.PRO /s1 /*1234 /(10 /)20 /_410 /@",        // no bottom
      "KVVT.PRO /s1 /*12x4 /(10 /)20 /_410 /+320 /@",  // not a number
      "KVVT.PRO /s1 /*1234 /( /)20 /_410 /+320 /@",    // empty
      "KVVT.PRO /s1 /u1 /@",                            // not embedded
  };
  for (const char* line : incomplete) {
    SCOPED_TRACE(line);
    ParseStubCommandLine(line, &parsed);
    EXPECT_FALSE(StubEmbeddingOf(parsed, &embedding));
  }
}

TEST(StubIdentityFromPath, TwelveProgramNamesGiveKindAndMode) {
  const char* tags[] = {"KVMD", "KVMP", "KVAD", "KVAP", "KVFTP", "KVVT"};
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    for (int desktop = 0; desktop < 2; ++desktop) {
      std::string path = std::string("C:\\some folder\\") + tags[kind] + (desktop ? ".EXE" : ".PRO");
      SCOPED_TRACE(path);
      int found = -1;
      bool desktopMode = !desktop;
      ASSERT_TRUE(StubIdentityFromPath(path.c_str(), &found, &desktopMode));
      EXPECT_EQ(kind, found);
      EXPECT_EQ(desktop != 0, desktopMode);
    }
  }
  int kind;
  bool desktopMode;
  EXPECT_TRUE(StubIdentityFromPath("z:/build/kvvt.pro", &kind, &desktopMode));
  EXPECT_EQ(kVtSession, kind);
  EXPECT_FALSE(desktopMode);
  const char* others[] = {"C:\\x\\session-stub.exe", "C:\\x\\KVMD.DLL", "C:\\x\\KVMD",
                          "C:\\KVMD.PRO\\other.exe", "C:\\x\\KVMDX.PRO", "", nullptr};
  for (const char* path : others) {
    SCOPED_TRACE(path ? path : "(null)");
    EXPECT_FALSE(StubIdentityFromPath(path, &kind, &desktopMode));
  }
}
