// Character references in attribute text, and the one-line escapes of the
// container's records.
#include <gtest/gtest.h>

#include <string.h>

#include "html_text.h"
#include "line_escape.h"

namespace {

std::string Decode(const char* text, size_t capacity = 256, bool* fits = nullptr) {
  char buffer[256];
  bool result = DecodeHtmlText(text, strlen(text), buffer, capacity);
  if (fits) *fits = result;
  return buffer;
}

TEST(DecodeHtmlText, DecodesReferencesAsBrowsersDo) {
  struct Case {
    const char* input;
    const char* expected;
  } cases[] = {
      {"a&amp;b", "a&b"},
      {"&lt;tag&gt;", "<tag>"},
      {"&quot;q&quot; &apos;a&apos;", "\"q\" 'a'"},
      {"x&nbsp;y", "x\xC2\xA0y"},
      {"&AMP;&LT;&GT;&QUOT;", "&<>\""},
      {"&#65;&#x42;&#X43;", "ABC"},
      {"&#65&#66;", "AB"},                // numeric without ";" still counts
      {"&#233;", "\xC3\xA9"},             // two-byte UTF-8
      {"&#x20AC;", "\xE2\x82\xAC"},       // three-byte
      {"&#x1F600;", "\xF0\x9F\x98\x80"},  // four-byte
      {"&#150;", "\xE2\x80\x93"},         // 0x80-0x9F through Windows-1252
      {"&#0;", "\xEF\xBF\xBD"},
      {"&#xD800;", "\xEF\xBF\xBD"},
      {"&#x110000;", "\xEF\xBF\xBD"},
      {"&#99999999999999999999;", "\xEF\xBF\xBD"},
      {"&Amp; &copy; &unknown;", "&Amp; &copy; &unknown;"},  // not ours: as written
      {"&amp", "&amp"},                                    // named needs its ";"
      {"& &# &#x; &#;", "& &# &#x; &#;"},
      {"C:\\dir\\file.ini", "C:\\dir\\file.ini"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},  // page text passes through
      {"", ""},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    bool fits = false;
    EXPECT_EQ(cases[i].expected, Decode(cases[i].input, 256, &fits));
    EXPECT_TRUE(fits);
  }
}

TEST(DecodeHtmlText, TooSmallBufferCutsOnACharacterBoundary) {
  bool fits = true;
  EXPECT_EQ("abc", Decode("abcdef", 4, &fits));
  EXPECT_FALSE(fits);
  // "&#233;" needs two bytes: with room for one it is left out whole.
  EXPECT_EQ("ab", Decode("ab&#233;", 4, &fits));
  EXPECT_FALSE(fits);
  // A raw two-byte character is not split either.
  EXPECT_EQ("ab", Decode("ab\xC3\xA9", 4, &fits));
  EXPECT_FALSE(fits);
  EXPECT_EQ("a\xC3\xA9", Decode("a\xC3\xA9z", 4, &fits));
  EXPECT_FALSE(fits);
  char one[1] = {'x'};
  EXPECT_FALSE(DecodeHtmlText("a", 1, one, 1));
  EXPECT_EQ('\0', one[0]);
  EXPECT_FALSE(DecodeHtmlText("a", 1, one, 0));
}

TEST(AppendEscapedText, EscapesLineBreaksAndTabsOnly) {
  char line[64] = "box\t";
  EXPECT_TRUE(AppendEscapedText(line, sizeof line, "one\r\ntwo\tthree\\four\n"));
  EXPECT_STREQ("box\tone\\r\\ntwo\\tthree\\four\\n", line);
}

TEST(AppendEscapedText, NeverSplitsAnEscape) {
  char line[6] = "";
  EXPECT_FALSE(AppendEscapedText(line, sizeof line, "abcd\n"));
  EXPECT_STREQ("abcd", line);
  char full[4] = "abc";
  EXPECT_FALSE(AppendEscapedText(full, sizeof full, "d"));
  EXPECT_STREQ("abc", full);
  EXPECT_TRUE(AppendEscapedText(full, sizeof full, nullptr));
}

}  // namespace
