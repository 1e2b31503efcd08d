// Shortcut texts: link names from labels, the browser's open command and custom targets.
#include <gtest/gtest.h>

#include <string>

#include "desktop/portable/shortcut_text.h"

namespace {

TEST(ShortcutText, LabelsBecomeFileNamesInTheDesktopFolder) {
  const struct {
    const char* label;
    const char* name;
    bool replaced;
  } cases[] = {
      {"Host Sessions", "Host Sessions", false}, {"AS/400 Display", "AS-400 Display", true},
      {"..\\..\\x", "..-..-x", true},           {"a:b*c?d\"e<f>g|h\ti", "a-b-c-d-e-f-g-h-i", true},
      {"", "", false},
  };
  for (const auto& c : cases) {
    char name[64];
    bool replaced = !c.replaced;
    EXPECT_TRUE(LinkFileNameOf(c.label, name, sizeof name, &replaced));
    EXPECT_STREQ(c.name, name);
    EXPECT_EQ(c.replaced, replaced);
  }
}

TEST(ShortcutText, BrowserCommands) {
  const struct {
    const char* command;
    const char* cut;
  } cases[] = {
      {"\"C:\\Program Files\\iexplore.exe\" \"%1\"", "\"C:\\Program Files\\iexplore.exe\""},
      {"C:\\nav\\netscape.exe -url \"%1\"", "C:\\nav\\netscape.exe -url"},
      {"\"%1\"", ""},
      {"x\"", ""},
  };
  for (const auto& c : cases) {
    char command[260];
    snprintf(command, sizeof command, "%s", c.command);
    CutBrowserCommand(command);
    EXPECT_STREQ(c.cut, command);
  }
}

TEST(ShortcutText, CustomTargets) {
  const struct {
    const char* target;
    bool url;
    const char* program;
    const char* arguments;
  } cases[] = {
      {"C:\\Tools\\app.exe -s 1", false, "C:\\Tools\\app.exe", "-s 1"},
      {"C:\\Program Files\\x.exe", false, "C:\\Program", "Files\\x.exe"},
      {"C:\\Tools\\app.exe", false, "C:\\Tools\\app.exe", ""},
      {"http://host/tso.htm", true, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.url, IsUrlTarget(c.target)) << c.target;
    if (c.url) continue;
    char program[260], arguments[260];
    EXPECT_TRUE(SplitCustomTarget(c.target, program, sizeof program, arguments, sizeof arguments));
    EXPECT_STREQ(c.program, program);
    EXPECT_STREQ(c.arguments, arguments);
  }
}

TEST(ShortcutText, ProgramManagerArguments) {
  const struct {
    const char* text;
    const char* sent;  // null: refused
  } cases[] = {
      {"", ""},
      {"Hosts (test), 2", "\"Hosts (test), 2\""},
      {"C:\\PROGRA~1\\MARROCK\\KESTRAVA\\KVMD.EXE", "C:\\PROGRA~1\\MARROCK\\KESTRAVA\\KVMD.EXE"},
      {"x)][DeleteGroup(y", nullptr},
      {"say \"hi\"", nullptr},
  };
  for (const auto& c : cases) {
    char sent[64] = "unchanged";
    EXPECT_EQ(c.sent != nullptr, ProgmanArgument(c.text, sent, sizeof sent)) << c.text;
    EXPECT_STREQ(c.sent ? c.sent : "", sent);
  }
  char small[4];
  EXPECT_FALSE(ProgmanArgument("a, b", small, sizeof small));
}

TEST(ShortcutText, GroupNamesThatAreNoPath) {
  for (const char* path : {"..\\..\\evil", "C:\\evil", "a/b", "x:y"}) {
    EXPECT_FALSE(IsPlainGroupName(path)) << path;
  }
}

}  // namespace
