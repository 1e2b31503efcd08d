// Splits a session program's command line into the program and its
// switches, the way the session programs' stand-in reads what the control
// hands it. Platform-free.
//
// A switch is a "/" at the start of the arguments or after a blank, then a
// one-character name, then its value. A value that begins with a quotation
// mark runs to the closing one (marks removed, "quoted" set); any other
// value runs to the next blank that is followed by "/", or to the end. So
// "/f\"a b.zmd\"", "/fprt1", "/H10.1.1.5", "/qy3270D", "/u1", "/*1234" and
// "/@" each make one switch; the control never quotes or escapes beyond the
// marks its own switch texts carry, so a value holding " /" would be split.
//
// The program is the text before the first switch, without surrounding
// quotation marks or blanks: an unquoted folder with blanks in it stays
// whole.
#ifndef WEVELINK_TOOLS_SESSION_STUB_COMMAND_LINE_H
#define WEVELINK_TOOLS_SESSION_STUB_COMMAND_LINE_H

#include <stddef.h>

enum {
  kStubProgramCapacity = 260,
  kStubValueCapacity = 264,
  kStubMaxSwitches = 48,
};

struct StubSwitch {
  char name;                       // the character after "/"
  bool quoted;                     // the value stood in quotation marks
  char value[kStubValueCapacity];  // cut at the capacity (see complete)
};

struct StubCommandLine {
  char program[kStubProgramCapacity];
  int switchCount;
  StubSwitch switches[kStubMaxSwitches];
  // False when a text was cut or switches beyond kStubMaxSwitches dropped.
  bool complete;
};

// Parses line (null counts as empty) into out. Returns out->complete.
bool ParseStubCommandLine(const char* line, StubCommandLine* out);

// The first switch of that name (case-sensitive), or null.
const StubSwitch* FindStubSwitch(const StubCommandLine& line, char name);

// The instance number of the "/s" switch (or "/S" when there is no "/s"):
// its value read as a decimal 1 to 99. 0 when neither switch is given; -1
// when the value is not such a number.
int StubInstanceNumber(const StubCommandLine& line);

// Embedding geometry from " /*" (container window), " /(" left, " /)" top,
// " /_" right and " /+" bottom. True only when all five are present and
// are decimal numbers (signed, as the control writes them; the container
// keeps the low 32 bits of its handle).
struct StubEmbedding {
  unsigned long container;
  long left, top, right, bottom;
};
bool StubEmbeddingOf(const StubCommandLine& line, StubEmbedding* out);

#endif
