// The platform-free half of a cacher request: URL forming, the flags a
// server URL leads to, file URLs as plain paths and session-kind tokens.
#include "download/portable/request_url.h"

#include <gtest/gtest.h>

#include <string>

#include "download/portable/server_port.h"
#include "base/portable/session_kinds.h"

TEST(FormRequestUrl, JoinsServerAndNameWithOneSlash) {
  struct {
    const char* server;
    const char* name;
    const char* url;
  } rows[] = {
      {"http://web/apps", "site.ini", "http://web/apps/site.ini"},
      {"http://web/apps/", "site.ini", "http://web/apps/site.ini"},  // no second "/"
      {"http://web:8080/a", "sub/dir\\KVMD.CAB", "http://web:8080/a/sub/dir\\KVMD.CAB"},
      {"http://web", "/lead.txt", "http://web//lead.txt"},  // the name is taken as given
      {"", "x", "/x"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    char url[260];
    EXPECT_TRUE(FormRequestUrl(rows[i].server, rows[i].name, url, sizeof url));
    EXPECT_STREQ(rows[i].url, url);
  }
}

TEST(FormRequestUrl, RefusesAUrlThatDoesNotFit) {
  char url[260];
  std::string server = "http://web/" + std::string(240, 'a');
  // 251 + "/" + 7 = 259 characters: just fits.
  EXPECT_TRUE(FormRequestUrl(server.c_str(), "abc.ini", url, sizeof url));
  EXPECT_EQ(259u, strlen(url));
  // One more and the URL would name another file: refused, still terminated.
  EXPECT_FALSE(FormRequestUrl(server.c_str(), "abcd.ini", url, sizeof url));
  EXPECT_EQ(259u, strlen(url));
  std::string longServer(300, 's');
  EXPECT_FALSE(FormRequestUrl(longServer.c_str(), "x", url, sizeof url));
  EXPECT_EQ(259u, strlen(url));
}

TEST(RequestFlags, FollowTheServerPort) {
  struct {
    const char* server;
    unsigned long flags;
  } rows[] = {
      {"http://web/apps", kPlainRequestFlags},
      {"https://web/apps", kSecureRequestFlags},     // scheme default 443
      {"http://web:443/apps", kSecureRequestFlags},  // explicit 443
      {"https://web:80/apps", kPlainRequestFlags},   // explicit port wins
      {"https://web:8443/apps", kPlainRequestFlags},
      {"http://web/downloads/https/x", kSecureRequestFlags},  // "https" anywhere
      {"http://web:65979/x", kSecureRequestFlags},            // low 16 bits: 443
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].server);
    EXPECT_EQ(rows[i].flags, RequestFlagsForPort(ServerPortFromUrl(rows[i].server)));
  }
  EXPECT_EQ(0xC03500ul, kSecureRequestFlags);
  EXPECT_EQ(0x400500ul, kPlainRequestFlags);
}

TEST(FileUrlToPath, LocalAndNetworkForms) {
  struct {
    const char* url;
    const char* path;
  } rows[] = {
      {"file:///C:/dir", "C:\\dir"},
      {"file:///C:/Program%20Files/site", "C:\\Program Files\\site"},
      {"FILE:///c|/dir/sub", "c:\\dir\\sub"},
      {"file://C:/dir", "C:\\dir"},
      {"file://localhost/D:/web", "D:\\web"},
      {"file:///C:", "C:"},
      {"file://host/share", "\\\\host\\share"},
      {"file://host/share/sub%2", "\\\\host\\share\\sub%2"},  // not an escape
      {"file:////host/share/x", "\\\\host\\share\\x"},
      {"file:///dir/sub", "\\dir\\sub"},
      {"junk file:///E:/x", "E:\\x"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].url);
    EXPECT_TRUE(IsFileUrl(rows[i].url));
    char path[260];
    EXPECT_TRUE(FileUrlToPath(rows[i].url, path, sizeof path));
    EXPECT_STREQ(rows[i].path, path);
  }
}

TEST(FileUrlToPath, RefusesOtherSchemesAndOverlongPaths) {
  char path[260];
  EXPECT_FALSE(IsFileUrl("http://web/file/x"));
  EXPECT_FALSE(IsFileUrl("file:C:/x"));
  EXPECT_FALSE(FileUrlToPath("http://web/x", path, sizeof path));
  EXPECT_STREQ("", path);
  std::string url = "file:///C:/" + std::string(300, 'd');
  EXPECT_FALSE(FileUrlToPath(url.c_str(), path, sizeof path));
  EXPECT_LT(strlen(path), sizeof path);
  char small[8];
  EXPECT_FALSE(FileUrlToPath("file://host/share", small, sizeof small));
  EXPECT_TRUE(FileUrlToPath("file:///C:/abcd", small, sizeof small));
  EXPECT_STREQ("C:\\abcd", small);
  // An escaped zero byte would end the path early, at some other file.
  for (const char* zero : {"file:///C:/site%00/x", "file://host/share%00", "file:////h/s/%00"}) {
    SCOPED_TRACE(zero);
    EXPECT_FALSE(FileUrlToPath(zero, path, sizeof path));
  }
}

TEST(FormLocalPath, AddsOneBackslashAndTurnsSlashes) {
  char path[260];
  EXPECT_TRUE(FormLocalPath("C:\\dir", "sub/KVMD.CAB", path, sizeof path));
  EXPECT_STREQ("C:\\dir\\sub\\KVMD.CAB", path);
  EXPECT_TRUE(FormLocalPath("\\\\host\\share\\", "a.ini", path, sizeof path));
  EXPECT_STREQ("\\\\host\\share\\a.ini", path);
  std::string folder = "C:\\" + std::string(250, 'f');  // 253 characters
  EXPECT_TRUE(FormLocalPath(folder.c_str(), "12345", path, sizeof path));
  EXPECT_FALSE(FormLocalPath(folder.c_str(), "123456", path, sizeof path));
  EXPECT_LT(strlen(path), sizeof path);
}

TEST(SessionKindInFileName, FirstTokenInKindOrderAnyCase) {
  struct {
    const char* name;
    int kind;
  } rows[] = {
      {"KVMD.CAB", 0},        {"dir/kvmp.ex_", 1}, {"KvAd.pro", 2}, {"kvap", 3},
      {"setup/KvFtP.CAB", 4}, {"kvvt.exe", 5},     {"kvvtkvmd", 0},  // kind order, not position
      {"site.ini", -1},       {"KV MD", -1},       {"", -1},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(rows[i].kind, SessionKindInFileName(rows[i].name));
  }
  EXPECT_EQ(-1, SessionKindInFileName(nullptr));
}
