// The container's trace (--trace FILE): one line per container event, in
// the order they happen, appended to the file as UTF-8 ended by "\n". Each
// line is written through at once, so the file is complete up to the last
// event even when a control ends the process.
#ifndef WEVELINK_TOOLS_HOST_HOST_TRACE_H
#define WEVELINK_TOOLS_HOST_HOST_TRACE_H

#include <windows.h>

// Starts tracing into path (created when missing). Returns false when the
// path does not fit or the file cannot be opened for appending.
bool OpenTrace(const wchar_t* path);
void CloseTrace();

// Appends one formatted line (the "\n" is added). Lines longer than the
// line buffer are cut and end in "[cut]". Does nothing without a trace.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// UTF-16 to UTF-8 for trace fields, with CR, LF and TAB escaped (see
// line_escape.h); always terminated, cut when it does not fit.
void TraceField(const wchar_t* text, char* dst, size_t capacity);

#endif
