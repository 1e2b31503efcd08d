// Helpers for the Windows tests that run under Wine: where the test
// environment lives, mapping between Wine and Linux paths, running programs
// in the prefix, the test web server, files and registry keys.
#ifndef WEVELINK_TESTS_TEST_SUPPORT_H
#define WEVELINK_TESTS_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// The per-run test environment (WEVELINK_TESTENV) as a Windows path.
std::string TestEnvDir();
// A Linux path through Wine's Z: drive mapping; empty on failure.
std::string WinPathFromUnix(const std::string& unixPath);

// The test web server: its document root (Windows path), its ports and
// base URLs, its request log ("METHOD PATH STATUS BYTES" lines) and rules.
std::string WwwDir();
int HttpPort();
int HttpsPort();
std::string BaseUrl();  // "http://127.0.0.1:PORT"
std::vector<std::string> ServerLogLines();
// Log lines whose path equals path, in order.
std::vector<std::string> ServerLogFor(const std::string& path);
// Replaces the server's rules file (the server re-reads it when it changes).
void SetServerRules(const std::string& rules);

// Lines of a text split at "\n", each without its "\r"; a last line
// without a line end counts too.
std::vector<std::string> SplitLines(const std::string& text);
// The lines of a file; none when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path);

// Files, by Windows path.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);

// Runs a command line to its end (or until timeoutMs) and returns whether it
// ran; exitCode receives the process's exit code.
bool RunProgram(const std::string& commandLine, DWORD timeoutMs, DWORD* exitCode);

// A program run under an older Windows version ("win95", "win98", "nt40",
// "win2k", "winxp"): Wine reads it from HKCU\Software\Wine\AppDefaults\
// <name>.exe when a process starts. It is set for a copy of the program,
// <stem>-<version>.exe in the test environment, so that other runs sharing
// the prefix keep Wine's own; the copy and its setting go with the object.
class ScopedWineVersion {
 public:
  ScopedWineVersion(const std::string& programPath, const std::string& version);
  ~ScopedWineVersion();
  ScopedWineVersion(const ScopedWineVersion&) = delete;
  ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;
  // The copy to run; empty (and a test failure) when it could not be made.
  const std::string& Program() const { return copy_; }

 private:
  std::string copy_;
  std::string key_;
};

// Registry of the prefix.
void DeleteRegTree(HKEY root, const std::string& subkey);
bool ReadRegString(HKEY root, const std::string& subkey, const std::string& name,
                   std::string* value);
// Value bytes with their type.
bool ReadRegValue(HKEY root, const std::string& subkey, const std::string& name,
                  DWORD* type, std::string* bytes);
bool RegKeyExists(HKEY root, const std::string& subkey);

}  // namespace testsupport

#endif
