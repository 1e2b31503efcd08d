// Proves the harness itself: the program runs in the build tree's own Wine
// prefix with a display, a registry and the test web server reachable.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include "test_support.h"

using namespace testsupport;

TEST(Harness, CreatesARealWindow) {
  HWND window = CreateWindowExA(0, "STATIC", "smoke", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  ShowWindow(window, SW_SHOW);
  RECT rect;
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(200, rect.right - rect.left);
  char text[16] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ("smoke", text);
  EXPECT_TRUE(DestroyWindow(window));
}

TEST(Harness, RegistryWriteReadAndDelete) {
  const char* subkey = "Software\\WevelinkTest\\Smoke";
  DeleteRegTree(HKEY_CURRENT_USER, "Software\\WevelinkTest");
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const BYTE bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Lock", 0, REG_BINARY, bytes, 4));
  RegCloseKey(key);

  DWORD type = 0;
  std::string value;
  ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, subkey, "Lock", &type, &value));
  EXPECT_EQ((DWORD)REG_BINARY, type);
  EXPECT_EQ(std::string(4, '\xFF'), value);

  DeleteRegTree(HKEY_CURRENT_USER, "Software\\WevelinkTest");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, subkey));
}

TEST(Harness, PathsMapBetweenWineAndLinux) {
  std::string env = TestEnvDir();
  ASSERT_FALSE(env.empty());
  EXPECT_EQ(TestEnvUnixDir(), UnixPathFromWin(env));
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string unixPath = UnixPathFromWin(windows);
  ASSERT_FALSE(unixPath.empty());
  // Back through the Z: drive it names the same folder.
  std::string again = WinPathFromUnix(unixPath);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(again.c_str())) << again;
}

TEST(Harness, FetchesFromTheTestServerWithWinInet) {
  const std::string body = "hello from the test server\r\n";
  ASSERT_TRUE(WriteFileBytes(WwwDir() + "\\smoke.txt", body));
  ASSERT_GT(HttpPort(), 0);

  HINTERNET session = InternetOpenA("WevelinkSmoke", INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                    nullptr, 0);
  ASSERT_NE(nullptr, session);
  std::string url = BaseUrl() + "/smoke.txt";
  HINTERNET request = InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  ASSERT_NE(nullptr, request) << GetLastError();
  DWORD status = 0, size = sizeof status;
  ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                             &status, &size, nullptr));
  EXPECT_EQ(200u, status);
  std::string got;
  char chunk[4096];
  DWORD read = 0;
  while (InternetReadFile(request, chunk, sizeof chunk, &read) && read > 0) got.append(chunk, read);
  InternetCloseHandle(request);
  InternetCloseHandle(session);
  EXPECT_EQ(body, got);

  // The server writes its log line once the last byte is sent, which a
  // loaded machine can let the client overtake.
  std::vector<std::string> log;
  for (int i = 0; i < 250 && (log = ServerLogFor("/smoke.txt")).empty(); ++i) Sleep(20);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ("GET /smoke.txt 200 " + std::to_string(body.size()), log.back());
}
