#include "base/portable/page_values.h"

#include <gtest/gtest.h>

#include <string>

TEST(BeginsWithY, OnlyFirstLetterCounts) {
  EXPECT_TRUE(BeginsWithY("Y"));
  EXPECT_TRUE(BeginsWithY("yes"));
  EXPECT_TRUE(BeginsWithY("Yellow"));
  EXPECT_FALSE(BeginsWithY("No"));
  EXPECT_FALSE(BeginsWithY("1"));
  EXPECT_FALSE(BeginsWithY(" Y"));
  EXPECT_FALSE(BeginsWithY(""));
  EXPECT_FALSE(BeginsWithY(nullptr));
}

TEST(ParseNumber, ReadsLikeAtolWithoutOverflow) {
  struct { const char* in; long out; } rows[] = {
      {"12", 12},         {"  -3", -3},  {"+7x", 7},           {"12abc", 12},
      {"abc", 0},         {"", 0},       {"many", 0},          {"-", 0},
      {"2147483647", 2147483647L},       {"99999999999999999999", 2147483647L},
      {"-2147483648", -2147483647L - 1}, {"-99999999999999999999", -2147483647L - 1},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].in);
    EXPECT_EQ(rows[i].out, ParseNumber(rows[i].in));
  }
  EXPECT_EQ(0, ParseNumber(nullptr));
}

TEST(ParsePositiveNumber, WholeNumbersAboveZeroOnly) {
  struct { const char* in; bool ok; long out; } rows[] = {
      {"30000", true, 30000}, {" 5 ", true, 5},   {"+7", true, 7},
      {"99999999999", true, 2147483647L},          {"0", false, 0},
      {"", false, 0},         {"abc", false, 0},  {"-5", false, 0},
      {"12abc", false, 0},    {"00", false, 0},   {"1 2", false, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.in);
    long value = -1;
    EXPECT_EQ(row.ok, ParsePositiveNumber(row.in, &value));
    EXPECT_EQ(row.ok ? row.out : -1, value);
  }
  long value = -1;
  EXPECT_FALSE(ParsePositiveNumber(nullptr, &value));
}

TEST(LastPathComponent, EitherSeparator) {
  EXPECT_STREQ("c.ini", LastPathComponent("sub/c.ini"));
  EXPECT_STREQ("c.ini", LastPathComponent("a\\b/c.ini"));
  EXPECT_STREQ("site.ini", LastPathComponent("site.ini"));
  EXPECT_STREQ("", LastPathComponent("dir/"));
}

TEST(DeriveServerLocation, Cases) {
  struct Row {
    const char* iniFile;
    const char* page;
    const char* url;
    const char* name;
  } rows[] = {
      // Relative name: the page's folder, query removed.
      {"site.ini", "http://web/apps/start.htm?user=1", "http://web/apps", "site.ini"},
      // Relative name with its own folder is kept whole.
      {"sub/c.ini", "http://web/app/index.htm", "http://web/app", "sub/c.ini"},
      // Absolute: the page does not matter; the query of the ini URL goes.
      {"http://cfg.host:8080/cfg/site.ini?v=2", "http://web/x.htm", "http://cfg.host:8080/cfg",
       "site.ini"},
      {"https://h/a/b/c.ini", "", "https://h/a/b", "c.ini"},
      // A page address in backslash form.
      {"k.ini", "file://C:\\site\\index.htm", "file://C:\\site", "k.ini"},
      // No page address: the server URL stays empty.
      {"site.ini", "", "", "site.ini"},
      // A query holding a slash must not move the cut.
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
