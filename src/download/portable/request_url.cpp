// See request_url.h. Every output goes through the bounded text helpers or
// a checked index; nothing here allocates.
#include "download/portable/request_url.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

const char kFileScheme[] = "file://";
const size_t kNameCapacity = 260;

// Start of "file://" in text, any letter case, or null.
const char* FindFileScheme(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (StartsWithNoCase(p, kFileScheme)) return p;
  }
  return nullptr;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDriveStart(const char* p) {
  bool letter = (p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z');
  return letter && (p[1] == ':' || p[1] == '|') && (p[2] == '\0' || p[2] == '/' || p[2] == '\\');
}

// Appends one character; false (and nothing written) when no room is left
// for it and the terminator.
bool PutChar(char* out, size_t capacity, size_t* length, char c) {
  if (*length + 1 >= capacity) return false;
  out[(*length)++] = c;
  out[*length] = '\0';
  return true;
}

// Appends src with "/" turned into "\" and "%XX" decoded. False for "%00":
// the path would end there and name some other file.
bool AppendPathText(char* out, size_t capacity, size_t* length, const char* src) {
  for (const char* p = src; *p; ++p) {
    char c = *p;
    if (c == '/') {
      c = '\\';
    } else if (c == '%' && HexValue(p[1]) >= 0 && HexValue(p[2]) >= 0) {
      c = (char)(HexValue(p[1]) * 16 + HexValue(p[2]));
      if (c == '\0') return false;
      p += 2;
    }
    if (!PutChar(out, capacity, length, c)) return false;
  }
  return true;
}

}  // namespace

unsigned long RequestFlagsForPort(unsigned short port, bool laxCertificates) {
  if (port != 443) return kPlainRequestFlags;
  return laxCertificates ? kLaxSecureRequestFlags : kSecureRequestFlags;
}

bool FormRequestUrl(const char* serverUrl, const char* fileName, char* url, size_t capacity) {
  bool fits = CopyText(url, capacity, serverUrl);
  size_t length = strlen(url);
  if (fits && (length == 0 || url[length - 1] != '/')) fits = AppendText(url, capacity, "/");
  if (fits) fits = AppendText(url, capacity, fileName);
  return fits;
}

bool IsFileUrl(const char* serverUrl) {
  return serverUrl != nullptr && FindFileScheme(serverUrl) != nullptr;
}

bool FileUrlToPath(const char* serverUrl, char* path, size_t capacity) {
  if (capacity == 0) return false;
  path[0] = '\0';
  const char* scheme = serverUrl ? FindFileScheme(serverUrl) : nullptr;
  if (!scheme) return false;
  const char* rest = scheme + strlen(kFileScheme);
  size_t length = 0;

  if (StartsWithNoCase(rest, "localhost/")) rest += strlen("localhost/");
  if (*rest == '/') {
    ++rest;  // "file:///C:/dir": the empty host
    if (*rest == '/') {
      // "file:////host/share": a UNC path written after an empty host.
      while (*rest == '/') ++rest;
      if (!AppendText(path, capacity, "\\\\")) return false;
      length = strlen(path);
      return AppendPathText(path, capacity, &length, rest);
    }
  }
  if (IsDriveStart(rest)) {
    if (!PutChar(path, capacity, &length, rest[0]) || !PutChar(path, capacity, &length, ':'))
      return false;
    return AppendPathText(path, capacity, &length, rest + 2);
  }
  if (rest != scheme + strlen(kFileScheme)) {
    // "file:///dir" without a drive: a path on the current drive.
    if (!PutChar(path, capacity, &length, '\\')) return false;
    return AppendPathText(path, capacity, &length, rest);
  }
  // "file://host/share": the host names a network share.
  if (!AppendText(path, capacity, "\\\\")) return false;
  length = strlen(path);
  return AppendPathText(path, capacity, &length, rest);
}

bool FormLocalPath(const char* folder, const char* fileName, char* path, size_t capacity) {
  bool fits = CopyText(path, capacity, folder);
  size_t length = strlen(path);
  if (fits && (length == 0 || path[length - 1] != '\\')) fits = AppendText(path, capacity, "\\");
  if (!fits) return false;
  length = strlen(path);
  for (const char* p = fileName ? fileName : ""; *p; ++p) {
    if (!PutChar(path, capacity, &length, *p == '/' ? '\\' : *p)) return false;
  }
  return true;
}
