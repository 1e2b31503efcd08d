// The single-sign-on cookie: one cookie in every spelling an issuer or a
// proxy may give it, payloads of every shape, the invalid ones (which must
// leave the caller's buffers alone), the heap on every path, and the
// decoding steps one by one. Cookies are made by encrypting with
// DecryptCookiePayload; one golden cookie made outside this code pins the
// cipher itself.
#include "sessions/portable/blk_cookie.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "cookie_maker.h"
#include "sessions/portable/md5.h"

namespace {

// "alice", "s3cret", "ticket-0", made by an independent implementation.
const char kGolden[] = "ph/o8kvbSwnNBYDb/N+dfzjk2YX+6uc=";

// The driver's buffers, filled with a marker so that any write shows.
struct Outputs {
  char first[32];
  char second[32];
  unsigned char third[256];
  unsigned long thirdLength;

  Outputs() {
    memset(first, '#', sizeof first);
    memset(second, '#', sizeof second);
    memset(third, '#', sizeof third);
    thirdLength = 12345;
  }
  long Parse(const std::string& text) {
    return blk_ParseCookie(text.c_str(), first, sizeof first, second, sizeof second, third, sizeof third,
                           &thirdLength);
  }
  bool Untouched() const {
    Outputs fresh;
    return memcmp(first, fresh.first, sizeof first) == 0 && memcmp(second, fresh.second, sizeof second) == 0 &&
           memcmp(third, fresh.third, sizeof third) == 0 && thirdLength == fresh.thirdLength;
  }
  void ExpectFields(const std::string& one, const std::string& two, const std::string& three) const {
    EXPECT_EQ(one, std::string(first, strnlen(first, sizeof first)));
    EXPECT_EQ(two, std::string(second, strnlen(second, sizeof second)));
    ASSERT_EQ(three.size(), thirdLength);
    EXPECT_EQ(three, std::string((const char*)third, thirdLength));
    EXPECT_EQ(0, third[thirdLength]);
  }
};

}  // namespace

TEST(BlkParseCookie, EverySpellingOfOneCookieDecodesAlike) {
  std::string broken = "ph/o 8kvb\r\nSwnN\tBYDb/N+d\nfzjk2YX+6uc=\r\n";
  std::string escaped = "ph%2Fo8kvbSwnNBYDb%2fN%2Bdfzjk2YX%2b6uc%3D";
  const std::string texts[] = {
      std::string("blkcookie=") + kGolden,
      std::string("blkcookie=") + kGolden + "; path=/; other=1",
      std::string("Set-Cookie: session=9; blkcookie=") + kGolden + ";",
      std::string("xblkcookie=") + kGolden + ";blkcookie=AAAA",
      "blkcookie=" + escaped,
      "blkcookie=" + broken,
      "blkcookie=ph/o%0D%0A8kvbSwnNBYDb/N+dfzjk2YX+6uc=",
      MakeCookie("alice", "s3cret", "ticket-0"),
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    Outputs out;
    ASSERT_EQ(kCookieOk, out.Parse(text));
    out.ExpectFields("alice", "s3cret", "ticket-0");
  }
}

TEST(BlkParseCookie, PayloadsOfEveryShapeComeBackWhole) {
  struct Row {
    const char* name;
    std::string first, second, third;
  } rows[] = {
      {"empty first field", "", "pw", "t"},
      {"all fields empty", "", "", ""},
      {"17 bytes, two digests", "user1", "pass1", "abc"},
      {"negative checksum sum", "\x80\x81\xff\xfe", "\x90\x90", "\xc0\xc0\xc0"},
      {"zero bytes in the third field", "u", "p", std::string("a\0b\0", 4)},
      {"largest fields that fit", std::string(31, 'f'), std::string(31, 's'), std::string(255, 't')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Outputs out;
    ASSERT_EQ(kCookieOk, out.Parse(MakeCookie(row.first, row.second, row.third)));
    out.ExpectFields(row.first, row.second, row.third);
  }
}

TEST(BlkParseCookie, InvalidCookiesLeaveTheOutputsUntouched) {
  std::string good = Payload("alice", "s3cret", "ticket-0");
  struct Row {
    const char* name;
    std::string text;
  } rows[] = {
      {"no cookie", "session=1; path=/"},
      {"name in upper case", std::string("BLKCOOKIE=") + kGolden},
      {"name without its =", std::string("blkcookie ") + kGolden},
      {"empty value", "blkcookie="},
      {"empty value before ;", std::string("blkcookie=;x=") + kGolden},
      {"padding only", "blkcookie=="},
      {"value cut off", std::string("blkcookie=") + std::string(kGolden, 12)},
      {"checksum one above", "blkcookie=" + EncodePayload(good, 1)},
      {"checksum one below", "blkcookie=" + EncodePayload(good, -1)},
      {"L1 past the payload", "blkcookie=" + EncodePayload(std::string("\x05", 1))},
      {"L2 past the payload", "blkcookie=" + EncodePayload(std::string("\x01" "a" "\x03" "bc", 5))},
      {"no byte for the unused one", "blkcookie=" + EncodePayload(std::string("\0\0", 2))},
      {"second field of 255", MakeCookie("f", std::string(255, 's'), "t")},
      {"third field of 256", MakeCookie("f", "s", std::string(256, 't'))},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Outputs out;
    EXPECT_EQ(kCookieInvalid, out.Parse(row.text));
    EXPECT_TRUE(out.Untouched());
  }
}

TEST(BlkParseCookie, EachFieldMustFitTheCapacityItIsGiven) {
  struct Row {
    size_t first, second, third;
    long result;
  } rows[] = {
      {6, 7, 9, kCookieOk},  // "alice", "s3cret", "ticket-0" and their terminators
      {5, 7, 9, kCookieInvalid},
      {6, 6, 9, kCookieInvalid},
      {6, 7, 8, kCookieInvalid},
      {0, 0, 0, kCookieInvalid},
  };
  std::string text = std::string("blkcookie=") + kGolden;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.first << "/" << row.second << "/" << row.third);
    Outputs out;
    EXPECT_EQ(row.result, blk_ParseCookie(text.c_str(), out.first, row.first, out.second, row.second, out.third,
                                          row.third, &out.thirdLength));
    if (row.result == kCookieOk) {
      out.ExpectFields("alice", "s3cret", "ticket-0");
      EXPECT_EQ('#', out.first[6]);  // nothing past the capacity given
      EXPECT_EQ('#', out.third[9]);
    } else {
      EXPECT_TRUE(out.Untouched());
    }
  }
}

namespace {

// Fails its failAt-th allocation (0: none) and counts the blocks it holds.
struct TestHeap {
  int failAt;
  int allocations;
  int held;

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

}  // namespace

TEST(ParseCookieWithHeap, BothCopiesAreReleasedOnEveryPath) {
  std::string golden = std::string("blkcookie=") + kGolden;
  std::string badChecksum = "blkcookie=" + EncodePayload(Payload("a", "b", "c"), 1);
  struct Row {
    const char* name;
    std::string text;
    int failAt;
    long result;
    int allocations;
  } rows[] = {
      {"valid", golden, 0, kCookieOk, 2},
      {"no cookie", "x=1", 0, kCookieInvalid, 1},
      {"bad checksum", badChecksum, 0, kCookieInvalid, 2},
      {"empty value", "blkcookie=", 0, kCookieInvalid, 2},
      {"text copy fails", golden, 1, kCookieNoMemory, 1},
      {"payload fails", golden, 2, kCookieNoMemory, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestHeap counts = {row.failAt, 0, 0};
    const CookieHeap heap = {TestHeap::Allocate, TestHeap::Release, &counts};
    Outputs out;
    EXPECT_EQ(row.result, ParseCookieWithHeap(&heap, row.text.c_str(), out.first, sizeof out.first, out.second,
                                              sizeof out.second, out.third, sizeof out.third, &out.thirdLength));
    EXPECT_EQ(row.allocations, counts.allocations);
    EXPECT_EQ(0, counts.held);
    EXPECT_EQ(row.result != kCookieOk, out.Untouched());
  }
}

TEST(PercentDecode, AnyTwoCharactersAfterAPercentMakeOneByte) {
  struct Row {
    const char* text;
    const char* decoded;
  } rows[] = {
      {"%41%62", "Ab"},
      {"%2b%2B%2f%3D", "++/="},
      {"a+b", "a+b"},
      {"ab%", "ab%"},
      {"ab%4", "ab%4"},
      {"%%41", "T1"},       // "%" is 37: (37 - 48) * 16 + 4 = -172, 84 modulo 256
      {"%zz", "S"},         // "z" gives 90 - 55 = 35: 35 * 16 + 35 = 595, 83
      {"x%G0y", "x"},       // "G" gives 16: 256 is a zero byte, the text ends
      {"%\xc1" "1", "\x11"},  // 0xC1 is -63 as a signed byte: -111 * 16 + 1, 17
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    char text[32];
    strcpy(text, row.text);
    PercentDecode(text);
    EXPECT_STREQ(row.decoded, text);
  }
}

TEST(Base64DecodeFiltered, StrayCharactersShortGroupsAndOddPadding) {
  struct Row {
    const char* text;
    const char* filtered;
    std::string decoded;
  } rows[] = {
      {"QUJD", "QUJD", "ABC"},
      {"QUI=", "QUI=", "AB"},
      {"QQ==", "QQ==", "A"},
      {" Q U\r\nJ\tD!*", "QUJD", "ABC"},
      {"QUJDRA", "QUJDRA", "ABCD"},    // short last group: 6 * 3 / 4 bytes
      {"Q", "Q", ""},
      {"Q=JD", "Q=JD", std::string("\x40\x02\x43", 3)},  // "=" inside counts as zero bits
      {"QUJD=", "QUJD=", "AB"},        // 15 / 4 bytes less one
      {"=", "=", ""},
      {"===", "===", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    char text[32];
    strcpy(text, row.text);
    unsigned char output[8];
    memset(output, '#', sizeof output);
    size_t length = 99;
    ASSERT_TRUE(Base64DecodeFiltered(text, output, sizeof output, &length));
    EXPECT_STREQ(row.filtered, text);
    EXPECT_EQ(row.decoded, std::string((const char*)output, length));
    EXPECT_EQ('#', output[length]);
  }

  char text[] = "QUJDRA==";
  unsigned char output[4] = {'#', '#', '#', '#'};
  size_t length = 99;
  EXPECT_FALSE(Base64DecodeFiltered(text, output, 3, &length));
  EXPECT_EQ(99u, length);
  EXPECT_EQ('#', output[0]);
}

TEST(DecryptCookiePayload, SeventeenBytesUseTheKeyThenTheKeyAndTheFirstDigest) {
  const unsigned char longKey[16] = {'0', '1', '2', '3', '4', '5', '6', '7',
                                     '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  struct Row {
    const unsigned char* key;
    size_t keyLength;
  } rows[] = {{kCookieKey, kCookieKeyLength}, {longKey, sizeof longKey}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keyLength);
    unsigned char chain[32];
    memcpy(chain, row.key, row.keyLength);
    unsigned char expected[32];
    Md5(chain, row.keyLength, expected);
    memcpy(chain + row.keyLength, expected, 16);
    Md5(chain, row.keyLength + 16, expected + 16);

    unsigned char data[17] = {0};  // encrypting zeros gives the keystream
    ASSERT_TRUE(DecryptCookiePayload(data, 17, row.key, row.keyLength));
    EXPECT_EQ(0, memcmp(expected, data, 17));
    ASSERT_TRUE(DecryptCookiePayload(data, 17, row.key, row.keyLength));
    const unsigned char zeros[17] = {0};
    EXPECT_EQ(0, memcmp(zeros, data, 17));
  }

  unsigned char data[4] = {1, 2, 3, 4};
  const unsigned char original[4] = {1, 2, 3, 4};
  const unsigned char tooLong[17] = {0};
  EXPECT_TRUE(DecryptCookiePayload(data, 0, kCookieKey, kCookieKeyLength));
  EXPECT_TRUE(DecryptCookiePayload(data, -1, kCookieKey, kCookieKeyLength));
  EXPECT_FALSE(DecryptCookiePayload(data, 4, tooLong, sizeof tooLong));
  EXPECT_EQ(0, memcmp(original, data, 4));
}

TEST(CookieChecksum, SignedBytesAndTruncatingRemainder) {
  struct Row {
    std::string bytes;
    int checksum;
  } rows[] = {
      {"", 0},
      {"\x7f\x7f", 0},          // 254
      {"\x7f\x7f\x05", 5},      // 259
      {"\x80", -1},             // -128
      {"\x81", 0},              // -127
      {"\xff\xff\x80", -3},     // -130
      {std::string(300, '\x80'), -46},  // -38400
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].checksum, CookieChecksum((const unsigned char*)rows[i].bytes.data(), rows[i].bytes.size()));
  }
}
