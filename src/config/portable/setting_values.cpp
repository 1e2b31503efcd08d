// Value mappings of the initialization files; see setting_values.h.
#include "config/portable/setting_values.h"

#include "base/portable/page_values.h"

unsigned char BaseRegistryFromText(const char* value) {
  if (value == nullptr) return 0;
  if (value[0] == '1') return 1;
  if (value[0] == '2') return 2;
  return 0;
}

unsigned char ConnectionTypeFromText(const char* value) {
  switch (value == nullptr ? '\0' : value[0]) {
    case 'S': case 's': return 0;
    case 'R': case 'r': return 1;
    case 'T': case 't': return 2;
    case 'C': case 'c': return 3;
    case 'I': case 'i': return 4;
    default: return 2;
  }
}

bool YesNoFromText(const char* value) { return BeginsWithY(value); }

// ParseNumber already clamps to the 32-bit range, so the cast keeps the value.
int32_t NumberFromText(const char* value) { return (int32_t)ParseNumber(value); }

bool IsFullFolderPath(const char* value) {
  if (value == nullptr) return false;
  const bool drive = ((value[0] >= 'A' && value[0] <= 'Z') || (value[0] >= 'a' && value[0] <= 'z')) &&
                     value[1] == ':' && value[2] == '\\';
  const bool share = value[0] == '\\' && value[1] == '\\' && value[2] != '\0' && value[2] != '\\';
  if (!drive && !share) return false;
  for (const char* at = value + 2; *at; ++at) {
    if (*at == ':') return false;
  }
  return true;
}
