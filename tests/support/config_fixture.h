// The configuration tests' set-up: module folders, settings and keys as a
// fresh module finds them, and the run's message boxes recorded, answered.
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

  // Writes text (lines with "\r\n") as name in the download folder and
  // returns its path; the profile cache forgets any earlier content.
  std::string WriteIni(const std::string& name, const std::string& text);
  // Makes hive\path refuse every access, as for a user without rights
  // there, until AllowDeniedKeys (or TearDown).
  void DenyKey(HKEY hive, const std::string& path);
  void AllowDeniedKeys();
  std::vector<std::string> Boxes();  // "CAPTION\tTEXT\t0xSTYLE" so far
  // The bytes and type of a value; "missing" when there is none.
  static std::string Value(HKEY hive, const std::string& key, const std::string& name,
                           DWORD* type = nullptr);

  static std::string PersonalFolder();

 private:
  std::string boxRecord_;
  std::vector<std::pair<HKEY, std::string>> denied_;
};

#endif
