// The event log: one plain text file per process in the download folder,
// written only while the page asks for it. Every subsystem writes through
// WriteLogTimeStamp and WriteLogText; with the log closed they cost a test.
// Callers put their own "\r\n" at the end of an entry.
#ifndef WEVELINK_BASE_EVENT_LOG_H
#define WEVELINK_BASE_EVENT_LOG_H

#include <windows.h>

void StartEventLog();
void EndEventLog();
// The same at process termination, where a thread stopped in the middle of
// a write may have left the log busy: then the system closes the file.
void EndEventLogAtProcessExit();
void WriteLogTimeStamp();
void WriteLogText(const char* text);

// Opens the log for the deployment's "LogEvents" answer: a yes keeps an open
// log or creates a new file (with its start banner); a no closes it.
void ApplyLogEventsSetting(bool wanted);

bool IsEventLogOpen();
// Path of the open (or last opened) log file.
const char* EventLogPath();

// A whole time-stamped entry: the time stamp, then the text as given.
void WriteLogLine(const char* text);
// The same with printf-style formatting; a text that does not fit the
// entry buffer is cut, never overrun.
void WriteLogLineF(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif
