// The platform-free bottom layer: page values, event log formatting, session window class names.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <string>

#include "base/portable/log_format.h"
#include "base/portable/page_values.h"
#include "base/portable/session_kinds.h"

// Each reader of a page value: yes/no, an atol-like number held to 32 bits, a whole positive one.
TEST(PageValues, EachReaderOfAText) {
  struct {
    const char* text;
    long number;
    bool positive;
    long positiveValue;
  } rows[] = {
      {"  -3", -3, false, -1},
      {"+7x", 7, false, -1},
      {" 5 ", 5, true, 5},
      {"00", 0, false, -1},
      {"", 0, false, -1},
      {"1 2", 1, false, -1},
      {"99999999999999999999", INT32_MAX, true, INT32_MAX},
      {"-99999999999999999999", INT32_MIN, false, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.number, ParseNumber(row.text));
    long value = -1;
    EXPECT_EQ(row.positive, ParsePositiveNumber(row.text, &value));
    EXPECT_EQ(row.positiveValue, value);
  }
  long value = -1;
  EXPECT_FALSE(BeginsWithY(nullptr));
  EXPECT_EQ(0, ParseNumber(nullptr));
  EXPECT_FALSE(ParsePositiveNumber(nullptr, &value));
}

// Relative names take the page's folder, absolute their own; a query is dropped, slash or not.
TEST(DeriveServerLocation, Cases) {
  struct Row {
    const char* iniFile;
    const char* page;
    const char* url;
    const char* name;
  } rows[] = {
      {"http://cfg.host:8080/cfg/site.ini?v=2", "http://web/x.htm", "http://cfg.host:8080/cfg",
       "site.ini"},
      {"k.ini", "file://C:\\site\\index.htm", "file://C:\\site", "k.ini"},
      {"site.ini", "", "", "site.ini"},
      {"s.ini", "http://web/a/p.htm?x=/y/z", "http://web/a", "s.ini"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.iniFile) + " | " + row.page);
    char url[260], name[260];
    EXPECT_TRUE(DeriveServerLocation(row.iniFile, row.page, url, sizeof url, name, sizeof name));
    EXPECT_STREQ(row.url, url);
    EXPECT_STREQ(row.name, name);
  }
}

TEST(DeriveServerLocation, TooLongIsReportedAndStaysBounded) {
  std::string page = "http://web/" + std::string(300, 'p') + "/index.htm";
  char url[260], name[32];
  EXPECT_FALSE(DeriveServerLocation("site.ini", page.c_str(), url, sizeof url, name, sizeof name));
  EXPECT_LT(std::string(url).size(), sizeof url);
  std::string longName(100, 'n');
  EXPECT_FALSE(DeriveServerLocation(longName.c_str(), "http://w/i.htm", url, sizeof url, name,
                                    sizeof name));
  EXPECT_EQ(31u, std::string(name).size());
}

// Fields are two digits (year four, milliseconds three): a single-digit hour shows the padding.
TEST(LogFormat, FileNameTimeStampAndBanners) {
  LogTime t = {2003, 3, 5, 4, 7, 9, 45};
  char text[256];
  ASSERT_TRUE(FormatEventLogName(t, text, sizeof text));
  EXPECT_STREQ("EventLog_03_05_2003_04_07_09.Txt", text);
  ASSERT_TRUE(FormatLogTimeStamp(t, text, sizeof text));
  EXPECT_STREQ("04:07:09.045 ", text);
  ASSERT_TRUE(FormatStartBanner(t, text, sizeof text));
  EXPECT_STREQ("Wevelink.Ocx v3,2,1,296 Event Log Started 03/05/2003 at 04:07:09.045\r\n\r\n",
               text);
  ASSERT_TRUE(FormatEndBanner(t, text, sizeof text));
  EXPECT_STREQ("\r\nWevelink.Ocx v3,2,1,296 Event Log Ended 03/05/2003 at 04:07:09.045\r\n",
               text);
}

// Session programs' class names: mode picks the prefix, instance the number; out of range: none.
TEST(FormatSessionWindowClass, ModeAndInstanceRange) {
  char name[kSessionClassCapacity];
  ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, kVtSession, true, 1));
  EXPECT_STREQ("Kestrava VT  -  S1", name);
  ASSERT_TRUE(FormatSessionWindowClass(name, sizeof name, kVtSession, false, 1));
  EXPECT_STREQ("qZVT  -  S1", name);
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

// Passwords and sign-on values never reach the log, all else does; a cut line stays terminated.
TEST(LogFormat, SecretSwitchesAreMasked) {
  const struct {
    const char* line;
    const char* logged;
  } rows[] = {
      {"C:\\K\\KVMD.PRO /s1 /Nann /Psecret /u1 /@\r\n",
       "C:\\K\\KVMD.PRO /s1 /Nann /P******** /u1 /@\r\n"},
      {"X.PRO /ifirst /jsecond /kthird", "X.PRO /i******** /j******** /k********"},
      {"X.PRO /Pa b c /u1", "X.PRO /P******** /u1"},  // a value runs to the next switch
      {"X.PRO /P /u1", "X.PRO /P /u1"},
      {"X.PRO /p /I /J /K /Hhost", "X.PRO /p /I /J /K /Hhost"},
      {"X.PRO /Psecret", "X.PRO /P********"},
      {"no switches at all", "no switches at all"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    char out[128];
    EXPECT_TRUE(MaskSecretSwitches(row.line, out, sizeof out));
    EXPECT_STREQ(row.logged, out);
  }
  char small[12];
  EXPECT_FALSE(MaskSecretSwitches("X.PRO /Psecret /u1", small, sizeof small));
  EXPECT_STREQ("X.PRO /P***", small);
}
