// Splits a fuzzer's input into zero-terminated texts at NUL bytes, so one
// input can feed operations that take several texts.
#ifndef WEVELINK_TESTS_FUZZ_INPUT_H
#define WEVELINK_TESTS_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

inline std::vector<std::string> SplitInput(const uint8_t* data, size_t size, size_t parts) {
  std::vector<std::string> texts(parts);
  size_t part = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && part + 1 < parts) {
      ++part;
    } else if (data[i] != 0) {
      texts[part].push_back((char)data[i]);
    }
  }
  return texts;
}

#endif
