// MD5 against the test suite of RFC 1321; its 62- and 80-byte messages take
// the second padding block, the shorter ones the first.
#include "sessions/portable/md5.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

std::string Hex(const unsigned char digest[kMd5DigestSize]) {
  char text[2 * kMd5DigestSize + 1];
  for (int i = 0; i < kMd5DigestSize; ++i) snprintf(text + 2 * i, 3, "%02x", digest[i]);
  return text;
}

}  // namespace

TEST(Md5, RfcTestSuite) {
  struct Row {
    const char* message;
    const char* digest;
  } rows[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    unsigned char digest[kMd5DigestSize];
    Md5(row.message, strlen(row.message), digest);
    EXPECT_EQ(row.digest, Hex(digest));
  }
}
