// The six session kinds as the session table and the session programs know
// them, and the window class names of the programs' main windows. A class
// name is the kind's prefix for the mode followed by the instance number in
// decimal; the names carry the kind and the instance so that any process can
// find a running session with FindWindowA. Platform-free.
#ifndef WEVELINK_SESSIONS_SESSION_CLASSES_H
#define WEVELINK_SESSIONS_SESSION_CLASSES_H

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
};

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
enum { kSessionConfigKeyCapacity = 64 };  // the longest prefix has 49 characters
int SessionConfigKeyPrefixes(int kind, bool desktopMode, const char* const** prefixes);

#endif
