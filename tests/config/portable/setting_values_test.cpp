#include "config/portable/setting_values.h"

#include <gtest/gtest.h>

namespace {

// BaseRegistry and Connection go by their first character alone.
TEST(SettingValues, BaseRegistryAndConnectionType) {
  struct {
    const char* text;
    unsigned char base;
    unsigned char connection;
  } rows[] = {
      {"2", 2, 2},
      {"12", 1, 2},
      {" 2", 0, 2},
      {"s3", 0, 0},
      {"Rx", 0, 1},
      {"c", 0, 3},
      {"I", 0, 4},
      {"", 0, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.base, BaseRegistryFromText(row.text));
    EXPECT_EQ(row.connection, ConnectionTypeFromText(row.text));
  }
  EXPECT_EQ(0, BaseRegistryFromText(nullptr));  // absent key
  EXPECT_EQ(2, ConnectionTypeFromText(nullptr));
}

TEST(SettingValues, InstallationFoldersAreGivenInFull) {
  for (const char* full : {"C:\\Kestrava", "d:\\a b\\c", "\\\\server\\share\\k"}) {
    EXPECT_TRUE(IsFullFolderPath(full)) << full;
  }
  const char* others[] = {"", "Kestrava", "..\\..\\x", "\\x", "C:x", "C:\\a:b", "\\\\", "1:\\x"};
  for (const char* other : others) {
    EXPECT_FALSE(IsFullFolderPath(other)) << other;
  }
  EXPECT_FALSE(IsFullFolderPath(nullptr));
}

}  // namespace
