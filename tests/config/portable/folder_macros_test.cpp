#include "config/portable/folder_macros.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

const char kTemp[] = "C:\\Temp\\";

struct Row {
  const char* value;
  const char* expected;
};

TEST(ExpandKindUrl, FirstTokenOnlyAndPrefixDropped) {
  const Row rows[] = {
      {"%kv%\\start.htm", "C:\\Temp\\Kestrava\\start.htm"},
      {"%kv%start.htm", "C:\\Temp\\Kestrava\\start.htm"},
      {"pre%kv%start.htm", "C:\\Temp\\Kestrava\\start.htm"},
      // The older token is looked for first, wherever it stands.
      {"%qy%a%kv%b", "C:\\Temp\\Kestrava\\a%kv%b"},
      {"%kv%a%qy%b", "C:\\Temp\\Kestrava\\b"},
      // Only one backslash belongs to the token.
      {"%qy%\\\\x.htm", "C:\\Temp\\Kestrava\\\\x.htm"},
      {"http://web/a.htm", "http://web/a.htm"},
      {"%KV%\\x", "%KV%\\x"},
      {"%kv", "%kv"},
      {"", ""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    char url[260];
    EXPECT_TRUE(ExpandKindUrl(rows[i].value, kTemp, url, sizeof url));
    EXPECT_STREQ(rows[i].expected, url);
  }
}

TEST(ExpandKindUrl, TemporaryFolderWithoutBackslashGetsOne) {
  char url[260];
  EXPECT_TRUE(ExpandKindUrl("%kv%\\s.htm", "C:\\Temp", url, sizeof url));
  EXPECT_STREQ("C:\\Temp\\Kestrava\\s.htm", url);
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
      {"x%kv%y", "D:\\K\\", false, "xD:\\K\\y"},
      {"x%kv%y", kTemp, true, "xC:\\Temp\\Kestrava\\y"},
      // Several tokens, both forms, text kept around each.
      {"%kv%\\KVSH.EXE %qy%\\a.zs %kv%b", "D:\\K", false, "D:\\K\\KVSH.EXE D:\\K\\a.zs D:\\K\\b"},
      {"%qy%a%kv%b", "D:\\K", false, "D:\\K\\aD:\\K\\b"},
      // Overlapping tokens: "%qy%" wins the shared percent sign.
      {"%kv%qy%", "D:\\K", false, "%kvD:\\K\\"},
      {"%qy%kv%", "D:\\K", false, "D:\\K\\kv%"},
      {"%qy%\\%kv%\\", "D:\\K", false, "D:\\K\\D:\\K\\"},
      {"http://web/x.htm", "D:\\K", false, "http://web/x.htm"},
      {"", "D:\\K", false, ""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    char target[260];
    EXPECT_TRUE(ExpandCustomTarget(rows[i].value, rows[i].base, rows[i].web, target, sizeof target));
    EXPECT_STREQ(rows[i].expected, target);
  }
}

TEST(ExpandCustomTarget, BaseFolderHoldingATokenIsNotExpandedAgain) {
  char target[260];
  EXPECT_TRUE(ExpandCustomTarget("%kv%\\a %kv%\\b", "C:\\%kv%\\x", false, target, sizeof target));
  EXPECT_STREQ("C:\\%kv%\\x\\a C:\\%kv%\\x\\b", target);
  EXPECT_TRUE(ExpandCustomTarget("%qy%z", "C:\\%qy%", true, target, sizeof target));
  EXPECT_STREQ("C:\\%qy%\\Kestrava\\z", target);
}

// Results longer than the field are cut at its size, terminated, and
// nothing beyond it is touched.
TEST(FolderMacros, OverlongResultsAreCutAtTheField) {
  std::string longBase(250, 'b');
  char guarded[40];
  memset(guarded, '#', sizeof guarded);
  char* field = guarded + 4;
  const size_t capacity = 32;

  EXPECT_FALSE(ExpandKindUrl("%kv%\\start.htm", longBase.c_str(), field, capacity));
  EXPECT_EQ(capacity - 1, strlen(field));
  EXPECT_EQ(std::string(capacity - 1, 'b'), field);
  EXPECT_EQ('#', guarded[3]);
  EXPECT_EQ('#', guarded[4 + capacity]);

  memset(guarded, '#', sizeof guarded);
  EXPECT_FALSE(ExpandCustomTarget("a%kv%b%kv%c%kv%d", "C:\\Folder", false, field, capacity));
  EXPECT_STREQ("aC:\\Folder\\bC:\\Folder\\cC:\\Folde", field);
  EXPECT_EQ('#', guarded[4 + capacity]);

  // The same at the size of a real target: 259 characters and no more.
  char target[260];
  std::string value = "%kv%\\" + std::string(255, 'v');
  EXPECT_FALSE(ExpandCustomTarget(value.c_str(), longBase.c_str(), true, target, sizeof target));
  EXPECT_EQ(259u, strlen(target));
  EXPECT_TRUE(ExpandKindUrl(std::string(259, 'u').c_str(), kTemp, target, sizeof target));
  EXPECT_EQ(259u, strlen(target));
}

}  // namespace
