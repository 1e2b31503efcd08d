// Finding the control's OBJECT tags and their PARAMs in page text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "object_tags.h"

namespace {

const char kClsid[] = "{01D62088-DB72-4D35-AE5C-E5861904B675}";
const char kTag[] = "<object classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\"";

typedef std::vector<std::pair<std::string, std::string>> Params;

struct Parsed {
  bool fits;
  std::unique_ptr<PageObjects> objects{new PageObjects};

  explicit Parsed(const std::string& html, const char* clsid = kClsid) {
    fits = FindControlObjects(html.data(), html.size(), clsid, objects.get());
  }
  int count() const { return objects->objectCount; }
  const PageObject& object(int i) const { return objects->objects[i]; }
  Params params(int index) const {
    Params result;
    for (int i = 0; i < objects->paramCount; ++i) {
      const PageParam& param = objects->params[i];
      if (param.object == index) {
        result.emplace_back(PageText(objects.get(), param.name),
                            PageText(objects.get(), param.value));
      }
    }
    return result;
  }
};

TEST(ClassIdNames, MatchesInAnyCaseWithOrWithoutBraces) {
  struct Case {
    const char* value;
    bool expected;
  } cases[] = {
      {"clsid:01D62088-DB72-4D35-AE5C-E5861904B675", true},
      {"CLSID:01d62088-db72-4d35-ae5c-e5861904b675", true},
      {"clsid:{01D62088-DB72-4D35-AE5C-E5861904B675}", true},
      {"  clsid: 01D62088-DB72-4D35-AE5C-E5861904B675  ", true},
      {"01D62088-DB72-4D35-AE5C-E5861904B675", false},
      {"clsid:01D62088-DB72-4D35-AE5C-E5861904B676", false},
      {"clsid:01D62088-DB72-4D35-AE5C-E5861904B67", false},
      {"clsid:01D62088-DB72-4D35-AE5C-E5861904B675x", false},
      {"clsid:", false},
      {"", false},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].expected, ClassIdNames(cases[i].value, kClsid));
    EXPECT_EQ(cases[i].expected,
              ClassIdNames(cases[i].value, "01D62088-DB72-4D35-AE5C-E5861904B675"));
  }
}

TEST(FindControlObjects, ReadsSizeIdAndParamsInEveryQuotingStyle) {
  Parsed page(
      "<html><body>\n"
      "<OBJECT ID=\"Wevelink1\" CLASSID=\"CLSID:01D62088-DB72-4D35-AE5C-E5861904B675\"\n"
      "        WIDTH=\"320\" HEIGHT='200' codebase=\"x.cab#Version=3,2,1,296\">\n"
      "  <PARAM NAME=\"IniFile\" VALUE=\"site.ini\">\n"
      "  <param name='LogEvents' value='Y'>\n"
      "  <Param Name=Sessions Value=MD_S1>\n"
      "  <PARAM NAME = \"Spaced\"  VALUE = \"a b\" >\n"
      "  <PARAM VALUE=\"first\" NAME=\"Order\"/>\n"
      "  <PARAM NAME=\"Empty\" VALUE=\"\">\n"
      "  <PARAM NAME=\"NoValue\">\n"
      "  <PARAM VALUE=\"no name\">\n"
      "  <PARAM NAME=\"Twice\" VALUE=\"one\" VALUE=\"two\">\n"
      "</OBJECT></body></html>");
  ASSERT_TRUE(page.fits);
  ASSERT_EQ(1, page.count());
  EXPECT_EQ(320, page.object(0).width);
  EXPECT_EQ(200, page.object(0).height);
  EXPECT_TRUE(page.object(0).hasWidth);
  EXPECT_STREQ("Wevelink1", PageText(page.objects.get(), page.object(0).id));
  Params expected = {{"IniFile", "site.ini"}, {"LogEvents", "Y"}, {"Sessions", "MD_S1"},
                     {"Spaced", "a b"},       {"Order", "first"}, {"Empty", ""},
                     {"NoValue", ""},         {"Twice", "one"}};
  EXPECT_EQ(expected, page.params(0));
  EXPECT_EQ(8, page.object(0).paramCount);
}

TEST(FindControlObjects, DecodesReferencesInNamesAndValues) {
  Parsed page(std::string(kTag) +
              "><param name=\"A&amp;B\" value=\"x &lt;y&gt; &#34;z&#x22; &apos;&nbsp;\">"
              "<param name=Url value=http://h/p?a=1&amp;b=2></object>");
  ASSERT_EQ(1, page.count());
  Params expected = {{"A&B", "x <y> \"z\" '\xC2\xA0"}, {"Url", "http://h/p?a=1&b=2"}};
  EXPECT_EQ(expected, page.params(0));
}

TEST(FindControlObjects, SizesDefaultWhenMissingOrNotPlainPixels) {
  struct Case {
    const char* attributes;
    int width, height;
    bool hasWidth, hasHeight;
  } cases[] = {
      {"", kDefaultObjectWidth, kDefaultObjectHeight, false, false},
      {" width=100", 100, kDefaultObjectHeight, true, false},
      {" height=\"50px\"", kDefaultObjectWidth, 50, false, true},
      {" width=\"100%\" height=abc", kDefaultObjectWidth, kDefaultObjectHeight, false, false},
      {" width=\" 80.5 \" height=0", 80, 0, true, true},
      {" width=99999999999999999999 height=-5", 10000, kDefaultObjectHeight, true, false},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    Parsed page(std::string(kTag) + cases[i].attributes + "></object>");
    ASSERT_EQ(1, page.count());
    EXPECT_EQ(cases[i].width, page.object(0).width);
    EXPECT_EQ(cases[i].height, page.object(0).height);
    EXPECT_EQ(cases[i].hasWidth, page.object(0).hasWidth);
    EXPECT_EQ(cases[i].hasHeight, page.object(0).hasHeight);
  }
}

TEST(FindControlObjects, TakesOnlyObjectsOfTheClassAndTheirOwnParams) {
  Parsed page(
      "<param name=Stray value=1>"
      "<object classid=\"clsid:11111111-2222-3333-4444-555555555555\">"
      "  <param name=Other value=1></object>"
      "<object classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\" width=10 height=20>"
      "  <param name=First value=1>"
      "  <object classid=\"clsid:11111111-2222-3333-4444-555555555555\">"
      "    <param name=Nested value=1></object>"
      "  <param name=AfterNested value=1>"
      "</object>"
      "<object data=\"x.swf\"><param name=NoClassid value=1></object>"
      "<OBJECT classid=\"clsid:{01d62088-db72-4d35-ae5c-e5861904b675}\" width=30 height=40>"
      "  <param name=Second value=2>"
      "  <object classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\" width=5 height=6>"
      "    <param name=Inner value=3></object>"
      "  <param name=SecondAgain value=4>"
      "</OBJECT>");
  ASSERT_TRUE(page.fits);
  ASSERT_EQ(3, page.count());
  EXPECT_EQ(10, page.object(0).width);
  EXPECT_EQ(30, page.object(1).width);
  EXPECT_EQ(5, page.object(2).width);
  EXPECT_EQ((Params{{"First", "1"}, {"AfterNested", "1"}}), page.params(0));
  EXPECT_EQ((Params{{"Second", "2"}, {"SecondAgain", "4"}}), page.params(1));
  EXPECT_EQ((Params{{"Inner", "3"}}), page.params(2));
  EXPECT_EQ(2, page.object(1).paramCount);
}

TEST(FindControlObjects, IgnoresTagsInCommentsScriptsAndAttributeValues) {
  Parsed page(
      "<!-- <object classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\"> -->"
      "<script>var s = '<object classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\">';"
      "</scripts></script >"
      "<title><object></title>"
      "<a title=\"<object classid='clsid:01D62088-DB72-4D35-AE5C-E5861904B675'>\">x</a>"
      "<!DOCTYPE html><?xml?>"
      "<objectx classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\">"
      "a < b <3 </ p>"
      "<object classid=\"clsid:01D62088-DB72-4D35-AE5C-E5861904B675\">"
      "<param name=\"Real\" value=\"a>b\"></object>");
  ASSERT_TRUE(page.fits);
  ASSERT_EQ(1, page.count());
  EXPECT_EQ((Params{{"Real", "a>b"}}), page.params(0));
}

TEST(FindControlObjects, TruncatedPagesDropTheUnfinishedTag) {
  std::string full = std::string(kTag) +
                     " width=100><param name=\"A\" value=\"1\"><param name='B' value='2'></object>";
  // Every prefix of the page parses without reading past its end (the
  // sanitizers watch), and a PARAM counts only once its ">" arrived.
  for (size_t length = 0; length <= full.size(); ++length) {
    SCOPED_TRACE(length);
    std::unique_ptr<char[]> exact(new char[length ? length : 1]);
    memcpy(exact.get(), full.data(), length);
    std::unique_ptr<PageObjects> objects(new PageObjects);
    EXPECT_TRUE(FindControlObjects(exact.get(), length, kClsid, objects.get()));
    size_t objectEnd = full.find('>') + 1;
    size_t firstParamEnd = full.find('>', objectEnd) + 1;
    size_t secondParamEnd = full.find('>', firstParamEnd) + 1;
    EXPECT_EQ(length >= objectEnd ? 1 : 0, objects->objectCount);
    int params = length >= secondParamEnd ? 2 : length >= firstParamEnd ? 1 : 0;
    EXPECT_EQ(params, objects->paramCount);
  }
}

TEST(FindControlObjects, MalformedInputNeverCrashes) {
  const char* inputs[] = {
      "<", "<<<<", "</", "<!--", "<!-- -- >", "<object", "<object classid=", "<object classid=\"",
      "<object classid='clsid:01D62088-DB72-4D35-AE5C-E5861904B675'",
      "<object classid=clsid:01D62088-DB72-4D35-AE5C-E5861904B675><param",
      "<object classid=clsid:01D62088-DB72-4D35-AE5C-E5861904B675><param name=",
      "<object classid=clsid:01D62088-DB72-4D35-AE5C-E5861904B675><param name=a value=&#",
      "<object classid=clsid:01D62088-DB72-4D35-AE5C-E5861904B675><param name=a value=&#x",
      "<object classid=clsid:01D62088-DB72-4D35-AE5C-E5861904B675></object></object></object>",
      "<script>", "<script></scrip", "<style", "<textarea></textarea",
      "<object ====== ''''' \"\"\"\"\" >", "<param name=a>",
  };
  for (size_t i = 0; i < sizeof inputs / sizeof inputs[0]; ++i) {
    SCOPED_TRACE(i);
    std::string input = inputs[i];
    std::unique_ptr<char[]> exact(new char[input.size()]);
    memcpy(exact.get(), input.data(), input.size());
    std::unique_ptr<PageObjects> objects(new PageObjects);
    EXPECT_TRUE(FindControlObjects(exact.get(), input.size(), kClsid, objects.get()));
    EXPECT_LE(objects->objectCount, 1);
  }
  // Binary noise, NUL bytes included.
  std::string noise;
  unsigned state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    const char alphabet[] = "<>/=\"' &#;xobjectparamOBJECTPARAM\0clsid:01D62088";
    noise += alphabet[(state >> 16) % (sizeof alphabet - 1)];
  }
  std::unique_ptr<PageObjects> objects(new PageObjects);
  FindControlObjects(noise.data(), noise.size(), kClsid, objects.get());
  EXPECT_LE(objects->objectCount, kMaxPageObjects);
  EXPECT_LE(objects->paramCount, kMaxPageParams);
  EXPECT_LE(objects->textUsed, kPageTextCapacity);
}

TEST(FindControlObjects, ReportsWhatDidNotFit) {
  std::string many;
  for (int i = 0; i < kMaxPageObjects + 2; ++i) many += std::string(kTag) + "></object>";
  Parsed objects(many);
  EXPECT_FALSE(objects.fits);
  EXPECT_EQ(kMaxPageObjects, objects.count());

  std::string params = kTag + std::string(">");
  for (int i = 0; i < kMaxPageParams + 1; ++i) {
    params += "<param name=P" + std::to_string(i) + " value=" + std::to_string(i) + ">";
  }
  Parsed tooManyParams(params + "</object>");
  EXPECT_FALSE(tooManyParams.fits);
  EXPECT_EQ(kMaxPageParams, tooManyParams.objects->paramCount);

  std::string big(kPageTextCapacity, 'v');
  Parsed tooMuchText(std::string(kTag) + "><param name=Big value=\"" + big + "\"></object>");
  EXPECT_FALSE(tooMuchText.fits);
  EXPECT_EQ(0, tooMuchText.objects->paramCount);
  EXPECT_EQ(1, tooMuchText.count());
}

}  // namespace
