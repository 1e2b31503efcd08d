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

// The launcher's foreground wait looks for these as well as the class
// prefixes above: they differ for FTP and in the case of web-mode VT.
const char* const kLauncherPrefixes[kSessionKinds][2] = {
    {"qy3270 Mainframe Display  -  S", "Kestrava Mainframe Display  -  S"},
    {"qy3270 Mainframe Printer  -  P", "Kestrava Mainframe Printer  -  P"},
    {"qy5250 AS/400 Display  -  S", "Kestrava AS/400 Display  -  S"},
    {"qy5250 AS/400 Printer  -  P", "Kestrava AS/400 Printer  -  P"},
    {"qyFTP  -  T", "Kestrava FTP  -  T"},
    {"qyVT  -  S", "Kestrava VT  -  S"},
};

// Appended to web-mode command lines for the older session programs.
const char* const kFamilySwitches[kSessionKinds] = {
    " /qy3270D", " /qy3270P", " /qy5250D", " /qy5250P", " /qyFTP", " /qyVT"};

// Mainframe, iSeries, FTP, VT: the four component folders.
const int kComponentGroups[kSessionKinds] = {0, 0, 1, 1, 2, 3};

// Keys whose existence (with the instance text appended) says that an
// instance has a saved configuration, in the order they are tried.
const char* const kDesktopConfigKeys[kSessionKinds][2] = {
    {"Software\\MARROCK\\Kestrava\\Mainframe Display S", "Software\\Dovrel\\Kestrava\\Mainframe Display S"},
    {"Software\\MARROCK\\Kestrava\\Mainframe Printer P", "Software\\Dovrel\\Kestrava\\Mainframe Printer P"},
    {"Software\\MARROCK\\Kestrava\\AS/400 Display S", "Software\\Dovrel\\Kestrava\\AS/400 Display S"},
    {"Software\\MARROCK\\Kestrava\\AS/400 Printer P", "Software\\Dovrel\\Kestrava\\AS/400 Printer P"},
    {"Software\\MARROCK\\Kestrava\\Kestrava FTP T", "Software\\Dovrel\\Kestrava\\Kestrava FTP T"},
    {"Software\\MARROCK\\Kestrava\\VT S", "Software\\Dovrel\\Kestrava\\VT S"},
};
const char* const kWebConfigKeys[kSessionKinds][4] = {
    {"Software\\MARROCK\\Kestrava Web\\Mainframe Display S", "Software\\Dovrel\\qy3270\\Mainframe Display S"},
    {"Software\\MARROCK\\Kestrava Web\\Mainframe Printer P", "Software\\Dovrel\\qy3270\\Mainframe Printer P"},
    {"Software\\MARROCK\\Kestrava Web\\AS/400 Display S", "Software\\Dovrel\\qy5250\\AS/400 Display S"},
    {"Software\\MARROCK\\Kestrava Web\\AS/400 Printer P", "Software\\Dovrel\\qy5250\\AS/400 Printer P"},
    {"Software\\MARROCK\\Kestrava Web\\Kestrava FTP T", "Software\\Dovrel\\qy3270\\Kestrava FTP T",
     "Software\\Dovrel\\qy5250\\Kestrava FTP T", "Software\\Dovrel\\qyFTP\\Kestrava FTP T"},
    {"Software\\MARROCK\\Kestrava Web\\VT S", "Software\\Dovrel\\qyVT\\VT S"},
};

// A session name's first two letters (upper case only), where its
// instance text stands, and whether its configuration file is quoted on
// the command line (the printers take it without quotation marks).
const char kNameLetters[kSessionKinds][3] = {"MD", "MP", "AD", "AP", "FT", "VT"};
const int kInstanceIndexes[kSessionKinds] = {4, 4, 4, 4, 5, 4};
const bool kConfigQuoted[kSessionKinds] = {true, false, true, false, true, true};

// The progress dialog's status line while the kind's files download.
const char* const kInstallingTexts[kSessionKinds] = {
    "Installing Kestrava Mainframe Display", "Installing Kestrava Mainframe Printer",
    "Installing Kestrava iSeries Display",   "Installing Kestrava iSeries Printer",
    "Installing Kestrava FTP",               "Installing Kestrava VT"};

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

const char* LauncherWindowClassPrefix(int kind, bool desktopMode) {
  return IsKind(kind) ? kLauncherPrefixes[kind][desktopMode ? 1 : 0] : nullptr;
}

const char* SessionFamilySwitch(int kind) { return IsKind(kind) ? kFamilySwitches[kind] : nullptr; }

int SessionComponentGroup(int kind) { return IsKind(kind) ? kComponentGroups[kind] : -1; }

int SessionConfigKeyPrefixes(int kind, bool desktopMode, const char* const** prefixes) {
  *prefixes = nullptr;
  if (!IsKind(kind)) return 0;
  *prefixes = desktopMode ? kDesktopConfigKeys[kind] : kWebConfigKeys[kind];
  int count = 0;
  while (count < (desktopMode ? 2 : 4) && (*prefixes)[count] != nullptr) ++count;
  return count;
}

int SessionKindOfName(const char* name) {
  if (name == nullptr || name[0] == '\0') return -1;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (name[0] == kNameLetters[kind][0] && name[1] == kNameLetters[kind][1]) return kind;
  }
  return -1;
}

int SessionInstanceIndex(int kind) { return IsKind(kind) ? kInstanceIndexes[kind] : -1; }

bool SessionConfigQuoted(int kind) { return IsKind(kind) && kConfigQuoted[kind]; }

const char* SessionInstallingText(int kind) { return IsKind(kind) ? kInstallingTexts[kind] : nullptr; }
