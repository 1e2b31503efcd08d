// Shared set-up of the configuration tests: module folders as the module
// start makes them, deployment settings and registry keys back to a fresh
// module's, initialization files written into the download folder, and the
// message boxes of the run recorded and answered.
#ifndef WEVELINK_TESTS_CONFIG_FIXTURE_H
#define WEVELINK_TESTS_CONFIG_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern const char kWebRoot[];      // Software\MARROCK\Kestrava Web
extern const char kDesktopRoot[];  // Software\MARROCK\Kestrava
extern const char kUninstallKey[];

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Settings and registry keys as a freshly loaded module finds them.
  void ResetModule();

  // Writes text (lines with "\r\n") as name in the download folder and
  // returns its path; the profile cache forgets any earlier content.
  std::string WriteIni(const std::string& name, const std::string& text);

  // Makes hive\path refuse every access, as for a user without rights
  // there; undone in TearDown.
  void DenyKey(HKEY hive, const std::string& path);

  // Undoes DenyKey now, so that a test can look into the keys.
  void AllowDeniedKeys();

  // Message boxes shown so far, as "CAPTION\tTEXT\t0xSTYLE".
  std::vector<std::string> Boxes();

  // The bytes and type of a value; "missing" when there is none.
  static std::string Value(HKEY hive, const std::string& key, const std::string& name,
                           DWORD* type = nullptr);

  static std::string PersonalFolder();

 private:
  std::string boxRecord_;
  std::vector<std::pair<HKEY, std::string>> denied_;
};

#endif
