// Reads the stand-in's test switches from the environment; see
// stub_settings.h.
#include "stub_settings.h"

#include <windows.h>

#include <stdlib.h>

namespace {

// A decimal value of the variable, or fallback when it is unset or not a
// number.
unsigned long ReadNumber(const char* name, unsigned long fallback) {
  char text[32];
  DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
  if (length == 0 || length >= sizeof text) return fallback;
  char* end;
  unsigned long value = strtoul(text, &end, 10);
  return (end == text || *end != '\0') ? fallback : value;
}

bool ReadFlag(const char* name) { return ReadNumber(name, 0) == 1; }

}  // namespace

void ReadStubSettings(StubSettings* out) {
  out->windowDelayMs = ReadNumber("WEVELINK_STUB_WINDOW_DELAY_MS", 0);
  out->noWindow = ReadFlag("WEVELINK_STUB_NO_WINDOW");
  out->ignoreClose = ReadFlag("WEVELINK_STUB_IGNORE_CLOSE");
  out->keepSlot = ReadFlag("WEVELINK_STUB_KEEP_SLOT");
  out->exitAfterMs = ReadNumber("WEVELINK_STUB_EXIT_AFTER_MS", kStubDefaultExitAfterMs);
}
