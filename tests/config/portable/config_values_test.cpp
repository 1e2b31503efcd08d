// The platform-free readers of ini values: folder macros, where installed files go, setting values.
#include <gtest/gtest.h>
#include <string.h>
#include <string>

#include "config/portable/folder_macros.h"
#include "config/portable/install_type.h"
#include "config/portable/policy_values.h"
#include "config/portable/setting_values.h"

const char kTemp[] = "C:\\Temp\\";

// A kind's URL takes the first token only and drops what stands before it; a custom target expands
// every token, against the desktop's base folder or the web mode's temporary one.
TEST(FolderMacros, KindUrlsAndCustomTargets) {
  enum Use { kUrl, kDesk, kWeb };
  struct {
    const char* value;
    const char* folder;
    Use use;
    const char* expected;
  } rows[] = {
      {"pre%kv%start.htm", kTemp, kUrl, "C:\\Temp\\Kestrava\\start.htm"},
      // The older token is looked for first, wherever it stands.
      {"%qy%a%kv%b", kTemp, kUrl, "C:\\Temp\\Kestrava\\a%kv%b"},
      {"%kv%a%qy%b", kTemp, kUrl, "C:\\Temp\\Kestrava\\b"},
      // Several tokens, both forms, text kept around each.
      {"%kv%\\KVSH.EXE %qy%\\a.zs %kv%b", "D:\\K", kDesk, "D:\\K\\KVSH.EXE D:\\K\\a.zs D:\\K\\b"},
      {"%qy%a%kv%b", "D:\\K", kDesk, "D:\\K\\aD:\\K\\b"},
      // A base folder holding a token is not expanded again.
      {"%kv%\\a %kv%\\b", "C:\\%kv%\\x", kDesk, "C:\\%kv%\\x\\a C:\\%kv%\\x\\b"},
      {"%qy%z", "C:\\%qy%", kWeb, "C:\\%qy%\\Kestrava\\z"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    char out[260];
    EXPECT_TRUE(row.use == kUrl
                    ? ExpandKindUrl(row.value, row.folder, out, sizeof out)
                    : ExpandCustomTarget(row.value, row.folder, row.use == kWeb, out, sizeof out));
    EXPECT_STREQ(row.expected, out);
  }
}

// Results too long are cut and terminated at the field, nothing past it touched; at 260 bytes too.
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
}

TEST(ClassifyInstallFile, TypeCodeTable) {
  struct {
    const char* name;
    InstallPlace place;
  } rows[] = {
      {"setup.lnk", kInstallOnDesktop}, {"SETUP.LNK", kInstallOnDesktop},
      {"lnk", kInstallOnDesktop}, {"host.Xmd", kInstallInConfig}, {"a.XDF", kInstallInConfig},
      {"macro.Xzm", kInstallInMacros}, {"run.vbs", kInstallInScripts},
      {"run.js", kInstallInScripts}, {"KVMD.EXE", kInstallInInstallation},
      {"a.b.Xmd", kInstallInInstallation}, {"name.", kInstallInInstallation},
      {"host.Xmdx", kInstallInInstallation}, {"", kInstallInInstallation},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.place, ClassifyInstallFile(row.name));
  }
}

TEST(ComposeInstallFolder, SubfolderOfWorkingOrInstallationFolder) {
  char folder[260];
  EXPECT_TRUE(ComposeInstallFolder(kInstallInConfig, "C:\\K", "C:\\Docs\\Kestrava", folder,
                                   sizeof folder));
  EXPECT_STREQ("C:\\Docs\\Kestrava\\Config\\", folder);
  EXPECT_TRUE(ComposeInstallFolder(kInstallInMacros, "C:\\K", "W:\\", folder, sizeof folder));
  EXPECT_STREQ("W:\\Macros\\", folder);
  EXPECT_TRUE(ComposeInstallFolder(kInstallInScripts, "C:\\K", "W", folder, sizeof folder));
  EXPECT_STREQ("W\\Scripts\\", folder);
  EXPECT_TRUE(ComposeInstallFolder(kInstallInInstallation, "D:\\K", "W", folder, sizeof folder));
  EXPECT_STREQ("D:\\K\\", folder);
  std::string longWorking(255, 'w');
  EXPECT_FALSE(ComposeInstallFolder(kInstallInConfig, "C:\\K", longWorking.c_str(), folder,
                                    sizeof folder));
  EXPECT_EQ(259u, std::string(folder).size());
}

// BaseRegistry goes by its first character alone.
TEST(SettingValues, BaseRegistry) {
  struct {
    const char* text;
    unsigned char base;
  } rows[] = {
      {"2", 2}, {"12", 1}, {" 2", 0}, {"s3", 0}, {"", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.base, BaseRegistryFromText(row.text));
  }
  EXPECT_EQ(0, BaseRegistryFromText(nullptr));  // absent key
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

// The machine policy's site prefixes: the same scheme, host and port, the path at a "/" boundary;
// anything two readers could see two ways is under nothing.
TEST(PolicyValues, SitesArePrefixesAtPathBoundaries) {
  const struct {
    const char* url;
    const char* prefix;
    bool under;
  } rows[] = {
      {"http://web/kv/site.ini", "http://web/kv", true},
      {"HTTP://WEB/kv/site.ini", "http://web/kv/", true},
      {"http://web/kv", "http://web/kv", true},
      {"http://web:80/kv/x", "http://web/", true},
      {"https://web/kv/x", "https://web:443", true},
      {"http://web/kv?x=1", "http://web/kv", true},
      {"http://web/kvx/site.ini", "http://web/kv", false},
      {"http://web/KV/site.ini", "http://web/kv", false},  // paths keep their case
      {"https://web/kv/x", "http://web/kv", false},
      {"http://web:8080/kv/x", "http://web/kv", false},
      {"http://web.evil/kv/x", "http://web/kv", false},
      {"http://web@evil/kv/x", "http://web/kv", false},
      {"http://evil\\@web/kv/x", "http://web/kv", false},
      {"http://w%65b/kv/x", "http://web/kv", false},
      {"http://web/kv/../admin/x", "http://web/kv", false},
      {"http://web/kv/%2e%2E/admin/x", "http://web/kv", false},
      {"http://web/kv\\..\\admin", "http://web/kv", false},
      {"http://web:8o/kv", "http://web/kv", false},
      {"web/kv/x", "http://web/kv", false},
      {"http://web/kv/x", "web/kv", false},
      {"http:///kv", "http:///kv", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.url) + " under " + row.prefix);
    EXPECT_EQ(row.under, UrlIsUnderPrefix(row.url, row.prefix));
  }
  char thumbprint[kThumbprintCapacity];
  EXPECT_TRUE(NormalizeThumbprint("ab 12 cd 34 ef 56 78 90 AB 12 CD 34 EF 56 78 90 ab cd ef 01",
                                  thumbprint, sizeof thumbprint));
  EXPECT_STREQ("AB12CD34EF567890AB12CD34EF567890ABCDEF01", thumbprint);
  for (const char* bad : {"AB12", "AB12CD34EF567890AB12CD34EF567890ABCDEF0123",
                          "XB12CD34EF567890AB12CD34EF567890ABCDEF01", ""}) {
    EXPECT_FALSE(NormalizeThumbprint(bad, thumbprint, sizeof thumbprint)) << bad;
    EXPECT_STREQ("", thumbprint) << bad;
  }
}
