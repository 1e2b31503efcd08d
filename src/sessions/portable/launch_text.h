// The texts the session launcher forms from a session-list entry: the kind
// its command names, the instance text of its "/s" switch, the command line
// the program is started with, the program path that is checked. Every text
// is formed in a caller's fixed buffer; a line that does not fit is refused,
// never cut. Platform-free.
#ifndef WEVELINK_SESSIONS_PORTABLE_LAUNCH_TEXT_H
#define WEVELINK_SESSIONS_PORTABLE_LAUNCH_TEXT_H

#include <stddef.h>

enum {
  kLaunchLineCapacity = 260,    // 259 characters
  kProgramPathCapacity = 512,
};

// The first kind, in kind order, whose program tag occurs in text; -1 when
// none does.
int SessionKindOfCommand(const char* text);

// Whether the program (a path from ProgramPathOf) must have its publisher
// checked: the kind whose tag its file name holds when that kind's flag in
// verified (six bytes) is 0; -1 when that kind is verified;
// kProgramOfNoKind when the file name holds no tag (checked every time,
// with no flag to set). Only the file name counts: a tag elsewhere in the
// line, or in a folder name, must not have another kind flagged.
enum { kProgramOfNoKind = -2 };
int KindNeedingCheck(const char* program, const unsigned char* verified);

// The slot (0-98) a running embedded session of this command would hold:
// the character after the first "/s" (lower case), with the next one when
// that is a digit, read as a decimal number, minus 1, never below 0. -1
// when the text has no "/s".
int ReuseSlotOfCommand(const char* text);

// The instance text of the line: what follows the first "/s", or when there
// is none the first "/S", up to the next blank or the end. False (out empty)
// when the line has neither switch or the text does not fit.
bool InstanceTextOf(const char* line, char* out, size_t capacity);

// The start of a command line: folder, a backslash unless the folder ends
// with one, the entry's command text, and in web mode the kind's switch for
// the older session programs. False when it does not fit capacity.
bool BeginLaunchLine(char* out, size_t capacity, const char* folder, const char* command,
                     int kind, bool desktopMode);

// Where an embedded session goes: the container window (as its 32-bit
// number) and the rectangle in its client coordinates.
struct LaunchGeometry {
  long container;
  long left, top, right, bottom;
};

// The rest of the line: " /u<configSwitch>" (0 saved configuration, 1 no
// saving, 2 save a new one), with geometry " /*", " /(", " /)", " /_",
// " /+" and then " /@". False when it does not fit capacity.
bool FinishLaunchLine(char* out, size_t capacity, int configSwitch,
                      const LaunchGeometry* geometry);

// The program path of a line: cut right after the first ".EXE" (desktop
// mode) or ".PRO" (web mode), compared with case; the whole line when the
// extension does not occur. False when it does not fit capacity.
bool ProgramPathOf(const char* line, bool desktopMode, char* out, size_t capacity);

#endif
