// Command lines the session stand-in may be given: the parse stays within
// its table and buffers, gives the same table again, and its readings
// (instance number, embedding, switch lookup) stay in their ranges.
#include <stdint.h>

#include <memory>
#include <string>

#include "fuzz_check.h"
#include "stub_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line((const char*)data, size);
  std::unique_ptr<StubCommandLine> parsed(new StubCommandLine), again(new StubCommandLine);
  memset(parsed.get(), 0xA5, sizeof *parsed);
  const bool complete = ParseStubCommandLine(line.c_str(), parsed.get());
  ParseStubCommandLine(line.c_str(), again.get());
  FUZZ_REQUIRE(complete == parsed->complete && memcmp(parsed.get(), again.get(), sizeof *parsed) == 0);
  FUZZ_REQUIRE(memchr(parsed->program, 0, sizeof parsed->program) != nullptr);
  FUZZ_REQUIRE(parsed->switchCount >= 0 && parsed->switchCount <= kStubMaxSwitches);
  for (int i = 0; i < parsed->switchCount; ++i) {
    const StubSwitch& entry = parsed->switches[i];
    FUZZ_REQUIRE(memchr(entry.value, 0, sizeof entry.value) != nullptr);
    FUZZ_REQUIRE(FindStubSwitch(*parsed, entry.name) != nullptr);
    FUZZ_REQUIRE(FindStubSwitch(*parsed, entry.name)->name == entry.name);
  }
  const int instance = StubInstanceNumber(*parsed);
  FUZZ_REQUIRE(instance >= -1 && instance <= 99);
  if (instance == 0) FUZZ_REQUIRE(!FindStubSwitch(*parsed, 's') && !FindStubSwitch(*parsed, 'S'));
  StubEmbedding embedding;
  if (StubEmbeddingOf(*parsed, &embedding)) {
    for (char name : {'*', '(', ')', '_', '+'}) FUZZ_REQUIRE(FindStubSwitch(*parsed, name) != nullptr);
  }
  const StubSwitch* file = FindStubSwitch(*parsed, 'f');
  FUZZ_REQUIRE(file == nullptr || file->name == 'f');
  return 0;
}
