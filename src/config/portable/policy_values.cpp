// Policy values; see policy_values.h.
#include "config/portable/policy_values.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

struct UrlParts {
  char scheme[16];
  char host[260];
  long port;
  const char* path;  // "" when the URL has none
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

bool ReadUrl(const char* url, UrlParts* parts) {
  const char* separator = url ? strstr(url, "://") : nullptr;
  if (separator == nullptr || separator == url) return false;
  if (!CopyTextN(parts->scheme, sizeof parts->scheme, url, (size_t)(separator - url)))
    return false;
  for (char* c = parts->scheme; *c; ++c) *c = Lower(*c);
  const char* authority = separator + 3;
  size_t length = strcspn(authority, "/?#");
  // A user name in front of the host, an escaped or a backslashed host can
  // make two readers see two hosts: such a URL is under no prefix.
  for (size_t i = 0; i < length; ++i) {
    if (strchr("\\%@", authority[i])) return false;
  }
  const char* colon = (const char*)memchr(authority, ':', length);
  size_t hostLength = colon ? (size_t)(colon - authority) : length;
  if (hostLength == 0 || !CopyTextN(parts->host, sizeof parts->host, authority, hostLength))
    return false;
  for (char* c = parts->host; *c; ++c) *c = Lower(*c);
  if (strcmp(parts->scheme, "https") == 0) {
    parts->port = 443;
  } else if (strcmp(parts->scheme, "http") == 0) {
    parts->port = 80;
  } else {
    parts->port = 0;
  }
  if (colon) {
    const char* digits = colon + 1;
    size_t count = length - hostLength - 1;
    if (count == 0 || count > 5) return false;
    long port = 0;
    for (size_t i = 0; i < count; ++i) {
      if (digits[i] < '0' || digits[i] > '9') return false;
      port = port * 10 + (digits[i] - '0');
    }
    parts->port = port;
  }
  parts->path = authority + length;
  // "." and ".." segments, plain or escaped, and backslashes are resolved
  // by the platform after this comparison: a path holding one could leave
  // the prefix it seems to be under.
  for (const char* at = parts->path; *at && *at != '?' && *at != '#'; ++at) {
    if (*at == '\\' || (*at == '%' && at[1] == '2' && Lower(at[2]) == 'e')) return false;
    if (*at == '/' && at[1] == '.') {
      const char* after = at[2] == '.' ? at + 3 : at + 2;
      if (*after == '\0' || *after == '/' || *after == '?' || *after == '#') return false;
    }
  }
  return true;
}

}  // namespace

bool UrlIsUnderPrefix(const char* url, const char* prefix) {
  UrlParts a = {};
  UrlParts p = {};
  if (!ReadUrl(url, &a) || !ReadUrl(prefix, &p)) return false;
  if (strcmp(a.scheme, p.scheme) != 0 || strcmp(a.host, p.host) != 0 || a.port != p.port)
    return false;
  size_t pathLength = strcspn(p.path, "?#");
  while (pathLength > 0 && p.path[pathLength - 1] == '/') --pathLength;
  if (strncmp(a.path, p.path, pathLength) != 0) return false;
  char next = a.path[pathLength];
  return next == '\0' || next == '/' || next == '?' || next == '#';
}

bool NormalizeThumbprint(const char* text, char* out, size_t capacity) {
  if (capacity < kThumbprintCapacity) return false;
  size_t length = 0;
  for (const char* c = text; c && *c; ++c) {
    if (*c == ' ' || *c == '\t') continue;
    char upper = *c >= 'a' && *c <= 'f' ? (char)(*c - 'a' + 'A') : *c;
    bool hex = (upper >= '0' && upper <= '9') || (upper >= 'A' && upper <= 'F');
    if (!hex || length == kThumbprintCapacity - 1) {
      out[0] = '\0';
      return false;
    }
    out[length++] = upper;
  }
  out[length] = '\0';
  if (length == kThumbprintCapacity - 1) return true;
  out[0] = '\0';
  return false;
}
