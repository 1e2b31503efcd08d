// A request's platform-free half: port and flags from a URL, URL forming, file URLs, kind tokens.
#include "download/portable/request_url.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "base/portable/session_kinds.h"
#include "download/portable/server_port.h"

namespace {

TEST(ServerPort, PortAndRequestFlagsFollowTheUrl) {
  const unsigned long plain = kPlainRequestFlags;
  const unsigned long secure = kSecureRequestFlags;
  const struct {
    std::string url;
    unsigned short port;
    unsigned long flags;
  } rows[] = {
      {"http://web/apps", 80, plain},
      {"https://web/apps", 443, secure},
      {"http://web:443/apps", 443, secure},
      {"https://web:80/apps", 80, plain},  // the explicit port wins
      {"http://web/downloads/https/x", 443, secure},  // "https" anywhere
      {"http://web:65979/x", 443, secure},             // low 16 bits
      {"http://web:/x", 0, plain},
      {"", 80, plain},
      // Read from 31 digits at most and clamped: never overruns.
      {"http://web:" + std::string(200, '9') + "/x", 0xFFFF, plain},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    unsigned short port = ServerPortFromUrl(row.url.c_str());
    EXPECT_EQ(row.port, port);
    EXPECT_EQ(row.flags, RequestFlagsForPort(port, false));
    // The policy's lax checks change port 443 only.
    EXPECT_EQ(port == 443 ? kLaxSecureRequestFlags : plain, RequestFlagsForPort(port, true));
  }
  EXPECT_EQ(80, ServerPortFromUrl(nullptr));
}

TEST(FormRequestUrl, JoinsWithOneSlashAndRefusesWhatDoesNotFit) {
  const std::string server = "http://web/" + std::string(240, 'a');  // 251 characters
  const struct {
    std::string server;
    const char* name;
    bool fits;
    std::string url;
  } rows[] = {
      {"http://web/apps/", "site.ini", true, "http://web/apps/site.ini"},
      {"http://web", "/lead.txt", true, "http://web//lead.txt"},
      {"", "x", true, "/x"},
      {server, "abc.ini", true, server + "/abc.ini"},  // 259: just fits
      {server, "abcd.ini", false, (server + "/abcd.ini").substr(0, 259)},
      {std::string(300, 's'), "x", false, std::string(259, 's')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    char url[260];
    EXPECT_EQ(row.fits, FormRequestUrl(row.server.c_str(), row.name, url, sizeof url));
    EXPECT_EQ(row.url, url);
  }
}

TEST(FileUrlToPath, LocalAndNetworkFormsAndRefusals) {
  const std::string overlong = "file:///C:/" + std::string(300, 'd');
  const struct {
    std::string url;
    const char* path;  // nullptr: refused
  } rows[] = {
      {"file:///C:/Program%20Files/site", "C:\\Program Files\\site"},
      {"FILE:///c|/dir/sub", "c:\\dir\\sub"},
      {"file://localhost/D:/web", "D:\\web"},
      {"file://host/share", "\\\\host\\share"},
      {"file://host/share/sub%2", "\\\\host\\share\\sub%2"},  // not an escape
      {"file:////host/share/x", "\\\\host\\share\\x"},
      {"http://web/x", nullptr},
      {overlong, nullptr},
      // An escaped zero byte would end the path early, at some other file.
      {"file:///C:/site%00/x", nullptr},
      {"file://host/share%00", nullptr},
      {"file:////h/s/%00", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    char path[260];
    EXPECT_EQ(row.path != nullptr, FileUrlToPath(row.url.c_str(), path, sizeof path));
    EXPECT_LT(strlen(path), sizeof path);
    EXPECT_STREQ(row.path ? row.path : path, path);
  }
  EXPECT_FALSE(IsFileUrl("http://web/file/x"));
  EXPECT_FALSE(IsFileUrl("file:C:/x"));
  char small[8];
  EXPECT_FALSE(FileUrlToPath("file://host/share", small, sizeof small));
  EXPECT_TRUE(FileUrlToPath("file:///C:/abcd", small, sizeof small));
  EXPECT_STREQ("C:\\abcd", small);
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
  const struct {
    const char* name;
    int kind;
  } rows[] = {
      {"KVMD.CAB", 0},
      {"setup/KvFtP.CAB", 4},
      {"kvvtkvmd", 0},  // kind order, not position
      {"site.ini", -1},
      {"KV MD", -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.kind, SessionKindInFileName(row.name));
  }
  EXPECT_EQ(-1, SessionKindInFileName(nullptr));
}

}  // namespace
