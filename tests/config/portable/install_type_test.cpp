#include "config/portable/install_type.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ClassifyInstallFile, TypeCodeTable) {
  struct {
    const char* name;
    InstallPlace place;
  } rows[] = {
      {"setup.lnk", kInstallOnDesktop},
      {"SETUP.LNK", kInstallOnDesktop},
      {"lnk", kInstallOnDesktop},
      {"host.Xmd", kInstallInConfig},
      {"a.XDF", kInstallInConfig},
      {"macro.Xzm", kInstallInMacros},
      {"run.vbs", kInstallInScripts},
      {"run.js", kInstallInScripts},
      {"KVMD.EXE", kInstallInInstallation},
      {"a.b.Xmd", kInstallInInstallation},
      {"name.", kInstallInInstallation},
      {"host.Xmdx", kInstallInInstallation},
      {"", kInstallInInstallation},
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
  EXPECT_TRUE(ComposeInstallFolder(kInstallInInstallation, "D:\\K\\", "W", folder, sizeof folder));
  EXPECT_STREQ("D:\\K\\", folder);
  EXPECT_TRUE(ComposeInstallFolder(kInstallInInstallation, "D:\\K", "W", folder, sizeof folder));
  EXPECT_STREQ("D:\\K\\", folder);
  std::string longWorking(255, 'w');
  EXPECT_FALSE(ComposeInstallFolder(kInstallInConfig, "C:\\K", longWorking.c_str(), folder,
                                    sizeof folder));
  EXPECT_EQ(259u, std::string(folder).size());
}

}  // namespace
