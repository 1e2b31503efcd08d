// The stand-in's record of what it was given, for tests to assert on.
//
// Lines go to the file named by the environment variable WEVELINK_STUB_LOG
// (nothing is written when it is unset), appended and closed line by line so
// that several stand-ins can share one file and a reader sees each line as
// soon as it is written. Every line starts with "pid=<process id> " and ends
// with "\r\n"; numbers are decimal, window handles as their 32-bit value.
//
//   start kind=KVMD mode=web cmd=<command line> cwd=<working folder>
//   switch <name> value=[<value>]           one per switch, in order; a
//                                           quoted value adds " quoted"
//   instance n=<n> from=switch|free         the instance number chosen
//   window hwnd=<h> class=<class> slot=<kind's slot index> parent=<h>
//   embedded parent=<h> rect=<l>,<t>,<r>,<b> ok=<0|1>
//   message NEWPARENT parent=<lParam> now=<GetParent after it>
//   message REFRESH
//   message SETFOCUS wparam=<w>
//   message KILLFOCUS wparam=<w>
//   message CLOSE                           closing
//   message CLOSE ignored                   WEVELINK_STUB_IGNORE_CLOSE
//   destroy hwnd=<h> slot=cleared|kept|taken|none   (taken: another window
//                                           holds it; none: no table)
//   exit-timer                              WEVELINK_STUB_EXIT_AFTER_MS ran out
//   no-window                               WEVELINK_STUB_NO_WINDOW
//   error <what>                            bad name, busy instance, ...
//   exit code=<n>
#ifndef WEVELINK_TOOLS_SESSION_STUB_LOG_H
#define WEVELINK_TOOLS_SESSION_STUB_LOG_H

// Appends one line (printf-style text after the "pid=N " prefix). A line
// longer than 8 KB is cut and ends in "...".
void StubLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif
