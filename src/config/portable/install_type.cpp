// The type-code table of installed files; see install_type.h.
#include "config/portable/install_type.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

struct TypeCodeRow {
  const char* code;
  InstallPlace place;
};

// Looked up in this order; the first whole match decides.
const TypeCodeRow kTypeCodes[] = {
    {"dk", kInstallInConfig},  {"dd", kInstallInConfig},  {"ds", kInstallInConfig},
    {"dt", kInstallInConfig},  {"db", kInstallInConfig},  {"dp", kInstallInConfig},
    {"dr", kInstallInConfig},  {"df", kInstallInConfig},  {"md", kInstallInConfig},
    {"mp", kInstallInConfig},  {"ad", kInstallInConfig},  {"ap", kInstallInConfig},
    {"ft", kInstallInConfig},  {"vt", kInstallInConfig},  {"zm", kInstallInMacros},
    {"zs", kInstallInScripts}, {"bs", kInstallInScripts}, {"s", kInstallInScripts},
};

}  // namespace

InstallPlace ClassifyInstallFile(const char* fileName) {
  if (fileName == nullptr) return kInstallInInstallation;
  size_t length = strlen(fileName);
  if (length >= 3 && CompareTextNoCase(fileName + length - 3, "lnk") == 0) {
    return kInstallOnDesktop;
  }
  const char* dot = strchr(fileName, '.');
  // No dot, or nothing after it: no type code.
  if (dot == nullptr || dot[1] == '\0') return kInstallInInstallation;
  const char* code = dot + 2;
  for (const TypeCodeRow& row : kTypeCodes) {
    if (CompareTextNoCase(code, row.code) == 0) return row.place;
  }
  return kInstallInInstallation;
}

bool ComposeInstallFolder(InstallPlace place, const char* installFolder,
                          const char* workingFolder, char* folder, size_t capacity) {
  const char* subfolder = nullptr;
  switch (place) {
    case kInstallInConfig: subfolder = "Config\\"; break;
    case kInstallInMacros: subfolder = "Macros\\"; break;
    case kInstallInScripts: subfolder = "Scripts\\"; break;
    default: break;
  }
  bool fits = CopyText(folder, capacity, subfolder ? workingFolder : installFolder);
  fits = AddBackslash(folder, capacity) && fits;
  if (subfolder != nullptr) fits = AppendText(folder, capacity, subfolder) && fits;
  return fits;
}
