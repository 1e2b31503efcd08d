// Shortcut labels, targets and group names from a hostile initialization
// file, and the browser's open command from the registry: a link's file
// name never holds a character that would name another folder, a split
// target joins back to the target, and a Program Manager argument is the
// text as it stands or quoted, never one that could end the command. The
// first byte sizes the outputs; the rest is the text.
#include <stdint.h>

#include "desktop/portable/shortcut_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = 1 + data[0];
  const std::string text(std::string((const char*)data + 1, size - 1).c_str());

  FuzzBuffer link(capacity);
  bool replaced = true;
  // Whole or cut, the name holds no character a file name cannot.
  const bool fits = LinkFileNameOf(text.c_str(), link.data(), capacity, &replaced);
  const std::string name = link.Text();
  FUZZ_REQUIRE(fits ? name.size() == text.size()
                    : text.size() >= capacity && name.size() == capacity - 1);
  bool forbidden = false;
  for (size_t i = 0; i < name.size(); ++i) {
    FUZZ_REQUIRE((unsigned char)name[i] >= 32 && !strchr("\\/:*?\"<>|", name[i]));
    FUZZ_REQUIRE(name[i] == text[i] || name[i] == '-');
    forbidden = forbidden || name[i] != text[i];
  }
  FUZZ_REQUIRE(replaced == forbidden);

  FuzzBuffer program(capacity), arguments(capacity);
  if (SplitCustomTarget(text.c_str(), program.data(), capacity, arguments.data(), capacity)) {
    const size_t blank = text.find(' ');
    FUZZ_REQUIRE(blank == std::string::npos ? program.Text() == text && arguments.Text().empty()
                                            : program.Text() + " " + arguments.Text() == text);
  } else {
    FUZZ_REQUIRE(text.size() >= capacity);
    (void)program.Text();
    (void)arguments.Text();
  }

  FuzzBuffer argument(capacity);
  const bool unsafe = text.find_first_of("\"[]") != std::string::npos;
  const std::string quoted = text.find_first_of("(),") != std::string::npos ? "\"" + text + "\"" : text;
  if (ProgmanArgument(text.c_str(), argument.data(), capacity)) {
    FUZZ_REQUIRE(!unsafe && argument.Text() == quoted);
  } else {
    FUZZ_REQUIRE(argument.Text().empty() && (unsafe || quoted.size() >= capacity));
  }

  std::string command = text;
  CutBrowserCommand(&command[0]);
  FUZZ_REQUIRE(StartsWith(text, command.c_str()));
  FUZZ_REQUIRE(IsUrlTarget(text.c_str()) == (text.find(":/") != std::string::npos));
  FUZZ_REQUIRE(IsPlainGroupName(text.c_str()) == (text.find_first_of("\\/:") == std::string::npos));
  const char* browser = BrowserProgramOf(text.c_str());
  FUZZ_REQUIRE(browser == nullptr || strcmp(browser, "IEXPLORE.EXE") == 0 || strcmp(browser, "NETSCAPE.EXE") == 0);
  return 0;
}
