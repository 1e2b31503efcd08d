// See check_parameter.h.
#include "base/message_box.h"
#include "base/check_parameter.h"

#include <windows.h>

#include "base/portable/bounded_text.h"
#include "base/event_log.h"

bool CheckParameterLength(const char* value, size_t capacity, const char* name) {
  if (capacity > 0 && strlen(value) <= capacity - 1) return false;
  char message[260];
  FormatText(message, sizeof message, "Buffer Overrun Check Failure: %s ... operation aborted.",
             name);
  WriteLogTimeStamp();
  WriteLogText(message);
  ShowErrorBox(nullptr, message, kControlCaption);
  return true;
}
