#include "config/portable/folder_macros.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

const char kTemp[] = "C:\\Temp\\";

TEST(ExpandKindUrl, FirstTokenOnlyAndPrefixDropped) {
  struct {
    const char* value;
    const char* temp;
    const char* expected;
  } rows[] = {
      {"%kv%\\start.htm", kTemp, "C:\\Temp\\Kestrava\\start.htm"},
      {"pre%kv%start.htm", kTemp, "C:\\Temp\\Kestrava\\start.htm"},
      {"%kv%\\s.htm", "C:\\Temp", "C:\\Temp\\Kestrava\\s.htm"},
      // The older token is looked for first, wherever it stands.
      {"%qy%a%kv%b", kTemp, "C:\\Temp\\Kestrava\\a%kv%b"},
      {"%kv%a%qy%b", kTemp, "C:\\Temp\\Kestrava\\b"},
      // Only one backslash belongs to the token.
      {"%qy%\\\\x.htm", kTemp, "C:\\Temp\\Kestrava\\\\x.htm"},
      {"http://web/a.htm", kTemp, "http://web/a.htm"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    char url[260];
    EXPECT_TRUE(ExpandKindUrl(row.value, row.temp, url, sizeof url));
    EXPECT_STREQ(row.expected, url);
  }
}

TEST(ExpandCustomTarget, EveryTokenOfTheValue) {
  struct {
    const char* value;
    const char* base;
    bool web;
    const char* expected;
  } rows[] = {
      {"%kv%\\KVSH.EXE /run", "D:\\Apps\\Kestrava", false, "D:\\Apps\\Kestrava\\KVSH.EXE /run"},
      {"%kv%\\KVSH.EXE /run", kTemp, true, "C:\\Temp\\Kestrava\\KVSH.EXE /run"},
      {"x%kv%y", kTemp, true, "xC:\\Temp\\Kestrava\\y"},
      // Several tokens, both forms, text kept around each.
      {"%kv%\\KVSH.EXE %qy%\\a.zs %kv%b", "D:\\K", false, "D:\\K\\KVSH.EXE D:\\K\\a.zs D:\\K\\b"},
      {"%qy%a%kv%b", "D:\\K", false, "D:\\K\\aD:\\K\\b"},
      // Overlapping tokens: "%qy%" wins the shared percent sign.
      {"%kv%qy%", "D:\\K", false, "%kvD:\\K\\"},
      {"%qy%kv%", "D:\\K", false, "D:\\K\\kv%"},
      // A base folder holding a token is not expanded again.
      {"%kv%\\a %kv%\\b", "C:\\%kv%\\x", false, "C:\\%kv%\\x\\a C:\\%kv%\\x\\b"},
      {"%qy%z", "C:\\%qy%", true, "C:\\%qy%\\Kestrava\\z"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    char target[260];
    EXPECT_TRUE(ExpandCustomTarget(row.value, row.base, row.web, target, sizeof target));
    EXPECT_STREQ(row.expected, target);
  }
}

// Results longer than the field are cut at its size, terminated, and
// nothing beyond it is touched; at a real target's 260 bytes too.
TEST(FolderMacros, OverlongResultsAreCutAtTheField) {
  char guarded[280];
  memset(guarded, '#', sizeof guarded);
  char* field = guarded + 4;
  EXPECT_FALSE(ExpandKindUrl("%kv%\\start.htm", std::string(250, 'b').c_str(), field, 32));
  EXPECT_EQ(std::string(31, 'b'), field);
  EXPECT_EQ('#', guarded[4 + 32]);
  memset(guarded, '#', sizeof guarded);
  std::string value = "a%kv%b%kv%" + std::string(255, 'v');
  EXPECT_FALSE(ExpandCustomTarget(value.c_str(), "C:\\Folder", true, field, 260));
  EXPECT_EQ("aC:\\Folder\\Kestrava\\bC:\\Folder\\Kestrava\\" + std::string(219, 'v'), field);
  EXPECT_EQ('#', guarded[3]);
  EXPECT_EQ('#', guarded[4 + 260]);
  EXPECT_TRUE(ExpandKindUrl(std::string(259, 'u').c_str(), kTemp, field, 260));
  EXPECT_EQ(259u, strlen(field));
}

}  // namespace
