// The six session kinds as the session table and the session programs know
// them, and the window class names of the programs' main windows. A class
// name is the kind's prefix for the mode followed by the instance number in
// decimal; the names carry the kind and the instance so that any process can
// find a running session with FindWindowA. Platform-free.
#ifndef WEVELINK_BASE_PORTABLE_SESSION_KINDS_H
#define WEVELINK_BASE_PORTABLE_SESSION_KINDS_H

#include <stddef.h>

// Kinds in their fixed order; several tables are indexed by these numbers.
enum SessionKind {
  kMainframeDisplay = 0,
  kMainframePrinter = 1,
  kAs400Display = 2,
  kAs400Printer = 3,
  kFtpSession = 4,
  kVtSession = 5,
};

enum {
  kSessionKinds = 6,
  kSessionInstances = 99,   // instance numbers 1 to 99
  kSessionClassCapacity = 64,  // longest class name is 37 characters
  kSessionConfigKeyCapacity = 64,  // the longest configuration key prefix has 49 characters
};

// One row per kind, in kind order: every per-kind text the system uses.
// [0] is web mode, [1] desktop mode where a column has both.
struct SessionKindRow {
  const char* NameLetters;       // a session name's first two letters: "MD"
  const char* ParameterPrefix;   // the page parameters' prefix: "MD_"
  const char* ProgramTag;        // in program and file names: "KVMD"
  int ComponentGroup;            // 0 Mainframe, 1 iSeries, 2 FTP, 3 VT
  const char* InstallingText;    // the progress dialog's status line
  const char* VerifiedValueName; // the verified flag's registry value
  const char* IniSection;        // its section of the initialization file
  const char* DesktopIniKey;     // its "Shortcuts" key of the desktop file
  char InstanceLetter;           // ends the window class prefixes
  int InstanceIndex;             // where the instance text stands in a name
  bool ConfigQuoted;             // configuration file in quotation marks
  int WindowArrayOffset;         // byte offset of its array in the window table
  const char* ClassPrefix[2];    // the session window's class name prefix
  const char* LauncherPrefix[2]; // what the foreground wait looks for as well
  const char* FamilySwitch;      // web-mode switch for the older programs
  const char* DesktopConfigKeys[2];  // saved-configuration keys, in the order tried
  const char* WebConfigKeys[4];      // the same in web mode (null after the last)
};

// The row of a kind; null outside 0-5.
const SessionKindRow* SessionKindRowOf(int kind);

// The kind's page parameter prefix ("MD_" ... "VT_"); null outside 0-5.
const char* SessionParameterPrefix(int kind);

// The kind's verified-flag value name ("KvmdVerified" ...); null outside 0-5.
const char* SessionVerifiedValueName(int kind);

// The kind's section of the initialization file ("Mainframe Display" ...)
// and its key in the desktop initialization file's shortcut section
// ("MainframeDisplay" ...); null outside 0-5.
const char* SessionIniSection(int kind);
const char* SessionDesktopIniKey(int kind);

// The kind whose program tag the upper-cased file name holds, the first
// tag in kind order; -1 for none. A name longer than 259 characters is
// looked at in its first 259.
int SessionKindInFileName(const char* fileName);

// The kind's program tag ("KVMD" ... "KVVT"); null for a number outside 0-5.
const char* SessionProgramTag(int kind);

// The kind whose program tag equals tag, ignoring case; -1 for none.
int SessionKindFromTag(const char* tag);

// The kind's class-name prefix in desktop or web mode, ending in its
// instance letter ("qy3270 Mainframe Display  -  S"); null for a number
// outside 0-5.
const char* SessionWindowClassPrefix(int kind, bool desktopMode);

// Writes the class name of the kind's instance into out (capacity bytes).
// False, with out emptied, for a kind outside 0-5 or an instance outside
// 1-99; false with the cut text when capacity is too small.
bool FormatSessionWindowClass(char* out, size_t capacity, int kind, bool desktopMode,
                              int instance);

// The kind a session name selects by its first two letters (upper case
// only: "md_s1" selects none); -1 for none.
int SessionKindOfName(const char* name);

// Where the instance text stands in a session name of the kind (the fifth
// character, the sixth for FTP); -1 outside 0-5.
int SessionInstanceIndex(int kind);

// Whether the kind's configuration file is passed in quotation marks.
bool SessionConfigQuoted(int kind);

// The progress dialog's status line while the kind's files download; null
// outside 0-5.
const char* SessionInstallingText(int kind);

// The prefix the launcher's foreground wait looks for besides the class
// prefix above (they differ for FTP and in the case of web-mode VT); null
// outside 0-5.
const char* LauncherWindowClassPrefix(int kind, bool desktopMode);

// The switch web-mode command lines carry for the older session programs
// (" /qy3270D" ...); null outside 0-5.
const char* SessionFamilySwitch(int kind);

// The component folder group of the kind: 0 Mainframe (both Mainframe
// kinds), 1 iSeries (both AS/400 kinds), 2 FTP, 3 VT; -1 outside 0-5.
int SessionComponentGroup(int kind);

// The registry key prefixes, in the order tried, whose existence with an
// instance text appended says the instance has a saved configuration; the
// count (0 outside 0-5) and the prefixes through *prefixes.
int SessionConfigKeyPrefixes(int kind, bool desktopMode, const char* const** prefixes);

#endif
