#include "base/portable/log_format.h"

#include <gtest/gtest.h>

TEST(LogFormat, FileNameIsMonthDayYearTime) {
  LogTime t = {2003, 3, 5, 14, 7, 9, 123};
  char name[64];
  ASSERT_TRUE(FormatEventLogName(t, name, sizeof name));
  EXPECT_STREQ("EventLog_03_05_2003_14_07_09.Txt", name);
}

TEST(LogFormat, TimeStampEndsWithOneBlank) {
  LogTime t = {2026, 12, 6, 9, 5, 3, 7};
  char stamp[32];
  ASSERT_TRUE(FormatLogTimeStamp(t, stamp, sizeof stamp));
  EXPECT_STREQ("09:05:03.007 ", stamp);
}

TEST(LogFormat, Banners) {
  LogTime t = {2003, 3, 5, 14, 7, 9, 45};
  char banner[256];
  ASSERT_TRUE(FormatStartBanner(t, banner, sizeof banner));
  EXPECT_STREQ("Wevelink.Ocx v3,2,1,296 Event Log Started 03/05/2003 at 14:07:09.045\r\n\r\n",
               banner);
  ASSERT_TRUE(FormatEndBanner(t, banner, sizeof banner));
  EXPECT_STREQ("\r\nWevelink.Ocx v3,2,1,296 Event Log Ended 03/05/2003 at 14:07:09.045\r\n",
               banner);
}
