#include "config/portable/setting_values.h"

#include <gtest/gtest.h>

namespace {

TEST(BaseRegistryFromText, FirstCharacterOnly) {
  struct {
    const char* text;
    unsigned char value;
  } rows[] = {{"2", 2}, {"1", 1}, {"21", 2}, {"12", 1}, {"x", 0}, {"0", 0}, {"", 0}, {" 2", 0}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].text);
    EXPECT_EQ(rows[i].value, BaseRegistryFromText(rows[i].text));
  }
  EXPECT_EQ(0, BaseRegistryFromText(nullptr));  // absent key
}

TEST(ConnectionTypeFromText, LetterCodesAndDefault) {
  struct {
    const char* text;
    unsigned char value;
  } rows[] = {{"TCP", 2}, {"S", 0}, {"s3", 0}, {"Rx", 1}, {"c", 3}, {"I", 4},
              {"i", 4},   {"x", 2}, {"", 2},   {"3", 2}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].text);
    EXPECT_EQ(rows[i].value, ConnectionTypeFromText(rows[i].text));
  }
  EXPECT_EQ(2, ConnectionTypeFromText(nullptr));
}

// Both delegate to the page-value readers; these rows pin the key forms.
TEST(SettingValues, YesNoAndNumberKeys) {
  EXPECT_TRUE(YesNoFromText("yes"));
  EXPECT_FALSE(YesNoFromText("1"));
  EXPECT_EQ(12, NumberFromText("12abc"));
  EXPECT_EQ(0, NumberFromText("abc"));
  EXPECT_EQ(-1, NumberFromText("-1"));
}

TEST(SettingValues, InstallationFoldersAreGivenInFull) {
  for (const char* full : {"C:\\Kestrava", "d:\\a b\\c", "\\\\server\\share\\k"}) {
    EXPECT_TRUE(IsFullFolderPath(full)) << full;
  }
  for (const char* other : {"", "Kestrava", "..\\..\\x", "\\x", "C:x", "C:\\a:b", "\\\\", "1:\\x"}) {
    EXPECT_FALSE(IsFullFolderPath(other)) << other;
  }
  EXPECT_FALSE(IsFullFolderPath(nullptr));
}

}  // namespace
