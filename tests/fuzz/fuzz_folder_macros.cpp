// Shortcut values from a hostile initialization file: every expansion of
// "%qy%" and "%kv%" stays within its field, whatever the folder holds.
#include <stdint.h>

#include "config/portable/folder_macros.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> in = SplitInput(data, size, 2);
  char url[260], target[260];
  ExpandKindUrl(in[0].c_str(), in[1].c_str(), url, sizeof url);
  ExpandCustomTarget(in[0].c_str(), in[1].c_str(), true, target, sizeof target);
  ExpandCustomTarget(in[0].c_str(), in[1].c_str(), false, target, sizeof target);
  return 0;
}
