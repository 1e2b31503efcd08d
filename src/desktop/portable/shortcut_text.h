// The texts shortcuts are made of: a link's file name from its label, the
// browser's open command, a custom target split into program and
// arguments. Platform-free.
#ifndef WEVELINK_DESKTOP_PORTABLE_SHORTCUT_TEXT_H
#define WEVELINK_DESKTOP_PORTABLE_SHORTCUT_TEXT_H

#include <stddef.h>

// The label as a file name: each character a file name cannot hold
// (\ / : * ? " < > | and control characters) becomes "-", so that a label
// never names another folder. *replaced tells whether a character was
// replaced. False when out is too small: the cut text is a file name too.
bool LinkFileNameOf(const char* label, char* out, size_t capacity, bool* replaced);

// Cuts a trailing argument from the browser's open command: when it ends in
// a double quotation mark its last five characters go (" \"%1\"").
void CutBrowserCommand(char* command);

// The App Paths program of the browser the open command names, by a search
// with case: "iexplore" gives "IEXPLORE.EXE", "netscape" "NETSCAPE.EXE";
// null for any other browser.
const char* BrowserProgramOf(const char* command);

// Whether a custom shortcut's target is a URL (holds ":/").
bool IsUrlTarget(const char* target);

// Splits a custom target at its first blank into the program and its
// arguments (empty without a blank). False when a part does not fit.
bool SplitCustomTarget(const char* target, char* program, size_t programCapacity,
                       char* arguments, size_t argumentsCapacity);

// A group name, label or command line as an argument of a Program Manager
// command: as it stands, or in double quotation marks when it holds "(",
// ")" or "," so that it cannot end the command. False (out empty) for a
// text that holds a double quotation mark or a bracket, which no quoting
// keeps inside the command, or that does not fit.
bool ProgmanArgument(const char* text, char* out, size_t capacity);

// Whether a group name names a group and nothing else: no "\\", "/" or ":",
// which the shell would follow as a path from its program folder (a group
// "..\\..\\x" lands outside it).
bool IsPlainGroupName(const char* name);

#endif
