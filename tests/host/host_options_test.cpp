// The container's command line: the option names outside scripts use.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "host_options.h"

namespace {

struct Result {
  bool ok;
  HostOptions options;
  std::string error;
};

Result Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "wevelink-host.exe");
  Result result;
  char error[256];
  result.ok = ParseHostOptions((int)arguments.size(), arguments.data(), &result.options, error,
                               sizeof error);
  result.error = error;
  return result;
}

TEST(ParseHostOptions, PagesAloneTakeTheDefaults) {
  Result result = Parse({"http://127.0.0.1:8080/page.htm", "C:\\pages\\local.htm"});
  ASSERT_TRUE(result.ok) << result.error;
  const HostOptions& options = result.options;
  ASSERT_EQ(2, options.pageCount);
  EXPECT_STREQ("http://127.0.0.1:8080/page.htm", options.pages[0]);
  EXPECT_STREQ("C:\\pages\\local.htm", options.pages[1]);
  EXPECT_EQ(nullptr, options.modulePath);
  EXPECT_EQ(nullptr, options.tracePath);
  EXPECT_EQ(nullptr, options.boxesPath);
  EXPECT_EQ(nullptr, options.untilPath);
  EXPECT_STREQ(kControlClsid, options.clsid);
  EXPECT_EQ(2000u, options.stayMs);
  EXPECT_FALSE(options.stayGiven);
  EXPECT_EQ(300u, options.boxDelayMs);
  EXPECT_FALSE(options.help);
}

TEST(ParseHostOptions, EveryOptionInBothForms) {
  Result result = Parse({"--module", "C:\\x\\WEVELINK.OCX", "--trace=t.txt", "page1",
                         "--boxes", "b.txt", "--box-delay=50", "--stay", "0", "--until",
                         "done.flag", "--clsid=5D3C6B1E-7A41-4F0B-9C2E-3B8F1A6D0C52", "page2"});
  ASSERT_TRUE(result.ok) << result.error;
  const HostOptions& options = result.options;
  EXPECT_STREQ("C:\\x\\WEVELINK.OCX", options.modulePath);
  EXPECT_STREQ("t.txt", options.tracePath);
  EXPECT_STREQ("b.txt", options.boxesPath);
  EXPECT_STREQ("done.flag", options.untilPath);
  EXPECT_STREQ("5D3C6B1E-7A41-4F0B-9C2E-3B8F1A6D0C52", options.clsid);
  EXPECT_EQ(50u, options.boxDelayMs);
  EXPECT_EQ(0u, options.stayMs);
  EXPECT_TRUE(options.stayGiven);
  ASSERT_EQ(2, options.pageCount);
  EXPECT_STREQ("page1", options.pages[0]);
  EXPECT_STREQ("page2", options.pages[1]);
}

TEST(ParseHostOptions, HelpNeedsNoPage) {
  for (const char* spelling : {"--help", "-h", "/?"}) {
    SCOPED_TRACE(spelling);
    Result result = Parse({spelling});
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.options.help);
  }
  std::string usage = HostUsageText();
  for (const char* option :
       {"--module", "--clsid", "--stay", "--until", "--trace", "--boxes", "--box-delay", "--send",
        "--keep-container", "--site-after-load", "--help"}) {
    EXPECT_NE(std::string::npos, usage.find(option)) << option;
  }
}

TEST(ParseHostOptions, DoubleDashEndsTheOptions) {
  Result result = Parse({"--stay", "5", "--", "--trace", "-page"});
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(2, result.options.pageCount);
  EXPECT_STREQ("--trace", result.options.pages[0]);
  EXPECT_STREQ("-page", result.options.pages[1]);
  EXPECT_EQ(nullptr, result.options.tracePath);
}

TEST(ParseHostOptions, UnusableArgumentsAreRefusedWithAReason) {
  struct Case {
    std::vector<const char*> arguments;
    const char* error;
  } cases[] = {
      {{}, "no page given"},
      {{"--stay", "100"}, "no page given"},
      {{"page", "--verbose"}, "unknown option: --verbose"},
      {{"page", "--stay"}, "missing value for: --stay"},
      {{"page", "--stay", "2s"}, "bad --stay: 2s"},
      {{"page", "--stay="}, "empty value"},
      {{"page", "--box-delay", "-1"}, "bad --box-delay: -1"},
      {{"page", "--stay", "99999999999"}, "bad --stay: 99999999999"},
      {{"page", "--clsid", "{01D62088-DB72-4D35-AE5C}"}, "not a class id"},
      {{"page", "--clsid", "{01D62088-DB72-4D35-AE5C-E5861904B675"}, "not a class id"},
      {{"page", "--trace="}, "empty value"},
      {{"--send", "shake"}, "not a container command: shake"},
      {{"--send", "paint", "page"}, "--send takes no page"},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    Result result = Parse(cases[i].arguments);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(0u, result.error.find(cases[i].error)) << result.error;
  }
}

TEST(ParseHostCommand, NamesAndSizes) {
  const struct {
    const char* text;
    HostCommand command;
    unsigned width, height;
  } cases[] = {
      {"focus", kCommandFocus, 0, 0},       {"blur", kCommandBlur, 0, 0},
      {"paint", kCommandPaint, 0, 0},       {"destroy", kCommandDestroy, 0, 0},
      {"subclass", kCommandSubclass, 0, 0},
      {"resize=640x480", kCommandResize, 640, 480},
      {"resize=1x32767", kCommandResize, 1, 32767},
      {"resize=0x10", kCommandNone, 0, 0},  {"resize=32768x10", kCommandNone, 0, 0},
      {"resize=640x", kCommandNone, 0, 0},  {"resize=640x480x", kCommandNone, 0, 0},
      {"resize=64O", kCommandNone, 0, 0},   {"resize=0000000001x1", kCommandNone, 0, 0},
      {"Focus", kCommandNone, 0, 0},        {"", kCommandNone, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned width = 9, height = 9;
    EXPECT_EQ(c.command, ParseHostCommand(c.text, &width, &height));
    EXPECT_EQ(c.width, width);
    EXPECT_EQ(c.height, height);
  }
  Result result = Parse({"--send=resize=300x200"});
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_STREQ("resize=300x200", result.options.send);
  result = Parse({"--keep-container", "--site-after-load", "page"});
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(result.options.keepContainer);
  EXPECT_TRUE(result.options.siteAfterLoad);
}

TEST(ParseHostOptions, TooManyPagesIsAnError) {
  std::vector<const char*> pages(kMaxHostPages + 1, "page");
  Result result = Parse(pages);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(0u, result.error.find("too many pages")) << result.error;
  pages.pop_back();
  EXPECT_TRUE(Parse(pages).ok);
}

}  // namespace
