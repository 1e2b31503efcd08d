// One-line records (the container's trace, the message-box record) keep
// each record on one line: carriage return, line feed and tab inside a
// field are written as the two-character escapes "\r", "\n" and "\t".
// Platform-free.
#ifndef WEVELINK_TOOLS_HOST_LINE_ESCAPE_H
#define WEVELINK_TOOLS_HOST_LINE_ESCAPE_H

#include <stddef.h>

// Appends src to the text in dst with CR, LF and TAB escaped. Returns false
// when it did not fit; the text is then cut before the character (or
// escape) that did not fit.
bool AppendEscapedText(char* dst, size_t capacity, const char* src);

#endif
