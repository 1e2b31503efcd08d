// Command-line splitting for the session programs' stand-in; see
// stub_command_line.h.
#include "stub_command_line.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether a switch starts at text[i]: a "/" followed by a name, at the
// start or after a blank.
bool SwitchStartsAt(const char* text, size_t i) {
  return text[i] == '/' && text[i + 1] != '\0' && (i == 0 || IsBlank(text[i - 1]));
}

// Copies text[begin, end) without blanks at either end.
bool CopyTrimmed(char* dst, size_t capacity, const char* text, size_t begin, size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return CopyTextN(dst, capacity, text + begin, end - begin);
}

// Reads a decimal number, optionally signed, that fills all of text.
bool ReadNumber(const char* text, bool allowSign, long long limit, long long* out) {
  const char* p = text;
  bool negative = false;
  if (allowSign && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (*p == '\0') return false;
  long long value = 0;
  for (; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
    if (value > limit) return false;
  }
  *out = negative ? -value : value;
  return true;
}

}  // namespace

bool ParseStubCommandLine(const char* line, StubCommandLine* out) {
  memset(out, 0, sizeof *out);
  out->complete = true;
  if (line == nullptr) line = "";
  size_t length = strlen(line);

  // The program: a quoted first token, else everything before the first
  // switch.
  size_t pos = 0;
  while (pos < length && IsBlank(line[pos])) ++pos;
  if (line[pos] == '"') {
    const char* close = strchr(line + pos + 1, '"');
    size_t end = close ? (size_t)(close - line) : length;
    if (!CopyTextN(out->program, sizeof out->program, line + pos + 1, end - pos - 1)) {
      out->complete = false;
    }
    pos = close ? end + 1 : length;
  } else {
    size_t end = pos;
    while (end < length && !SwitchStartsAt(line, end)) ++end;
    if (!CopyTrimmed(out->program, sizeof out->program, line, pos, end)) out->complete = false;
    pos = end;
  }

  while (pos < length) {
    if (!SwitchStartsAt(line, pos)) {
      ++pos;
      continue;
    }
    char name = line[pos + 1];
    size_t valueStart = pos + 2;
    StubSwitch scratch;
    StubSwitch* target = out->switchCount < kStubMaxSwitches
                             ? &out->switches[out->switchCount++]
                             : &scratch;
    if (target == &scratch) out->complete = false;
    target->name = name;
    target->quoted = false;
    size_t next;
    if (line[valueStart] == '"') {
      const char* close = strchr(line + valueStart + 1, '"');
      size_t end = close ? (size_t)(close - line) : length;
      target->quoted = true;
      if (!CopyTextN(target->value, sizeof target->value, line + valueStart + 1,
                     end - valueStart - 1)) {
        out->complete = false;
      }
      next = close ? end + 1 : length;
      // Whatever follows the closing mark up to the next switch is not part
      // of any switch.
      while (next < length && !(SwitchStartsAt(line, next))) ++next;
    } else {
      size_t end = valueStart;
      while (end < length && !SwitchStartsAt(line, end)) ++end;
      size_t valueEnd = end;
      while (valueEnd > valueStart && IsBlank(line[valueEnd - 1])) --valueEnd;
      if (!CopyTextN(target->value, sizeof target->value, line + valueStart,
                     valueEnd - valueStart)) {
        out->complete = false;
      }
      next = end;
    }
    pos = next;
  }
  return out->complete;
}

const StubSwitch* FindStubSwitch(const StubCommandLine& line, char name) {
  for (int i = 0; i < line.switchCount; ++i) {
    if (line.switches[i].name == name) return &line.switches[i];
  }
  return nullptr;
}

int StubInstanceNumber(const StubCommandLine& line) {
  const StubSwitch* instance = FindStubSwitch(line, 's');
  if (instance == nullptr) instance = FindStubSwitch(line, 'S');
  if (instance == nullptr) return 0;
  long long number;
  if (!ReadNumber(instance->value, false, 99, &number) || number < 1) return -1;
  return (int)number;
}

bool StubEmbeddingOf(const StubCommandLine& line, StubEmbedding* out) {
  const char names[5] = {'*', '(', ')', '_', '+'};
  long long values[5];
  for (int i = 0; i < 5; ++i) {
    const StubSwitch* found = FindStubSwitch(line, names[i]);
    if (found == nullptr) return false;
    // The control writes every number, the container handle too, as a
    // signed decimal.
    long long limit = i == 0 ? 0xFFFFFFFFLL : 0x7FFFFFFFLL;
    if (!ReadNumber(found->value, true, limit, &values[i])) return false;
  }
  out->container = (unsigned long)(values[0] & 0xFFFFFFFFLL);
  out->left = (long)values[1];
  out->top = (long)values[2];
  out->right = (long)values[3];
  out->bottom = (long)values[4];
  return true;
}
