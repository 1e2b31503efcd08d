// Splits a fuzzer's input into zero-terminated texts at NUL bytes, so one
// input can feed operations that take several texts.
#ifndef WEVELINK_TESTS_FUZZ_INPUT_H
#define WEVELINK_TESTS_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"

// Bytes after the last part's start, zeros included, go to the last part
// without their zeros. The split is the harness's own work, kept out of the
// coverage feedback (fuzz_check.h).
FUZZ_HARNESS_ONLY inline std::vector<std::string> SplitInput(const uint8_t* data, size_t size,
                                                             size_t parts) {
  std::vector<std::string> texts(parts ? parts : 1);
  size_t part = 0;
  const uint8_t* at = data;
  const uint8_t* const end = data + size;
  while (at < end) {
    const uint8_t* zero = (const uint8_t*)memchr(at, 0, (size_t)(end - at));
    texts[part].append((const char*)at, (size_t)((zero ? zero : end) - at));
    if (zero == nullptr) break;
    if (part + 1 < texts.size()) ++part;
    at = zero + 1;
  }
  return texts;
}

#endif
