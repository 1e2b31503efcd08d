#include "download/portable/server_port.h"

#include <gtest/gtest.h>

#include <string>

TEST(ServerPortFromUrl, SchemesAndExplicitPorts) {
  struct { const char* url; unsigned short port; } rows[] = {
      {"http://web/apps", 80},
      {"https://web/apps", 443},
      {"http://web:443/apps", 443},         // explicit 443: secure request
      {"https://web:80/apps", 80},          // explicit port beats the scheme
      {"http://web:8080", 8080},
      {"http://web/httpsdir", 443},         // "https" anywhere counts
      {"web:81/x", 81},                     // no scheme: from the start
      {"http://web:70000/x", 70000 & 0xFFFF},
      {"http://web:/x", 0},
      {"", 80},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    EXPECT_EQ(row.port, ServerPortFromUrl(row.url));
  }
  EXPECT_EQ(80, ServerPortFromUrl(nullptr));
}

TEST(ServerPortFromUrl, OverlongPortIsBounded) {
  std::string url = "http://web:" + std::string(200, '9') + "/x";
  // Read from 31 digits at most, clamped, low 16 bits kept: never overruns.
  EXPECT_EQ((unsigned short)(2147483647L & 0xFFFF), ServerPortFromUrl(url.c_str()));
}
