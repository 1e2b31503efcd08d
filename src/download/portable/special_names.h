// The component file names that installation treats specially, compared
// without regard to case; every other file is left where it was
// downloaded. Platform-free.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_SPECIAL_NAMES_H
#define WEVELINK_DOWNLOAD_PORTABLE_SPECIAL_NAMES_H

// "KVFTP.DL_" and "KVWHLL.DL_", the two libraries that may be in use while
// they are updated: the notice shown when their replacement waits for the
// next restart. Null for every other name.
const char* InUseNoticeFor(const char* name);

// The library to self-register for "KVFTP.DLL" or "KVFTP.DL_" ("KVFTP.DLL")
// and "KVWHLL.DLL" or "KVWHLL.DL_" ("KVWHLL.DLL"); null otherwise.
const char* SelfRegisteredLibraryFor(const char* name);

// Whether a file of this (expanded) name is one the control starts or
// loads: a session program ("KVMD.PRO" and the other kinds' tags), any
// ".EXE", a self-registering library. Such a download has its publisher
// checked before it replaces the installed file. Separators in front of
// the name (a name part's) are passed over.
bool IsStartedOrLoaded(const char* name);

// "MARRKAPL.TTF", "MARRKOEM.TTF" and their compressed names: the Fonts
// registry value name and its text. Null for every other name.
struct InstalledFont {
  const char* ValueName;  // "Marrock APL (TrueType)"
  const char* FileName;   // "MARRKAPL.TTF"
};
const InstalledFont* InstalledFontFor(const char* name);

// "orvena.ini" gives 'O', "zelvic.ini" 'Z' (the sibling client whose folder
// receives it), any other name 0.
char SiblingSettingsFileClient(const char* name);

#endif
