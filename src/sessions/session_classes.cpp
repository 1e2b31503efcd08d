// Session kinds' program tags and window class prefixes; see
// session_classes.h. Two blanks stand on each side of every hyphen.
#include "sessions/session_classes.h"

#include "common/bounded_text.h"

namespace {

const char* const kProgramTags[kSessionKinds] = {
    "KVMD", "KVMP", "KVAD", "KVAP", "KVFTP", "KVVT"};

// [kind][0] web mode, [kind][1] desktop mode.
const char* const kClassPrefixes[kSessionKinds][2] = {
    {"qy3270 Mainframe Display  -  S", "Kestrava Mainframe Display  -  S"},
    {"qy3270 Mainframe Printer  -  P", "Kestrava Mainframe Printer  -  P"},
    {"qy5250 AS/400 Display  -  S", "Kestrava AS/400 Display  -  S"},
    {"qy5250 AS/400 Printer  -  P", "Kestrava AS/400 Printer  -  P"},
    {"Kestrava Secure FTP  -  T", "Kestrava Secure FTP  -  T"},
    {"qZVT  -  S", "Kestrava VT  -  S"},
};

bool IsKind(int kind) { return kind >= 0 && kind < kSessionKinds; }

}  // namespace

const char* SessionProgramTag(int kind) {
  return IsKind(kind) ? kProgramTags[kind] : nullptr;
}

int SessionKindFromTag(const char* tag) {
  if (tag == nullptr) return -1;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (CompareTextNoCase(tag, kProgramTags[kind]) == 0) return kind;
  }
  return -1;
}

const char* SessionWindowClassPrefix(int kind, bool desktopMode) {
  return IsKind(kind) ? kClassPrefixes[kind][desktopMode ? 1 : 0] : nullptr;
}

bool FormatSessionWindowClass(char* out, size_t capacity, int kind, bool desktopMode,
                              int instance) {
  if (!IsKind(kind) || instance < 1 || instance > kSessionInstances) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return FormatText(out, capacity, "%s%d", kClassPrefixes[kind][desktopMode ? 1 : 0],
                    instance);
}
