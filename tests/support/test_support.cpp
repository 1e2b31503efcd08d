// Windows test helpers; see test_support.h.
#include "test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <sstream>

#include "host_run.h"

namespace testsupport {
namespace {

typedef WCHAR* (CDECL* DosFromUnixFn)(const char*);

int PortOf(const char* file) {
  return atoi(FileContent(TestEnvDir() + "\\" + file).c_str());
}

}  // namespace

std::string WinPathFromUnix(const std::string& unixPath) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto fn = (DosFromUnixFn)(void*)GetProcAddress(kernel, "wine_get_dos_file_name");
  if (fn == nullptr || unixPath.empty()) return "";
  WCHAR* wide = fn(unixPath.c_str());
  if (wide == nullptr) return "";
  char narrow[MAX_PATH * 4];
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return n > 0 ? narrow : "";
}

std::string TestEnvDir() {
  const char* dir = getenv("WEVELINK_TESTENV");
  return WinPathFromUnix(dir ? dir : "");
}

std::string WwwDir() { return TestEnvDir() + "\\www"; }

int HttpPort() { return PortOf("http_port"); }

int HttpsPort() { return PortOf("https_port"); }

std::string BaseUrl() { return "http://127.0.0.1:" + std::to_string(HttpPort()); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::string text;
  ReadFileBytes(path, &text);
  return SplitLines(text);
}

std::vector<std::string> ServerLogFor(const std::string& path) {
  std::vector<std::string> found;
  for (const std::string& line : ReadLines(TestEnvDir() + "\\server.log")) {
    size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    size_t next = line.find(' ', space + 1);
    if (line.compare(space + 1, next - space - 1, path) == 0) found.push_back(line);
  }
  return found;
}

void SetServerRules(const std::string& rules) {
  // Write beside and rename so the server never reads a half-written file.
  std::string dir = TestEnvDir();
  std::string temp = dir + "\\rules.new";
  ASSERT_TRUE(WriteFileBytes(temp, rules));
  ASSERT_TRUE(MoveFileExA(temp.c_str(), (dir + "\\rules").c_str(), MOVEFILE_REPLACE_EXISTING));
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  bytes->clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char chunk[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
    bytes->append(chunk, got);
  }
  CloseHandle(file);
  return ok;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteRegTree(HKEY root, const std::string& subkey) {
  RegDeleteTreeA(root, subkey.c_str());  // the key itself too
}

bool ReadRegValue(HKEY root, const std::string& subkey, const std::string& name,
                  DWORD* type, std::string* bytes) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    bytes->assign(size, '\0');
    rc = RegQueryValueExA(key, name.c_str(), nullptr, type,
                          size ? (BYTE*)&(*bytes)[0] : nullptr, &size);
    bytes->resize(size);
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool ReadRegString(HKEY root, const std::string& subkey, const std::string& name,
                   std::string* value) {
  DWORD type = 0;
  if (!ReadRegValue(root, subkey, name, &type, value)) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  while (!value->empty() && value->back() == '\0') value->pop_back();
  return true;
}

bool RegKeyExists(HKEY root, const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool TrustTestPublisher(const std::string& stubBuildUnix) {
  std::string tool = WinPathFromUnix(stubBuildUnix + "/trust-cert.exe");
  std::string cert = WinPathFromUnix(stubBuildUnix + "/cert/test-publisher.cer");
  DWORD exitCode = 255;
  return RunProgram("\"" + tool + "\" \"" + cert + "\"", 60000, &exitCode) && exitCode == 0;
}

std::string LittleEndian32(long value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = (char)((unsigned long)value >> (8 * i));
  return bytes;
}

std::string RegSzText(HKEY root, const std::string& subkey, const std::string& name) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValue(root, subkey, name, &type, &bytes)) return "(none)";
  if (type != REG_SZ || bytes.empty() || bytes.back() != '\0') {
    return "(type " + std::to_string(type) + ")";
  }
  return bytes.substr(0, bytes.size() - 1);
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = (char)tolower((unsigned char)c);
  return text;
}

std::string WindowsFolder() {
  char folder[MAX_PATH] = "";
  GetWindowsDirectoryA(folder, MAX_PATH);
  return folder;
}

bool AnyLineStarts(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& line : lines) {
    if (line.compare(0, start.size(), start) == 0) return true;
  }
  return false;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

HWND TestContainerWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "WevelinkTestContainer";
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  return CreateWindowExA(0, windowClass.lpszClassName, "container",
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 500, 400,
                         nullptr, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace testsupport
