// Special component names; see special_names.h.
#include "download/portable/special_names.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"

const char* InUseNoticeFor(const char* name) {
  if (CompareTextNoCase(name, "KVFTP.DL_") == 0) {
    return "The Kestrava FTP Shells Extension Library is currently in use ... you will need to "
           "restart your computer before the update will take effect.";
  }
  if (CompareTextNoCase(name, "KVWHLL.DL_") == 0) {
    return "The Kestrava Host Automation Object is currently in use ... you will need to "
           "restart your computer before the update will take effect.";
  }
  return nullptr;
}

const char* SelfRegisteredLibraryFor(const char* name) {
  if (CompareTextNoCase(name, "KVFTP.DLL") == 0 || CompareTextNoCase(name, "KVFTP.DL_") == 0)
    return "KVFTP.DLL";
  if (CompareTextNoCase(name, "KVWHLL.DLL") == 0 || CompareTextNoCase(name, "KVWHLL.DL_") == 0)
    return "KVWHLL.DLL";
  return nullptr;
}

bool IsStartedOrLoaded(const char* name) {
  if (name == nullptr) return false;
  // A name part keeps the separator of its list entry's folder ("/KVMD.PRO").
  while (*name == '\\' || *name == '/') ++name;
  const size_t length = strlen(name);
  if (length >= 4 && CompareTextNoCase(name + length - 4, ".EXE") == 0) return true;
  const char* library = SelfRegisteredLibraryFor(name);
  if (library != nullptr && CompareTextNoCase(library, name) == 0) return true;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    char program[16];
    if (FormatText(program, sizeof program, "%s.PRO", SessionProgramTag(kind)) &&
        CompareTextNoCase(name, program) == 0) {
      return true;
    }
  }
  return false;
}

const InstalledFont* InstalledFontFor(const char* name) {
  static const InstalledFont kApl = {"Marrock APL (TrueType)", "MARRKAPL.TTF"};
  static const InstalledFont kOem = {"Marrock OEM (TrueType)", "MARRKOEM.TTF"};
  if (CompareTextNoCase(name, "MARRKAPL.TTF") == 0 || CompareTextNoCase(name, "MARRKAPL.TT_") == 0)
    return &kApl;
  if (CompareTextNoCase(name, "MARRKOEM.TTF") == 0 || CompareTextNoCase(name, "MARRKOEM.TT_") == 0)
    return &kOem;
  return nullptr;
}

char SiblingSettingsFileClient(const char* name) {
  if (CompareTextNoCase(name, "orvena.ini") == 0) return 'O';
  if (CompareTextNoCase(name, "zelvic.ini") == 0) return 'Z';
  return 0;
}
