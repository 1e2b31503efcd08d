// Command lines the session stand-in may be given.
#include <stdint.h>

#include <string>

#include "stub_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line((const char*)data, size);
  StubCommandLine parsed;
  if (ParseStubCommandLine(line.c_str(), &parsed)) {
    StubInstanceNumber(parsed);
    StubEmbedding embedding;
    StubEmbeddingOf(parsed, &embedding);
    FindStubSwitch(parsed, 'f');
  }
  return 0;
}
