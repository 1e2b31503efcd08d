// See server_port.h. The explicit port is read from at most 31 characters
// and only its low 16 bits are kept, as the request flags only care whether
// it is 443.
#include "download/portable/server_port.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/page_values.h"

unsigned short ServerPortFromUrl(const char* url) {
  if (url == nullptr) return 80;
  unsigned short port = strstr(url, "https") != nullptr ? 443 : 80;
  const char* p = strstr(url, "//");
  p = p ? p + 2 : url;
  p += strcspn(p, ":/");
  if (*p == ':') {
    char digits[32];
    CopyTextN(digits, sizeof digits, p + 1, strcspn(p + 1, "/"));
    port = (unsigned short)(ParseNumber(digits) & 0xFFFF);
  }
  return port;
}
