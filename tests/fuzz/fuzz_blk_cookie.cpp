// Single-sign-on cookies from a hostile server. The first input byte picks
// the form: even, the rest is the response text as it came; odd, the rest
// is a payload that gets its checksum, the cipher, Base64 and the cookie
// name, so that the length bytes behind a valid checksum get explored too.
// The next three bytes size the outputs, each allocated to exactly that
// size so that the sanitizer sees a byte past it; an error must leave all
// of them as they were. A cookie that decodes holds its payload's fields
// and issued again decodes to the same fields.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "cookie_maker.h"
#include "sessions/portable/blk_cookie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  size_t capacities[3] = {(size_t)data[1] % 40, (size_t)data[2] % 40, (size_t)data[3] * 2};
  std::string rest((const char*)data + 4, size - 4);
  std::string text;
  if (data[0] & 1) {
    text = "blkcookie=" + EncodePayload(rest) + ";";
  } else {
    text.assign(rest.c_str());  // up to the first zero byte, as the driver's buffer holds it
  }

  std::vector<unsigned char*> buffers;
  for (size_t capacity : capacities) {
    unsigned char* buffer = (unsigned char*)malloc(capacity ? capacity : 1);
    memset(buffer, '#', capacity);
    buffers.push_back(buffer);
  }
  unsigned long thirdLength = 0xABCD;
  long result = blk_ParseCookie(text.c_str(), (char*)buffers[0], capacities[0], (char*)buffers[1], capacities[1],
                                buffers[2], capacities[2], &thirdLength);
  if (result == kCookieOk) {
    if (memchr(buffers[0], 0, capacities[0]) == nullptr || memchr(buffers[1], 0, capacities[1]) == nullptr ||
        thirdLength >= capacities[2] || buffers[2][thirdLength] != 0)
      abort();
    const std::string first((const char*)buffers[0]), second((const char*)buffers[1]);
    const std::string third((const char*)buffers[2], thirdLength);
    if (data[0] & 1) {
      // The fields are the payload's own, by its length bytes.
      const size_t length1 = (unsigned char)rest[0], length2 = (unsigned char)rest[1 + length1];
      if (rest.size() != length1 + length2 + 3 + thirdLength || memcmp(buffers[0], &rest[1], length1) != 0 ||
          buffers[0][length1] != 0 || memcmp(buffers[1], &rest[2 + length1], length2) != 0 ||
          buffers[1][length2] != 0 || third != rest.substr(3 + length1 + length2))
        abort();
    }
    // What was decoded, issued again, decodes to the same fields.
    char again[2][40];
    unsigned char againThird[512];
    unsigned long againLength = 0;
    if (blk_ParseCookie(MakeCookie(first, second, third).c_str(), again[0], capacities[0], again[1], capacities[1],
                        againThird, capacities[2], &againLength) != kCookieOk ||
        first != again[0] || second != again[1] || third != std::string((const char*)againThird, againLength))
      abort();
  } else {
    if (result != kCookieInvalid || thirdLength != 0xABCD) abort();
    for (int i = 0; i < 3; ++i)
      for (size_t j = 0; j < capacities[i]; ++j)
        if (buffers[i][j] != '#') abort();
  }
  for (unsigned char* buffer : buffers) free(buffer);
  return 0;
}
