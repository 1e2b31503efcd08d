// Helpers for the Windows tests under Wine: environment, paths, programs, web server, files, keys.
#ifndef WEVELINK_TESTS_TEST_SUPPORT_H
#define WEVELINK_TESTS_TEST_SUPPORT_H

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

template <class T>
struct Held {
  explicit Held(T* p = nullptr) : p(p) {}
  ~Held() {
    if (p != nullptr) p->Release();
  }
  T* operator->() { return p; }
  T** out() { return &p; }
  T* p;
};

struct ScopedOle {
  HRESULT result = OleInitialize(nullptr);
  ~ScopedOle() {
    if (SUCCEEDED(result)) OleUninitialize();
  }
};

namespace testsupport {

std::string TestEnvDir();  // WEVELINK_TESTENV as a Windows path
// A Linux path through Wine's Z: drive; empty on failure.
std::string WinPathFromUnix(const std::string& unixPath);

// The test web server; WwwDir is a Windows path.
std::string WwwDir();
int HttpPort();
std::string BaseUrl();  // "http://127.0.0.1:PORT"
// Its request log's "METHOD PATH STATUS BYTES" lines for path, in order.
std::vector<std::string> ServerLogFor(const std::string& path);
// Replaces the rules file, which the server re-reads when it changes.
void SetServerRules(const std::string& rules);

// Lines split at "\n" without their "\r"; a last unended line counts.
std::vector<std::string> SplitLines(const std::string& text);
std::vector<std::string> ReadLines(const std::string& path);  // none when unreadable
size_t Count(const std::vector<std::string>& lines, const std::string& part);  // lines holding it
bool AnyLineStarts(const std::vector<std::string>& lines, const std::string& start);

// Files, by Windows path.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
std::string WindowsFolder();  // without a trailing backslash
std::string LowerCase(std::string text);

// Runs a command line to its end, or until timeoutMs; whether it ended.
bool RunProgram(const std::string& commandLine, DWORD timeoutMs, DWORD* exitCode);

void DeleteRegTree(HKEY root, const std::string& subkey);
bool ReadRegValue(HKEY root, const std::string& subkey, const std::string& name,
                  DWORD* type, std::string* bytes);
bool RegKeyExists(HKEY root, const std::string& subkey);
// A REG_SZ value without its terminator, "(none)" or "(type N)".
std::string RegSzText(HKEY root, const std::string& subkey, const std::string& name);
// Four bytes, least significant first, as a REG_BINARY version is stored.
std::string LittleEndian32(long value);

// Trusts certificate (a Windows path; "": the test publisher's) via the stand-in's trust-cert.exe.
bool TrustCertificate(const std::string& stubBuildUnix, const std::string& certificate = "");
// Gives files and folders a last change hoursAgo hours in the past; whether every one took it.
bool SetChangeTime(const std::vector<std::string>& paths, unsigned hoursAgo);

// A stand-in's bytes from this build's copies: "programs" (signed), "unsigned" or "altered".
std::string StandInProgram(const char* name, const char* which = "programs");
// The text with each setup's run folder ("wevlnk" and four hex digits) named without the digits.
std::string WithoutRunFolderNumber(const std::string& text);
// A visible top-level window of this thread for sessions to embed in.
HWND TestContainerWindow();

}  // namespace testsupport

#endif
