// See config_fixture.h.
#include "config_fixture.h"

#include <shlobj.h>

#include "box_recorder.h"
#include "config/deployment_settings.h"
#include "base/module_folders.h"
#include "host_run.h"
#include "test_support.h"
#include "config/deployment_settings_private.h"

namespace {

// Gives hive\path an empty (deny-all) DACL, or none (allow-all) again.
void SetKeyDacl(HKEY hive, const std::string& path, bool denyAll) {
  HKEY key;
  if (RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, WRITE_DAC, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open " << path << " to change its access";
    return;
  }
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ACL empty;
  InitializeAcl(&empty, sizeof empty, ACL_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, denyAll ? &empty : nullptr, FALSE);
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd));
  RegCloseKey(key);
}

}  // namespace

void ConfigTest::SetUp() {
  ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
  g_DeploymentSettings = DeploymentSettings{};
  testsupport::ResetDeployment();
  boxRecord_ = testsupport::TestEnvDir() + "\\config-boxes-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  DeleteFileA(boxRecord_.c_str());
  std::wstring wide(boxRecord_.begin(), boxRecord_.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), 100, GetCurrentThreadId()));
}

void ConfigTest::TearDown() {
  StopBoxRecorder();
  AllowDeniedKeys();
  testsupport::ResetDeployment();
}

std::string ConfigTest::WriteIni(const std::string& name, const std::string& text) {
  std::string path = std::string(DownloadFolderPath()) + "\\" + name;
  EXPECT_TRUE(testsupport::WriteFileBytes(path, text));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  return path;
}

void ConfigTest::DenyKey(HKEY hive, const std::string& path) {
  denied_.push_back({hive, path});
  SetKeyDacl(hive, path, true);
}

void ConfigTest::AllowDeniedKeys() {
  for (const auto& key : denied_) SetKeyDacl(key.first, key.second, false);
  denied_.clear();
}

std::vector<std::string> ConfigTest::Boxes() {
  std::vector<std::string> boxes;
  for (const std::string& line : testsupport::ReadLines(boxRecord_)) {
    boxes.push_back(line.substr(0, line.rfind('\t')));  // without the thread
  }
  return boxes;
}

std::string ConfigTest::Value(HKEY hive, const std::string& key, const std::string& name) {
  std::string bytes;
  return testsupport::ReadRegValue(hive, key, name, nullptr, &bytes) ? bytes : "missing";
}

std::string ConfigTest::PersonalFolder() { return testsupport::ShellFolder(CSIDL_PERSONAL); }
