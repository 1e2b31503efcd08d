// Request targets as the test web server reads them off the connection:
// the path cut from a target is an absolute path without query or
// fragment, a decoded path holds no zero byte, and escaping every byte of
// a decoded path decodes back to it. The whole input is the target.
#include <stdint.h>

#include "fuzz_check.h"
#include "paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string target((const char*)data, size);
  std::string path;
  if (ts::target_path(target, path)) {
    FUZZ_REQUIRE(!path.empty() && path[0] == '/' && path.find_first_of("?#") == std::string::npos);
    FUZZ_REQUIRE(target.find(path) != std::string::npos);
  }
  std::string decoded;
  if (!ts::url_decode(target, decoded)) return 0;
  FUZZ_REQUIRE(decoded.size() <= target.size());
  // Only a zero byte that came in as it is may be in the decoded path.
  if (target.find('\0') == std::string::npos) FUZZ_REQUIRE(decoded.find('\0') == std::string::npos);
  if (target.find('%') == std::string::npos) FUZZ_REQUIRE(decoded == target);
  if (decoded.find('\0') != std::string::npos) return 0;
  std::string escaped;
  for (unsigned char c : decoded) {
    static const char kHex[] = "0123456789abcdef";
    escaped += '%';
    escaped += kHex[c >> 4];
    escaped += kHex[c & 15];
  }
  std::string back;
  FUZZ_REQUIRE(ts::url_decode(escaped, back) && back == decoded);
  return 0;
}
