// Page parameter values and the server location; see page_values.h.
#include "base/portable/page_values.h"

#include <string.h>

#include "base/portable/bounded_text.h"

bool BeginsWithY(const char* value) {
  return value != nullptr && (value[0] == 'Y' || value[0] == 'y');
}

long ParseNumber(const char* value) {
  if (value == nullptr) return 0;
  const char* p = value;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long magnitude = 0;
  const long long limit = 2147483648LL;  // one past the largest positive 32-bit value
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (magnitude < limit) magnitude = magnitude * 10 + (*p - '0');
  }
  if (negative) return magnitude >= limit ? -2147483647L - 1 : -(long)magnitude;
  return magnitude >= limit ? 2147483647L : (long)magnitude;
}

bool ParsePositiveNumber(const char* value, long* number) {
  if (value == nullptr) return false;
  const char* p = value;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '+') ++p;
  const char* digits = p;
  while (*p >= '0' && *p <= '9') ++p;
  if (p == digits) return false;
  const char* end = p;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != '\0') return false;
  long long magnitude = 0;
  for (const char* d = digits; d < end; ++d) {
    if (magnitude < 2147483647LL) magnitude = magnitude * 10 + (*d - '0');
  }
  if (magnitude == 0) return false;
  *number = magnitude > 2147483647LL ? 2147483647L : (long)magnitude;
  return true;
}

const char* LastPathComponent(const char* name) {
  const char* last = name;
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') last = p + 1;
  }
  return last;
}

bool DeriveServerLocation(const char* iniFile, const char* pageAddress, char* serverUrl,
                          size_t serverUrlCapacity, char* iniName, size_t iniNameCapacity) {
  if (iniFile == nullptr) iniFile = "";
  if (pageAddress == nullptr) pageAddress = "";
  bool absolute = strstr(iniFile, "://") != nullptr;
  const char* source = absolute ? iniFile : pageAddress;

  bool fits = CopyTextN(serverUrl, serverUrlCapacity, source, strcspn(source, "?"));
  char* separator = nullptr;
  for (char* p = serverUrl; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') separator = p;
  }
  if (absolute) {
    fits = CopyText(iniName, iniNameCapacity, separator ? separator + 1 : "") && fits;
  } else {
    fits = CopyText(iniName, iniNameCapacity, iniFile) && fits;
  }
  if (separator != nullptr) *separator = '\0';
  return fits;
}
