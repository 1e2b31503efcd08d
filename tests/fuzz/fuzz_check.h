// What the fuzz targets assert: a violated invariant traps, so libFuzzer
// keeps the input as a crash like any sanitizer report. Output buffers are
// heap blocks of exactly the capacity handed over, so ASan sees the first
// byte past them.
#ifndef WEVELINK_TESTS_FUZZ_CHECK_H
#define WEVELINK_TESTS_FUZZ_CHECK_H

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include <string>

// The harness's own bookkeeping, left out of the coverage feedback: its
// comparisons are not the code under test (tracing the session-list
// target's scan of the page's parameters took a third of its time).
#define FUZZ_HARNESS_ONLY __attribute__((no_sanitize("coverage")))

#define FUZZ_REQUIRE(condition) \
  do {                          \
    if (!(condition)) __builtin_trap(); \
  } while (0)

// A buffer of capacity bytes (at least one allocated), filled with a byte
// no text operation writes, so a missing terminator shows.
class FuzzBuffer {
 public:
  explicit FuzzBuffer(size_t capacity)
      : capacity_(capacity), bytes_((char*)malloc(capacity ? capacity : 1)) {
    memset(bytes_, 0x7F, capacity ? capacity : 1);
  }
  ~FuzzBuffer() { free(bytes_); }
  FuzzBuffer(const FuzzBuffer&) = delete;
  FuzzBuffer& operator=(const FuzzBuffer&) = delete;

  char* data() { return bytes_; }
  size_t capacity() const { return capacity_; }
  // The text, after checking that it is terminated within the capacity.
  std::string Text() const {
    FUZZ_REQUIRE(capacity_ > 0 && memchr(bytes_, 0, capacity_) != nullptr);
    return std::string(bytes_);
  }

 private:
  size_t capacity_;
  char* bytes_;
};

inline bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// What a bounded operation must leave when the whole text did not fit:
// the first capacity - 1 characters of it.
inline bool IsCutOf(const std::string& cut, const std::string& whole, size_t capacity) {
  return whole.size() >= capacity && cut.size() == capacity - 1 && StartsWith(whole, cut);
}

inline std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return text;
}

inline std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return text;
}

// A reference reading of atol clamped to 32 bits: the characters of
// blanks skipped at the start, a sign, then digits up to the first other
// character.
inline long long ReferenceClampedNumber(const std::string& text, const char* blanks) {
  size_t at = 0;
  while (at < text.size() && text[at] != '\0' && strchr(blanks, text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (value <= 2147483648LL) value = value * 10 + (text[at] - '0');
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return 2147483647LL;
  if (value < -2147483648LL) return -2147483648LL;
  return value;
}

#endif
