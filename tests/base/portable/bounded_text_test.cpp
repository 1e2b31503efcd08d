#include "base/portable/bounded_text.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(CopyText, FitsExactlyAtCapacityMinusOne) {
  char buf[4];
  EXPECT_TRUE(CopyText(buf, sizeof buf, "abc"));
  EXPECT_STREQ("abc", buf);
}

TEST(CopyText, CutsCleanlyWhenTooLong) {
  char guard[8];
  memset(guard, 'X', sizeof guard);
  char* buf = guard + 2;  // room for 4, guard bytes on both sides
  EXPECT_FALSE(CopyText(buf, 4, "abcdef"));
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ('X', guard[6]);
  EXPECT_EQ('X', guard[1]);
}

TEST(CopyText, NullSourceAndZeroCapacity) {
  char buf[2] = {'q', 'q'};
  EXPECT_TRUE(CopyText(buf, sizeof buf, nullptr));
  EXPECT_STREQ("", buf);
  EXPECT_FALSE(CopyText(buf, 0, "a"));
}

TEST(CopyTextN, StopsAtCountOrTerminator) {
  char buf[10];
  EXPECT_TRUE(CopyTextN(buf, sizeof buf, "abcdef", 3));
  EXPECT_STREQ("abc", buf);
  EXPECT_TRUE(CopyTextN(buf, sizeof buf, "ab", 5));
  EXPECT_STREQ("ab", buf);
}

TEST(AppendText, ReportsCutAndStaysTerminated) {
  char buf[6] = "abc";
  EXPECT_TRUE(AppendText(buf, sizeof buf, "de"));
  EXPECT_STREQ("abcde", buf);
  EXPECT_FALSE(AppendText(buf, sizeof buf, "f"));
  EXPECT_STREQ("abcde", buf);
}

TEST(AppendText, UnterminatedDestinationIsRepairedNotOverrun) {
  char buf[4];
  memset(buf, 'a', sizeof buf);
  EXPECT_FALSE(AppendText(buf, sizeof buf, "b"));
  EXPECT_STREQ("aaa", buf);
}

TEST(FormatText, FormatsAndCuts) {
  char buf[8];
  EXPECT_TRUE(FormatText(buf, sizeof buf, "%d%%%X", -5, 255));
  EXPECT_STREQ("-5%FF", buf);
  EXPECT_FALSE(FormatText(buf, sizeof buf, "%s", "0123456789"));
  EXPECT_STREQ("0123456", buf);
}

TEST(AddBackslash, AppendsOnlyWhenMissing) {
  struct { const char* in; const char* out; bool ok; } rows[] = {
      {"C:\\dir", "C:\\dir\\", true},
      {"C:\\dir\\", "C:\\dir\\", true},
      {"", "", true},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    char buf[16];
    CopyText(buf, sizeof buf, rows[i].in);
    EXPECT_EQ(rows[i].ok, AddBackslash(buf, sizeof buf));
    EXPECT_STREQ(rows[i].out, buf);
  }
  char full[4] = "abc";
  EXPECT_FALSE(AddBackslash(full, sizeof full));
  EXPECT_STREQ("abc", full);
}

TEST(CaseHelpers, AsciiOnlyAndLocaleFree) {
  EXPECT_EQ(0, CompareTextNoCase("Yes", "yES"));
  EXPECT_NE(0, CompareTextNoCase("Yes", "Ye"));
  EXPECT_TRUE(StartsWithNoCase("yellow", "Y"));
  EXPECT_FALSE(StartsWithNoCase("Y", "yes"));
  char t[] = "kvFtp.pro";
  UpperCaseText(t);
  EXPECT_STREQ("KVFTP.PRO", t);
}
