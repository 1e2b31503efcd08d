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

// download: the trusted test publisher, and readers of values, files and lines.
namespace testsupport {
// Runs trust-cert.exe of the session stand-in's build (a Linux path) on the
// test publisher's certificate; whether it succeeded.
bool TrustTestPublisher(const std::string& stubBuildUnix);
// Four bytes, least significant first, as a REG_BINARY version is stored.
std::string LittleEndian32(long value);
// A REG_SZ value without its terminator, "(none)" or "(type N)".
std::string RegSzText(HKEY root, const std::string& subkey, const std::string& name);
std::string LowerCase(std::string text);
std::string WindowsFolder();  // without a trailing backslash
bool AnyLineStarts(const std::vector<std::string>& lines, const std::string& start);
}  // namespace testsupport

// Sessions: the session programs' stand-in and a wait that dispatches.
#include <functional>
namespace testsupport {
// Polls done() at least every 10 ms for at most timeoutMs, dispatching this
// thread's messages meanwhile (a session in one of its windows sends it some).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// This build's stand-in copies: "programs" (signed), "unsigned" or "altered".
std::string StandInFolder(const char* which = "programs");
std::string StandInProgram(const char* name, const char* which = "programs");  // its bytes
// A visible top-level window of this thread for sessions to be embedded in.
HWND TestContainerWindow();
// folder\program started with the switches, in folder, as the control starts
// a session; ended with the object if it still runs.
class StandIn {
 public:
  StandIn(const std::string& folder, const std::string& program, const std::string& switches);
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;
  // The exit code, or STILL_ACTIVE when it still runs after timeoutMs.
  DWORD WaitForExit(DWORD timeoutMs);
  DWORD pid = 0;

 private:
  HANDLE process_ = nullptr;
};
}  // namespace testsupport
#endif
