// Cabinet entry names; see cabinet_names.h.
#include "download/portable/cabinet_names.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

}  // namespace

bool IsReservedDeviceName(const char* part, size_t length) {
  // The device is named by what comes before the first dot, blanks at its
  // end not counting.
  size_t stem = 0;
  while (stem < length && part[stem] != '.') ++stem;
  while (stem > 0 && part[stem - 1] == ' ') --stem;
  char upper[5] = "";
  if (stem < 3 || stem > 4) return false;
  for (size_t i = 0; i < stem; ++i) upper[i] = UpperAscii(part[i]);
  upper[stem] = '\0';
  if (stem == 3) {
    return strcmp(upper, "CON") == 0 || strcmp(upper, "PRN") == 0 || strcmp(upper, "AUX") == 0 ||
           strcmp(upper, "NUL") == 0;
  }
  return (strncmp(upper, "COM", 3) == 0 || strncmp(upper, "LPT", 3) == 0) && upper[3] >= '1' &&
         upper[3] <= '9';
}

bool IsContainedRelativePath(const char* name) {
  if (name == nullptr || name[0] == '\0' || IsSeparator(name[0])) return false;
  if (strchr(name, ':') != nullptr) return false;
  for (const char* part = name; *part != '\0';) {
    size_t length = 0;
    while (part[length] != '\0' && !IsSeparator(part[length])) ++length;
    if (length == 2 && part[0] == '.' && part[1] == '.') return false;
    if (IsReservedDeviceName(part, length)) return false;
    part += length;
    while (IsSeparator(*part)) ++part;
  }
  return true;
}

const char* DesktopInstalledName(const char* nameInCabinet) {
  static const struct {
    const char* inCabinet;
    const char* installed;
  } kRenames[] = {
      {"KVMD.PRO", "KVMD.EXE"},   {"KVMP.PRO", "KVMP.EXE"}, {"KVAD.PRO", "KVAD.EXE"},
      {"KVAP.PRO", "KVAP.EXE"},   {"KVFTP.PRO", "KVFTP.EXE"}, {"KVVT.PRO", "KVVT.EXE"},
      {"KVWFK.DLL", "KVFK.DLL"},
  };
  if (nameInCabinet == nullptr) return nullptr;
  for (const auto& rename : kRenames) {
    if (CompareTextNoCase(nameInCabinet, rename.inCabinet) == 0) return rename.installed;
  }
  return nullptr;
}
