// The stand-in's session kind and mode from its file name; see
// stub_identity.h.
#include "stub_identity.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"

bool StubIdentityFromPath(const char* path, int* kind, bool* desktopMode) {
  if (path == nullptr) return false;
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  }
  const char* dot = strrchr(name, '.');
  if (dot == nullptr) return false;
  char tag[8];
  if (!CopyTextN(tag, sizeof tag, name, (size_t)(dot - name))) return false;
  int found = SessionKindFromTag(tag);
  if (found < 0) return false;
  if (CompareTextNoCase(dot, ".PRO") == 0) {
    *desktopMode = false;
  } else if (CompareTextNoCase(dot, ".EXE") == 0) {
    *desktopMode = true;
  } else {
    return false;
  }
  *kind = found;
  return true;
}
