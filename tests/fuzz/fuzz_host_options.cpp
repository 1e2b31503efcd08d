// The test container's command line, which scripts and outside checks
// write: a parse that succeeds holds only its own arguments, at most 32
// pages and a command it can carry out; one that fails says why within its
// buffer. The first byte sizes the error buffer; the rest is the
// arguments, separated by zero bytes.
#include <stdint.h>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "host_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = 1 + data[0] % 128;
  std::vector<std::string> arguments = SplitInput(data + 1, size - 1, 40);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  auto owned = [&](const char* text) {
    for (const std::string& argument : arguments)
      if (text >= argument.c_str() && text <= argument.c_str() + argument.size()) return true;
    return false;
  };

  HostOptions options, again;
  FuzzBuffer error(capacity), errorAgain(capacity);
  const bool parsed = ParseHostOptions((int)argv.size(), argv.data(), &options, error.data(), capacity);
  FUZZ_REQUIRE(parsed == ParseHostOptions((int)argv.size(), argv.data(), &again, errorAgain.data(), capacity));
  FUZZ_REQUIRE(error.Text() == errorAgain.Text());
  if (!parsed) {
    FUZZ_REQUIRE(capacity == 1 || !error.Text().empty());
    return 0;
  }
  FUZZ_REQUIRE(options.pageCount >= 0 && options.pageCount <= kMaxHostPages);
  FUZZ_REQUIRE(options.pageCount > 0 || options.help || options.send);
  for (int i = 0; i < options.pageCount; ++i) FUZZ_REQUIRE(owned(options.pages[i]));
  for (const char* text : {options.modulePath, options.tracePath, options.boxesPath, options.untilPath}) {
    FUZZ_REQUIRE(text == nullptr || owned(text));
  }
  FUZZ_REQUIRE(strcmp(options.clsid, kControlClsid) == 0 || owned(options.clsid));
  if (options.send) {
    FUZZ_REQUIRE(owned(options.send) && options.pageCount == 0);
    unsigned width = 0, height = 0;
    const HostCommand command = ParseHostCommand(options.send, &width, &height);
    FUZZ_REQUIRE(command > kCommandNone && command <= kCommandSubclass);
    FUZZ_REQUIRE(command == kCommandResize ? width >= 1 && width <= 32767 && height >= 1 && height <= 32767
                                           : width == 0 && height == 0);
  }
  return 0;
}
