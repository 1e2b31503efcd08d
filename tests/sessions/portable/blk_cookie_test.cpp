// The single-sign-on cookie: every spelling an issuer or proxy may give, payloads of every shape,
// invalid ones (buffers left alone), capacities fitting or not, a failing heap, the checksum.
#include "sessions/portable/blk_cookie.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "cookie_maker.h"

namespace {

// "alice", "s3cret", "ticket-0", made by an independent implementation.
const char kGolden[] = "ph/o8kvbSwnNBYDb/N+dfzjk2YX+6uc=";
const std::string kGoldenCookie = std::string("blkcookie=") + kGolden;

// The driver's buffers, filled with a marker so any write shows.
struct Outputs {
  char first[32];
  char second[32];
  unsigned char third[256];
  unsigned long thirdLength = 12345;

  Outputs() {
    memset(first, '#', sizeof first);
    memset(second, '#', sizeof second);
    memset(third, '#', sizeof third);
  }
  long Parse(const std::string& text, size_t one = 32, size_t two = 32, size_t three = 256) {
    return blk_ParseCookie(text.c_str(), first, one, second, two, third, three, &thirdLength);
  }
  bool Untouched() const {
    Outputs fresh;
    return memcmp(this, &fresh, sizeof fresh) == 0;
  }
  std::string Fields() const {
    return std::string(first) + "|" + second + "|" + std::string((const char*)third, thirdLength) +
           (third[thirdLength] == 0 ? "" : " unterminated");
  }
};

TEST(BlkParseCookie, ValidCookiesInEverySpellingAndShape) {
  const struct {
    std::string text, fields;
    size_t one = 32, two = 32, three = 256;  // the capacities given
  } rows[] = {
      {kGoldenCookie + "; path=/; other=1", "alice|s3cret|ticket-0"},
      {kGoldenCookie, "alice|s3cret|ticket-0", 6, 7, 9},  // each field just fits
      {std::string("Set-Cookie: a=9; xblkcookie=") + kGolden + ";blkcookie=AAAA",
       "alice|s3cret|ticket-0"},
      {kGoldenCookie.substr(0, kGoldenCookie.size() - 1), "alice|s3cret|ticket-0"},  // no padding
      {"blkcookie=ph%2Fo8kvbSwnNBYDb%2fN%2Bdfzjk2YX%2b6uc%3D", "alice|s3cret|ticket-0"},
      {"blkcookie=ph/o 8kvb\r\nSwnN\tBYDb/N+d\nfzjk2YX+6uc=\r\n", "alice|s3cret|ticket-0"},
      {MakeCookie("\x80\x81\xff\xfe", "\x90\x90", "\xc0"), "\x80\x81\xff\xfe|\x90\x90|\xc0"},
      {MakeCookie("u", "p", std::string("a\0b", 3)), std::string("u|p|a\0b", 7)},
      {MakeCookie(std::string(31, 'f'), std::string(31, 's'), std::string(255, 't')),
       std::string(31, 'f') + "|" + std::string(31, 's') + "|" + std::string(255, 't')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    Outputs out;
    ASSERT_EQ(kCookieOk, out.Parse(row.text, row.one, row.two, row.three));
    EXPECT_EQ(row.fields, out.Fields());
    // Nothing is written past the capacities given.
    EXPECT_TRUE(row.one == 32 || (out.first[row.one] == '#' && out.third[row.three] == '#'));
  }
}

TEST(BlkParseCookie, InvalidCookiesLeaveTheOutputsUntouched) {
  const std::string good = Payload("alice", "s3cret", "ticket-0");
  const struct {
    const char* name;
    std::string text;
    size_t one = 32, two = 32, three = 256;  // the capacities given
  } rows[] = {
      {"no cookie", "session=1; path=/"},
      {"empty value before ;", std::string("blkcookie=;x=") + kGolden},
      {"value cut off", std::string("blkcookie=") + std::string(kGolden, 12)},
      {"checksum one above", "blkcookie=" + EncodePayload(good, 1)},
      {"L1 past the payload", "blkcookie=" + EncodePayload(std::string("\x05", 1))},
      {"L2 past the payload", "blkcookie=" + EncodePayload(std::string("\x01" "a" "\x03" "bc", 5))},
      {"second field of 255", MakeCookie("f", std::string(255, 's'), "t")},
      {"third field of 256", MakeCookie("f", "s", std::string(256, 't'))},
      {"first field over its capacity", kGoldenCookie, 5, 7, 9},
      {"second field over its capacity", kGoldenCookie, 6, 6, 9},
      {"third field over its capacity", kGoldenCookie, 6, 7, 8},
      {"no capacity", kGoldenCookie, 0, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Outputs out;
    EXPECT_EQ(kCookieInvalid, out.Parse(row.text, row.one, row.two, row.three));
    EXPECT_TRUE(out.Untouched());
  }
}

// Fails its failAt-th allocation and counts the blocks it holds.
struct TestHeap {
  int failAt, allocations, held;
  static void* Allocate(void* context, size_t size) {
    TestHeap* heap = (TestHeap*)context;
    if (++heap->allocations == heap->failAt) return nullptr;
    ++heap->held;
    return malloc(size);
  }
  static void Release(void* context, void* block) {
    --((TestHeap*)context)->held;
    free(block);
  }
};

TEST(ParseCookieWithHeap, AFailedAllocationReleasesTheOtherCopy) {
  for (int failAt : {1, 2}) {
    SCOPED_TRACE(failAt);
    TestHeap counts = {failAt, 0, 0};
    const CookieHeap heap = {TestHeap::Allocate, TestHeap::Release, &counts};
    Outputs out;
    EXPECT_EQ(kCookieNoMemory, ParseCookieWithHeap(&heap, kGoldenCookie.c_str(), out.first, 32,
                                                   out.second, 32, out.third, 256,
                                                   &out.thirdLength));
    EXPECT_EQ(0, counts.held);
    EXPECT_TRUE(out.Untouched());
  }
}

TEST(CookieChecksum, SignedBytesAndTruncatingRemainder) {
  const struct {
    std::string bytes;
    int checksum;
  } rows[] = {
      {"\x7f\x7f\x05", 5},              // 259
      {"\x80", -1},                     // -128
      {"\xff\xff\x80", -3},             // -130
      {std::string(300, '\x80'), -46},  // -38400
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.checksum);
    const unsigned char* bytes = (const unsigned char*)row.bytes.data();
    EXPECT_EQ(row.checksum, CookieChecksum(bytes, row.bytes.size()));
  }
}

}  // namespace
