#include "base/portable/log_format.h"

#include <gtest/gtest.h>

// Every field two digits wide (the year four, the milliseconds three), so a
// single-digit hour is the case that shows the padding.
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
