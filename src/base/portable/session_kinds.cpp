// The table of session kinds; see session_kinds.h. Two blanks stand on each
// side of every hyphen of a class prefix.
#include "base/portable/session_kinds.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

const SessionKindRow kRows[kSessionKinds] = {
    {"MD", "MD_", "KVMD", 0, "Installing Kestrava Mainframe Display", "KvmdVerified",
     "Mainframe Display", "MainframeDisplay", 'S', 4, true, 0,
     {"qy3270 Mainframe Display  -  S", "Kestrava Mainframe Display  -  S"},
     {"qy3270 Mainframe Display  -  S", "Kestrava Mainframe Display  -  S"}, " /qy3270D",
     {"Software\\MARROCK\\Kestrava\\Mainframe Display S",
      "Software\\Dovrel\\Kestrava\\Mainframe Display S"},
     {"Software\\MARROCK\\Kestrava Web\\Mainframe Display S",
      "Software\\Dovrel\\qy3270\\Mainframe Display S"}},
    {"MP", "MP_", "KVMP", 0, "Installing Kestrava Mainframe Printer", "KvmpVerified",
     "Mainframe Printer", "MainframePrinter", 'P', 4, false, 792,
     {"qy3270 Mainframe Printer  -  P", "Kestrava Mainframe Printer  -  P"},
     {"qy3270 Mainframe Printer  -  P", "Kestrava Mainframe Printer  -  P"}, " /qy3270P",
     {"Software\\MARROCK\\Kestrava\\Mainframe Printer P",
      "Software\\Dovrel\\Kestrava\\Mainframe Printer P"},
     {"Software\\MARROCK\\Kestrava Web\\Mainframe Printer P",
      "Software\\Dovrel\\qy3270\\Mainframe Printer P"}},
    {"AD", "AD_", "KVAD", 1, "Installing Kestrava iSeries Display", "KvadVerified",
     "AS/400 Display", "iSeriesDisplay", 'S', 4, true, 396,
     {"qy5250 AS/400 Display  -  S", "Kestrava AS/400 Display  -  S"},
     {"qy5250 AS/400 Display  -  S", "Kestrava AS/400 Display  -  S"}, " /qy5250D",
     {"Software\\MARROCK\\Kestrava\\AS/400 Display S",
      "Software\\Dovrel\\Kestrava\\AS/400 Display S"},
     {"Software\\MARROCK\\Kestrava Web\\AS/400 Display S",
      "Software\\Dovrel\\qy5250\\AS/400 Display S"}},
    {"AP", "AP_", "KVAP", 1, "Installing Kestrava iSeries Printer", "KvapVerified",
     "AS/400 Printer", "iSeriesPrinter", 'P', 4, false, 1188,
     {"qy5250 AS/400 Printer  -  P", "Kestrava AS/400 Printer  -  P"},
     {"qy5250 AS/400 Printer  -  P", "Kestrava AS/400 Printer  -  P"}, " /qy5250P",
     {"Software\\MARROCK\\Kestrava\\AS/400 Printer P",
      "Software\\Dovrel\\Kestrava\\AS/400 Printer P"},
     {"Software\\MARROCK\\Kestrava Web\\AS/400 Printer P",
      "Software\\Dovrel\\qy5250\\AS/400 Printer P"}},
    {"FT", "FTP_", "KVFTP", 2, "Installing Kestrava FTP", "KvftpVerified", "FTP", "FTP", 'T', 5,
     true, 1584, {"Kestrava Secure FTP  -  T", "Kestrava Secure FTP  -  T"},
     {"qyFTP  -  T", "Kestrava FTP  -  T"}, " /qyFTP",
     {"Software\\MARROCK\\Kestrava\\Kestrava FTP T",
      "Software\\Dovrel\\Kestrava\\Kestrava FTP T"},
     {"Software\\MARROCK\\Kestrava Web\\Kestrava FTP T", "Software\\Dovrel\\qy3270\\Kestrava FTP T",
      "Software\\Dovrel\\qy5250\\Kestrava FTP T", "Software\\Dovrel\\qyFTP\\Kestrava FTP T"}},
    {"VT", "VT_", "KVVT", 3, "Installing Kestrava VT", "KvvtVerified", "VT", "VT", 'S', 4, true,
     1980, {"qZVT  -  S", "Kestrava VT  -  S"}, {"qyVT  -  S", "Kestrava VT  -  S"}, " /qyVT",
     {"Software\\MARROCK\\Kestrava\\VT S", "Software\\Dovrel\\Kestrava\\VT S"},
     {"Software\\MARROCK\\Kestrava Web\\VT S", "Software\\Dovrel\\qyVT\\VT S"}},
};

bool IsKind(int kind) { return kind >= 0 && kind < kSessionKinds; }

// A file name is looked at in its first 259 characters.
const size_t kFileNameCapacity = 260;

}  // namespace

const SessionKindRow* SessionKindRowOf(int kind) { return IsKind(kind) ? &kRows[kind] : nullptr; }

const char* SessionProgramTag(int kind) { return IsKind(kind) ? kRows[kind].ProgramTag : nullptr; }

const char* SessionParameterPrefix(int kind) {
  return IsKind(kind) ? kRows[kind].ParameterPrefix : nullptr;
}

const char* SessionVerifiedValueName(int kind) {
  return IsKind(kind) ? kRows[kind].VerifiedValueName : nullptr;
}

const char* SessionIniSection(int kind) { return IsKind(kind) ? kRows[kind].IniSection : nullptr; }

const char* SessionDesktopIniKey(int kind) {
  return IsKind(kind) ? kRows[kind].DesktopIniKey : nullptr;
}

int SessionKindFromTag(const char* tag) {
  if (tag == nullptr) return -1;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (CompareTextNoCase(tag, kRows[kind].ProgramTag) == 0) return kind;
  }
  return -1;
}

int SessionKindInFileName(const char* fileName) {
  char upper[kFileNameCapacity];
  CopyText(upper, sizeof upper, fileName ? fileName : "");
  UpperCaseText(upper);
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (strstr(upper, kRows[kind].ProgramTag) != nullptr) return kind;
  }
  return -1;
}

const char* SessionWindowClassPrefix(int kind, bool desktopMode) {
  return IsKind(kind) ? kRows[kind].ClassPrefix[desktopMode ? 1 : 0] : nullptr;
}

bool FormatSessionWindowClass(char* out, size_t capacity, int kind, bool desktopMode,
                              int instance) {
  if (!IsKind(kind) || instance < 1 || instance > kSessionInstances) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return FormatText(out, capacity, "%s%d", kRows[kind].ClassPrefix[desktopMode ? 1 : 0], instance);
}

const char* LauncherWindowClassPrefix(int kind, bool desktopMode) {
  return IsKind(kind) ? kRows[kind].LauncherPrefix[desktopMode ? 1 : 0] : nullptr;
}

const char* SessionFamilySwitch(int kind) { return IsKind(kind) ? kRows[kind].FamilySwitch : nullptr; }

int SessionComponentGroup(int kind) { return IsKind(kind) ? kRows[kind].ComponentGroup : -1; }

int SessionConfigKeyPrefixes(int kind, bool desktopMode, const char* const** prefixes) {
  *prefixes = nullptr;
  if (!IsKind(kind)) return 0;
  *prefixes = desktopMode ? kRows[kind].DesktopConfigKeys : kRows[kind].WebConfigKeys;
  int count = 0;
  while (count < (desktopMode ? 2 : 4) && (*prefixes)[count] != nullptr) ++count;
  return count;
}

int SessionKindOfName(const char* name) {
  if (name == nullptr || name[0] == '\0') return -1;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    if (name[0] == kRows[kind].NameLetters[0] && name[1] == kRows[kind].NameLetters[1]) return kind;
  }
  return -1;
}

int SessionInstanceIndex(int kind) { return IsKind(kind) ? kRows[kind].InstanceIndex : -1; }

bool SessionConfigQuoted(int kind) { return IsKind(kind) && kRows[kind].ConfigQuoted; }

const char* SessionInstallingText(int kind) {
  return IsKind(kind) ? kRows[kind].InstallingText : nullptr;
}
