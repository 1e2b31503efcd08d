// The desktop installation's shortcuts and progress in process, links read
// back with IShellLinkA. A web page's links per browser and family are rows
// of the scenario table.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "desktop/desktop_installation.h"
#include "desktop/shortcuts.h"
#include "base/module_folders.h"
#include "download/progress_dialog.h"
#include "host_run.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

using namespace testsupport;

namespace {

class ShortcutsPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
};

// Desktop mode: a link per installed program whose shortcut is wanted; the
// older AS/400 link goes only when the new one is made.
TEST_F(ShortcutsPageTest, ProgramShortcutsOfTheInstalledPrograms) {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  const std::string install = TestEnvDir() + "\\links-install";
  const std::string desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  CreateDirectoryA(install.c_str(), nullptr);
  DeploymentSettings& s = g_DeploymentSettings;
  s.DesktopMode = true;
  CopyText(s.InstallFolder, sizeof s.InstallFolder, install.c_str());
  const struct {
    int kind;
    ProgramLabel label;
    const char* program;
    const char* older;
    bool installed;
  } rows[] = {
      {0, kLabelMainframeDisplay, "KVMD.EXE", nullptr, false},
      {2, kLabelISeriesDisplay, "KVAD.EXE", "AS400 Display.LNK", true},
      {3, kLabelISeriesPrinter, "KVAP.EXE", "AS400 Printer.LNK", false},
  };
  for (const auto& row : rows) {
    s.KindShortcuts[row.kind].Wanted = true;
    FormatText(s.ProgramLabels[row.label], kSettingLabelCapacity, "Label %s", row.program);
    const std::string program = install + "\\" + row.program;
    DeleteFileA(program.c_str());
    if (row.installed) ASSERT_TRUE(WriteFileBytes(program, "program"));
    DeleteFileA((desktop + "\\Label " + row.program + ".LNK").c_str());
    if (row.older) {
      ASSERT_TRUE(WriteFileBytes(desktop + "\\" + row.older, "older"));
      SetFileAttributesA((desktop + "\\" + row.older).c_str(), FILE_ATTRIBUTE_READONLY);
    }
  }
  CreateComponentShortcuts();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.program);
    EXPECT_EQ(row.installed
                  ? install + "\\" + row.program + " |  | Label " + row.program + " | " + install
                  : "(missing)",
              ReadLink(desktop + "\\Label " + row.program + ".LNK"));
    if (row.older) {
      EXPECT_EQ(!row.installed, FileExists(desktop + "\\" + row.older));
      SetFileAttributesA((desktop + "\\" + row.older).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  }
  s = DeploymentSettings();
}

// The installation's share of the overall progress is 23 steps whether the
// dialog is open and the group wanted or not.
TEST_F(ShortcutsPageTest, DesktopInstallationAdvancesTwentyThreeSteps) {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  const struct {
    const char* what;
    bool dialog;
    bool group;
  } cases[] = {
      {"no dialog", false, true},
      {"dialog, no group wanted", true, false},
      {"dialog and group", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeploymentSettings& s = g_DeploymentSettings;
    s = DeploymentSettings();
    s.DesktopMode = true;
    s.GroupWanted = c.group;
    // A name the Program Manager is not sent: the group's steps run, but no
    // shell window opens for a group to outlive the test.
    CopyText(s.GroupName, sizeof s.GroupName, "Steps \"Group\"");
    CopyText(s.InstallFolder, sizeof s.InstallFolder, TestEnvDir().c_str());
    ResetProgressForDeployment();
    if (c.dialog) ASSERT_TRUE(CreateProgressDialog(true));
    RunDesktopInstallation();
    EXPECT_EQ(23, (int)OverallProgressSteps());
    if (c.dialog) DestroyProgressDialogAndWait();
  }
  g_DeploymentSettings = DeploymentSettings();
}

}  // namespace
