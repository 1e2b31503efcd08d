// See check_parameter.h.
#include "control/check_parameter.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "control/event_log.h"

bool CheckParameterLength(const char* value, size_t capacity, const char* name) {
  if (capacity > 0 && strlen(value) <= capacity - 1) return false;
  char message[260];
  FormatText(message, sizeof message, "Buffer Overrun Check Failure: %s ... operation aborted.",
             name);
  WriteLogTimeStamp();
  WriteLogText(message);
  MessageBoxA(nullptr, message, "Web-to-Host Control", MB_ICONEXCLAMATION | MB_SETFOREGROUND);
  return true;
}
