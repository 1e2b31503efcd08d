// Bounded text operations for the fixed-size ANSI buffers that the whole
// module works in. Every operation takes the destination's capacity in
// bytes (terminator included), always leaves a terminated text behind, and
// reports whether the whole result fit. A text that does not fit is cut at
// the capacity, never written past it.
#ifndef WEVELINK_BASE_PORTABLE_BOUNDED_TEXT_H
#define WEVELINK_BASE_PORTABLE_BOUNDED_TEXT_H

#include <stdarg.h>
#include <stddef.h>

// Copies src into dst. A null src copies the empty text.
bool CopyText(char* dst, size_t capacity, const char* src);

// Copies at most count characters of src into dst.
bool CopyTextN(char* dst, size_t capacity, const char* src, size_t count);

// Appends src to the text already in dst.
bool AppendText(char* dst, size_t capacity, const char* src);

// printf-style formatting ("%d", "%u", "%X", "%s", "%%", "%02hu" as used by
// the module's messages) into dst.
bool FormatText(char* dst, size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
bool FormatTextV(char* dst, size_t capacity, const char* format, va_list args);

// Appends one backslash unless the text already ends in one. An empty text
// stays empty: a bare backslash would name the root of the current drive.
bool AddBackslash(char* path, size_t capacity);

// Case-insensitive ASCII comparison helpers, independent of the locale.
int CompareTextNoCase(const char* a, const char* b);
bool StartsWithNoCase(const char* text, const char* prefix);

// Converts ASCII letters in place.
void UpperCaseText(char* text);

#endif
