// Config tests' set-up: a fresh module's folders, settings and keys; boxes recorded and answered.
#ifndef WEVELINK_TESTS_CONFIG_FIXTURE_H
#define WEVELINK_TESTS_CONFIG_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

const char kWebRoot[] = "Software\\MARROCK\\Kestrava Web";
const char kDesktopRoot[] = "Software\\MARROCK\\Kestrava";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrava";

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes text ("\r\n" lines) as name in the download folder, profile cache flushed; its path.
  std::string WriteIni(const std::string& name, const std::string& text);
  // Makes hive\path deny all access, as to a user without rights, until AllowDeniedKeys/TearDown.
  void DenyKey(HKEY hive, const std::string& path);
  void AllowDeniedKeys();
  std::vector<std::string> Boxes();  // "CAPTION\tTEXT\t0xSTYLE" so far
  // A value's bytes; "missing" when there is none.
  static std::string Value(HKEY hive, const std::string& key, const std::string& name);

  static std::string PersonalFolder();

 private:
  std::string boxRecord_;
  std::vector<std::pair<HKEY, std::string>> denied_;
};

#endif
