// The desktop installation's share of the progress, in process. Its links
// are checked through the real control (desktop_install_page_test and the
// scenario table's links rows).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "desktop/desktop_installation.h"
#include "base/module_folders.h"
#include "download/progress_dialog.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

using namespace testsupport;

namespace {

class ShortcutsPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
};

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
