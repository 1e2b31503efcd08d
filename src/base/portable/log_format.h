// Platform-free formatting of the event log's file name, time stamps and
// banners from a local-time record.
#ifndef WEVELINK_BASE_PORTABLE_LOG_FORMAT_H
#define WEVELINK_BASE_PORTABLE_LOG_FORMAT_H

#include <stddef.h>

struct LogTime {
  unsigned short year, month, day, hour, minute, second, milliseconds;
};

// The version text the banners show.
extern const char kLogVersionText[];

// "EventLog_MM_DD_YYYY_hh_mm_ss.Txt"
bool FormatEventLogName(const LogTime& t, char* out, size_t capacity);
// "hh:mm:ss.mmm " (ends with one blank)
bool FormatLogTimeStamp(const LogTime& t, char* out, size_t capacity);
// Start banner (ends with an empty line) and end banner (begins with one).
bool FormatStartBanner(const LogTime& t, char* out, size_t capacity);
bool FormatEndBanner(const LogTime& t, char* out, size_t capacity);

// text with the values of the secret session switches (" /P" password,
// " /i", " /j", " /k" single sign-on) written as "********": a value runs to
// the next " /", line end or the end of the text. False when the result was
// cut to fit capacity.
bool MaskSecretSwitches(const char* text, char* out, size_t capacity);

#endif
