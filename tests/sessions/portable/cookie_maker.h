// Test cookies: a three-field payload with its checksum, encrypted and Base64-encoded as an issuer
// makes them. Free of the test framework: the cookie fuzzer makes its cookies with it.
#ifndef WEVELINK_TESTS_SESSIONS_NATIVE_COOKIE_MAKER_H
#define WEVELINK_TESTS_SESSIONS_NATIVE_COOKIE_MAKER_H

#include <string>

#include "sessions/portable/blk_cookie.h"

inline std::string Base64(const std::string& bytes) {
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned bits = (unsigned char)bytes[i] << 16;
    if (i + 1 < bytes.size()) bits |= (unsigned char)bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) bits |= (unsigned char)bytes[i + 2];
    text += alphabet[bits >> 18];
    text += alphabet[(bits >> 12) & 63];
    text += i + 1 < bytes.size() ? alphabet[(bits >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? alphabet[bits & 63] : '=';
  }
  return text;
}

// The payload's bytes with their checksum (plus checksumOffset) behind them, encrypted and
// Base64-encoded: the cookie's value; empty when the cipher refuses the bytes.
inline std::string EncodePayload(std::string bytes, int checksumOffset = 0) {
  const unsigned char* data = (const unsigned char*)bytes.data();
  bytes += (char)(CookieChecksum(data, bytes.size()) + checksumOffset);
  unsigned char* cipher = (unsigned char*)&bytes[0];
  if (!DecryptCookiePayload(cipher, (long)bytes.size(), kCookieKey, kCookieKeyLength)) return "";
  return Base64(bytes);
}

inline std::string Payload(const std::string& first, const std::string& second,
                           const std::string& third) {
  return (char)first.size() + first + (char)second.size() + second + '\0' + third;
}

inline std::string MakeCookie(const std::string& first, const std::string& second,
                              const std::string& third) {
  return "blkcookie=" + EncodePayload(Payload(first, second, third));
}

#endif
