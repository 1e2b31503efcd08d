// The size check of compressed components on hand-built files: whole, cut, lying, other formats.
#include "download/portable/szdd_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Header(unsigned long size) {
  std::string header("SZDD\x88\xF0\x27\x33" "A" "e", 10);
  for (int i = 0; i < 4; ++i) header += (char)(size >> (8 * i));
  return header;
}

// Eight literals "abcdefgh", a back reference of 3 + 5 = 8 bytes and one literal: 17 bytes in all.
const std::string kData =
    std::string("\xFF" "abcdefgh" "\x02", 10) + std::string("\x00\x05", 2) + "i";

SzddCheck Checked(const std::string& bytes, size_t piece = 3) {
  SzddCheck check;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const std::string part = bytes.substr(at, piece);
    check.Feed((const unsigned char*)part.data(), part.size());
  }
  return check;
}

TEST(SzddCheck, TellsWholeFilesFromCutAndLyingOnes) {
  const struct {
    const char* what;
    std::string bytes;
    bool whole;
    unsigned long decoded;
  } rows[] = {
      {"whole", Header(17) + kData, true, 17},
      {"nothing announced, nothing there", Header(0), true, 0},
      {"cut inside the data", Header(17) + kData.substr(0, 6), false, 5},
      {"cut inside a back reference", Header(17) + kData.substr(0, 11), false, 8},
      {"announces more", Header(1000000) + kData, false, 17},
      {"announces less", Header(16) + kData, false, 17},
      // The control byte's next flag is a back reference: 1 + 3 bytes more.
      {"data after the end", Header(17) + kData + std::string("x\x01", 2), false, 21},
      {"cut inside the header", Header(17).substr(0, 9), false, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    for (size_t piece : {(size_t)1, (size_t)4, row.bytes.size() + 1}) {
      SzddCheck check = Checked(row.bytes, piece);
      EXPECT_EQ(row.whole, check.IsWhole());
      EXPECT_EQ(row.decoded, check.Decoded());
    }
  }
}

TEST(SzddCheck, OtherFormatsAreNotItsToJudge) {
  for (const std::string& bytes : {std::string(), std::string("MZ plain program"),
                                   std::string("SZDD but not the rest")}) {
    SzddCheck check = Checked(bytes);
    EXPECT_TRUE(check.IsWhole()) << bytes;
    EXPECT_FALSE(check.IsSzdd());
  }
  EXPECT_EQ(4000000000UL, Checked(Header(4000000000UL)).Announced());
}

}  // namespace
