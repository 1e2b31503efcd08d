// The profile API's reading of initialization files; see profile_file.h.
#include "profile_file.h"

#include "base/portable/bounded_text.h"

namespace {

// The profile loader's blanks: the C blanks, CR, ^Z (the old end-of-file
// mark) and the no-break space of the ANSI code page.
bool IsProfileBlank(unsigned char c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == 0xa0;
}

// UTF-16 text as single bytes: what a Western ANSI code page keeps of it.
std::string NarrowUtf16(const std::string& text, bool bigEndian) {
  std::string narrow;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    unsigned char a = (unsigned char)text[i], b = (unsigned char)text[i + 1];
    unsigned unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
    narrow += unit < 0x100 ? (char)unit : '?';
  }
  return narrow;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsProfileBlank((unsigned char)text[begin])) ++begin;
  while (end > begin && IsProfileBlank((unsigned char)text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

void LoadProfile(const std::string& bytes, ProfileFile* file) {
  std::string text = bytes;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text.erase(0, 3);
  } else if (text.compare(0, 2, "\xFF\xFE") == 0) {
    text = NarrowUtf16(text.substr(2), false);
  } else if (text.compare(0, 2, "\xFE\xFF") == 0) {
    text = NarrowUtf16(text.substr(2), true);
  }
  file->sections.clear();
  file->sections.push_back(ProfileSection{"", 0, {}});
  size_t at = 0;
  for (int line = 1; at < text.size(); ++line) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string content = Trimmed(text.substr(at, end - at));
    at = end + 1;
    if (content.empty()) continue;
    size_t close = content.rfind(']');
    if (content[0] == '[' && close != std::string::npos) {
      file->sections.push_back(ProfileSection{content.substr(1, close - 1), line, {}});
      continue;
    }
    ProfileKey key{content, "", false, line};
    size_t equals = content.find('=');
    if (equals != std::string::npos) {
      key.name = Trimmed(content.substr(0, equals));
      key.value = Trimmed(content.substr(equals + 1));
      key.hasValue = true;
    }
    file->sections.back().keys.push_back(key);
  }
}

const ProfileSection* FindProfileSection(const ProfileFile& file, const char* section) {
  std::string wanted = Trimmed(section);
  for (const ProfileSection& s : file.sections) {
    if (!s.name.empty() && CompareTextNoCase(s.name.c_str(), wanted.c_str()) == 0) return &s;
  }
  return nullptr;
}

std::string ReadProfileString(const ProfileFile& file, const char* section, const char* key,
                              const char* defaultValue, size_t capacity, int* line, bool* cut) {
  if (line) *line = 0;
  if (cut) *cut = false;
  std::string value = defaultValue ? defaultValue : "";
  const ProfileSection* found = FindProfileSection(file, section);
  std::string wanted = Trimmed(key);
  if (found) {
    for (const ProfileKey& k : found->keys) {
      if (CompareTextNoCase(k.name.c_str(), wanted.c_str()) != 0) continue;
      if (k.hasValue) {
        value = k.value;
        if (line) *line = k.line;
      }
      break;
    }
  }
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
      value[value.size() - 1] == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  if (capacity > 0 && value.size() > capacity - 1) {
    value.resize(capacity - 1);
    if (cut) *cut = true;
  }
  return value;
}
