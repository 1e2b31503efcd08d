// Event log texts; see log_format.h.
#include "base/portable/log_format.h"

#include <string.h>

#include "base/portable/bounded_text.h"

const char kLogVersionText[] = "3,2,1,296";

bool FormatEventLogName(const LogTime& t, char* out, size_t capacity) {
  return FormatText(out, capacity, "EventLog_%02d_%02d_%04d_%02d_%02d_%02d.Txt", t.month, t.day,
                    t.year, t.hour, t.minute, t.second);
}

bool FormatLogTimeStamp(const LogTime& t, char* out, size_t capacity) {
  return FormatText(out, capacity, "%02hu:%02hu:%02hu.%03hu ", t.hour, t.minute, t.second,
                    t.milliseconds);
}

namespace {

// Both banners: the word says which, the line ends frame it.
bool FormatBanner(const LogTime& t, const char* before, const char* word, const char* after,
                  char* out, size_t capacity) {
  return FormatText(out, capacity,
                    "%sWevelink.Ocx v%s Event Log %s %02hu/%02hu/%04hu at "
                    "%02hu:%02hu:%02hu.%03hu%s",
                    before, kLogVersionText, word, t.month, t.day, t.year, t.hour, t.minute,
                    t.second, t.milliseconds, after);
}

}  // namespace

bool FormatStartBanner(const LogTime& t, char* out, size_t capacity) {
  return FormatBanner(t, "", "Started", "\r\n\r\n", out, capacity);
}

bool FormatEndBanner(const LogTime& t, char* out, size_t capacity) {
  return FormatBanner(t, "\r\n", "Ended", "\r\n", out, capacity);
}

namespace {

// The switch (after its blank and slash) that starts a secret at text.
bool StartsSecret(const char* text) {
  return text[0] == ' ' && text[1] == '/' && text[2] != '\0' && strchr("Pijk", text[2]);
}

}  // namespace

bool MaskSecretSwitches(const char* text, char* out, size_t capacity) {
  if (capacity == 0) return false;
  out[0] = '\0';
  bool fits = true;
  const char* at = text;
  while (*at) {
    const char* secret = at;
    while (*secret && !StartsSecret(secret)) ++secret;
    // Up to and with the switch itself.
    size_t plain = *secret ? (size_t)(secret - at) + 3 : (size_t)(secret - at);
    size_t length = strlen(out);
    fits = CopyTextN(out + length, capacity - length, at, plain) && fits;
    if (*secret == '\0') break;
    at = secret + 3;
    size_t value = 0;
    while (at[value] && at[value] != '\r' && at[value] != '\n' &&
           !(at[value] == ' ' && at[value + 1] == '/')) {
      ++value;
    }
    if (value > 0) fits = AppendText(out, capacity, "********") && fits;
    at += value;
  }
  return fits;
}
