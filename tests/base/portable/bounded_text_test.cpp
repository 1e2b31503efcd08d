// Each bounded operation into a field with guard bytes on both sides: what it leaves, whether it
// reports the whole result as fitting, and that no byte is written outside the capacity.
#include "base/portable/bounded_text.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>

enum Op { kCopy, kCopyThree, kAppend, kFormat, kBackslash };

struct Row {
  const char* name;
  Op op;
  size_t capacity;
  std::string before;  // as long as the capacity: an unterminated field
  const char* source;
  bool fits;
  std::string after;
};

TEST(BoundedText, ResultFitOrCutAndNothingPastTheCapacity) {
  const std::string p258(258, 'p');
  const std::string p259(259, 'p');
  const std::string p260(260, 'p');
  const Row rows[] = {
      {"copy of null is empty", kCopy, 2, "q", nullptr, true, ""},
      {"copy into no room", kCopy, 0, "", "a", false, ""},
      {"copy 259 into 260", kCopy, 260, "", p259.c_str(), true, p259},
      {"copy 260 into 260", kCopy, 260, "", p260.c_str(), false, p259},
      {"copy stops at the count", kCopyThree, 10, "", "abcdef", true, "abc"},
      {"append to an unterminated field", kAppend, 4, "aaaa", "b", false, "aaa"},
      {"append past 260", kAppend, 260, p259, "x", false, p259},
      {"format cut at the capacity", kFormat, 8, "", "01234567", false, "0123456"},
      {"backslash already there", kBackslash, 16, "C:\\dir\\", nullptr, true, "C:\\dir\\"},
      {"empty stays empty", kBackslash, 16, "", nullptr, true, ""},
      {"backslash to 259 of 260", kBackslash, 260, p258, nullptr, true, p258 + "\\"},
      {"backslash past 260", kBackslash, 260, p259, nullptr, false, p259},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    char area[300];
    memset(area, '#', sizeof area);
    char* field = area + 8;
    memcpy(field, row.before.c_str(), row.before.size());
    if (row.before.size() < row.capacity) field[row.before.size()] = '\0';
    bool fits = row.op == kCopy        ? CopyText(field, row.capacity, row.source)
                : row.op == kCopyThree ? CopyTextN(field, row.capacity, row.source, 3)
                : row.op == kAppend    ? AppendText(field, row.capacity, row.source)
                : row.op == kFormat    ? FormatText(field, row.capacity, "%s", row.source)
                                       : AddBackslash(field, row.capacity);
    EXPECT_EQ(row.fits, fits);
    size_t length = strnlen(field, row.capacity);
    EXPECT_TRUE(row.capacity == 0 || length < row.capacity) << "left unterminated";
    EXPECT_EQ(row.after, std::string(field, length));
    EXPECT_EQ(std::string(8, '#'), std::string(area, 8));
    const char* past = field + row.capacity;
    const char* end = area + sizeof area;
    EXPECT_EQ(std::string(end - past, '#'), std::string(past, end));
  }
}
