// Shortcut texts; see shortcut_text.h.
#include "desktop/portable/shortcut_text.h"

#include <string.h>

#include "base/portable/bounded_text.h"

bool LinkFileNameOf(const char* label, char* out, size_t capacity, bool* replaced) {
  *replaced = false;
  // A cut copy is made a file name too: callers may still use it.
  bool fits = CopyText(out, capacity, label);
  for (char* p = out; *p; ++p) {
    if ((unsigned char)*p < 32 || strchr("\\/:*?\"<>|", *p)) {
      *p = '-';
      *replaced = true;
    }
  }
  return fits;
}

void CutBrowserCommand(char* command) {
  size_t length = strlen(command);
  if (length > 0 && command[length - 1] == '"') command[length < 5 ? 0 : length - 5] = '\0';
}

const char* BrowserProgramOf(const char* command) {
  if (strstr(command, "iexplore")) return "IEXPLORE.EXE";
  if (strstr(command, "netscape")) return "NETSCAPE.EXE";
  return nullptr;
}

bool IsUrlTarget(const char* target) { return strstr(target, ":/") != nullptr; }

bool SplitCustomTarget(const char* target, char* program, size_t programCapacity,
                       char* arguments, size_t argumentsCapacity) {
  const char* blank = strchr(target, ' ');
  if (!blank) {
    if (argumentsCapacity > 0) arguments[0] = '\0';
    return CopyText(program, programCapacity, target);
  }
  bool fits = CopyTextN(program, programCapacity, target, (size_t)(blank - target));
  return CopyText(arguments, argumentsCapacity, blank + 1) && fits;
}

bool ProgmanArgument(const char* text, char* out, size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  if (strpbrk(text, "\"[]")) return false;
  bool fits = strpbrk(text, "(),") ? FormatText(out, capacity, "\"%s\"", text)
                                   : CopyText(out, capacity, text);
  if (!fits && capacity > 0) out[0] = '\0';
  return fits;
}

bool IsPlainGroupName(const char* name) { return strpbrk(name, "\\/:") == nullptr; }
