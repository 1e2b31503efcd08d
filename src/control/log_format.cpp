// Event log texts; see log_format.h.
#include "control/log_format.h"

#include "common/bounded_text.h"

const char kLogVersionText[] = "3,2,1,296";

bool FormatEventLogName(const LogTime& t, char* out, size_t capacity) {
  return FormatText(out, capacity, "EventLog_%02d_%02d_%04d_%02d_%02d_%02d.Txt", t.month, t.day,
                    t.year, t.hour, t.minute, t.second);
}

bool FormatLogTimeStamp(const LogTime& t, char* out, size_t capacity) {
  return FormatText(out, capacity, "%02hu:%02hu:%02hu.%03hu ", t.hour, t.minute, t.second,
                    t.milliseconds);
}

bool FormatStartBanner(const LogTime& t, char* out, size_t capacity) {
  return FormatText(out, capacity,
                    "Wevelink.Ocx v%s Event Log Started %02hu/%02hu/%04hu at "
                    "%02hu:%02hu:%02hu.%03hu\r\n\r\n",
                    kLogVersionText, t.month, t.day, t.year, t.hour, t.minute, t.second,
                    t.milliseconds);
}

bool FormatEndBanner(const LogTime& t, char* out, size_t capacity) {
  return FormatText(out, capacity,
                    "\r\nWevelink.Ocx v%s Event Log Ended %02hu/%02hu/%04hu at "
                    "%02hu:%02hu:%02hu.%03hu\r\n",
                    kLogVersionText, t.month, t.day, t.year, t.hour, t.minute, t.second,
                    t.milliseconds);
}
