// Cabinet entry names; see cabinet_names.h.
#include "download/portable/cabinet_names.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsContainedRelativePath(const char* name) {
  if (name == nullptr || name[0] == '\0' || IsSeparator(name[0])) return false;
  if (strchr(name, ':') != nullptr) return false;
  for (const char* part = name; *part != '\0';) {
    size_t length = 0;
    while (part[length] != '\0' && !IsSeparator(part[length])) ++length;
    if (length == 2 && part[0] == '.' && part[1] == '.') return false;
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
