// The session launcher's texts; see launch_text.h.
#include "sessions/portable/launch_text.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"

int SessionKindOfCommand(const char* text) {
  if (text == nullptr) return -1;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (strstr(text, SessionProgramTag(kind))) return kind;
  }
  return -1;
}

int KindNeedingCheck(const char* program, const unsigned char* verified) {
  if (program == nullptr) return kProgramOfNoKind;
  const char* name = program;
  for (const char* at = program; *at; ++at) {
    if (*at == '\\') name = at + 1;
  }
  int kind = SessionKindInFileName(name);
  if (kind < 0) return kProgramOfNoKind;
  return verified[kind] == 0 ? kind : -1;
}

int ReuseSlotOfCommand(const char* text) {
  const char* at = text ? strstr(text, "/s") : nullptr;
  if (at == nullptr) return -1;
  const char* digits = at + 2;
  int value = 0;
  // Two characters at most: the table has 99 slots.
  for (int i = 0; i < 2 && digits[i] >= '0' && digits[i] <= '9'; ++i) {
    value = value * 10 + (digits[i] - '0');
  }
  return value > 0 ? value - 1 : 0;
}

bool InstanceTextOf(const char* line, char* out, size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  const char* at = line ? strstr(line, "/s") : nullptr;
  if (at == nullptr && line) at = strstr(line, "/S");
  if (at == nullptr) return false;
  at += 2;
  size_t length = strcspn(at, " ");
  if (!CopyTextN(out, capacity, at, length)) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return true;
}

bool BeginLaunchLine(char* out, size_t capacity, const char* folder, const char* command,
                     int kind, bool desktopMode) {
  bool fits = CopyText(out, capacity, folder);
  size_t length = strlen(out);
  if (length == 0 || out[length - 1] != '\\') fits = AppendText(out, capacity, "\\") && fits;
  fits = AppendText(out, capacity, command) && fits;
  if (!desktopMode && SessionFamilySwitch(kind)) {
    fits = AppendText(out, capacity, SessionFamilySwitch(kind)) && fits;
  }
  return fits;
}

bool FinishLaunchLine(char* out, size_t capacity, int configSwitch,
                      const LaunchGeometry* geometry) {
  char text[96];
  FormatText(text, sizeof text, " /u%d", configSwitch);
  bool fits = AppendText(out, capacity, text);
  if (geometry) {
    FormatText(text, sizeof text, " /*%ld /(%ld /)%ld /_%ld /+%ld", geometry->container,
               geometry->left, geometry->top, geometry->right, geometry->bottom);
    fits = AppendText(out, capacity, text) && fits;
  }
  return AppendText(out, capacity, " /@") && fits;
}

bool ProgramPathOf(const char* line, bool desktopMode, char* out, size_t capacity) {
  const char* extension = strstr(line, desktopMode ? ".EXE" : ".PRO");
  size_t length = extension ? (size_t)(extension + 4 - line) : strlen(line);
  return CopyTextN(out, capacity, line, length);
}
