// Initialization files as the control reads them: it calls
// GetPrivateProfileStringA on its local copy, so this reader follows that
// call's rules (as Wine's profile loader implements them) rather than any
// general .ini syntax:
//
//   - lines end at LF; blanks, CR and ^Z around a line are dropped;
//   - "[" opens a section whose name runs to the line's last "]" (text
//     after it is ignored); a "[" line without "]" is an ordinary line;
//   - a key is the text before the first "=", its value everything after
//     it, blanks around both dropped, nothing else: a ";" after a value is
//     part of the value, and a line beginning with ";" is a key that no
//     lookup names;
//   - a lookup takes the first section of the name (any case) and in it the
//     first key of the name (any case); a key without "=" gives the default;
//   - a value wrapped in matching ' or " loses them; a value is cut to the
//     caller's buffer less one.
//
// Every section and key keeps its line number for the findings.
#ifndef WEVELINK_TOOLS_SITE_CHECK_PROFILE_FILE_H
#define WEVELINK_TOOLS_SITE_CHECK_PROFILE_FILE_H

#include <stddef.h>

#include <string>
#include <vector>

struct ProfileKey {
  std::string name;
  std::string value;  // as stored, quotes not yet removed
  bool hasValue;      // the line held "="
  int line;
};

struct ProfileSection {
  std::string name;
  int line;
  std::vector<ProfileKey> keys;
};

struct ProfileFile {
  std::string shownPath;  // for the findings
  std::vector<ProfileSection> sections;  // [0] holds the lines before the first section
};

// Parses text (the file's bytes: ANSI, or UTF-8 or UTF-16 with their byte
// order marks) into file.
void LoadProfile(const std::string& text, ProfileFile* file);

// The section a lookup of name finds; null when there is none.
const ProfileSection* FindProfileSection(const ProfileFile& file, const char* section);

// What GetPrivateProfileStringA(section, key, defaultValue, buffer,
// capacity) leaves in the buffer. *line (when not null) receives the key's
// line, or 0 when the default was taken; *cut whether the value did not fit.
std::string ReadProfileString(const ProfileFile& file, const char* section, const char* key,
                              const char* defaultValue, size_t capacity, int* line = nullptr,
                              bool* cut = nullptr);

#endif
