// Component and cabinet entry names chosen by a hostile server or cabinet:
// the special-name tables ignore letter case and agree with the
// compressed-name table (a compressed library or font names the file its
// expansion gives), and a name that passes the containment check never
// leads out of the folder it is appended to, "." and ".." resolved the way
// a path is. The whole input is the name.
#include <stdint.h>

#include <vector>

#include "base/portable/bounded_text.h"
#include "download/portable/cabinet_names.h"
#include "download/portable/distribution_list.h"
#include "download/portable/sibling_clients.h"
#include "download/portable/special_names.h"
#include "fuzz_check.h"

namespace {

// Whether appending name to a folder and resolving "." and ".." stays in
// the folder; separators are "\" and "/" alike.
bool StaysInside(const std::string& name) {
  int depth = 0;
  size_t at = 0;
  while (at <= name.size()) {
    size_t end = name.find_first_of("\\/", at);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(at, end - at);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    at = end + 1;
  }
  return true;
}

// The name the compressed-name table expands name to, or name itself.
std::string ExpandedOrSame(const std::string& name) {
  std::vector<char> out(name.size() + 2);
  if (ExpandCompressedName(name.c_str(), out.data(), out.size()) == kExpandedName) return out.data();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(std::string((const char*)data, size).c_str());
  const std::string spellings[] = {name, AsciiUpper(name), AsciiLower(name)};
  const char* notice = InUseNoticeFor(name.c_str());
  const char* library = SelfRegisteredLibraryFor(name.c_str());
  const InstalledFont* font = InstalledFontFor(name.c_str());
  const char client = SiblingSettingsFileClient(name.c_str());
  const char* installed = DesktopInstalledName(name.c_str());
  for (const std::string& spelling : spellings) {
    FUZZ_REQUIRE(InUseNoticeFor(spelling.c_str()) == notice);
    FUZZ_REQUIRE(SelfRegisteredLibraryFor(spelling.c_str()) == library);
    FUZZ_REQUIRE(InstalledFontFor(spelling.c_str()) == font);
    FUZZ_REQUIRE(SiblingSettingsFileClient(spelling.c_str()) == client);
    FUZZ_REQUIRE(DesktopInstalledName(spelling.c_str()) == installed);
  }

  const std::string expanded = ExpandedOrSame(name);
  if (notice) FUZZ_REQUIRE(library && name.back() == '_');
  if (library) FUZZ_REQUIRE(CompareTextNoCase(expanded.c_str(), library) == 0);
  if (font) FUZZ_REQUIRE(CompareTextNoCase(expanded.c_str(), font->FileName) == 0 && *font->ValueName);
  FUZZ_REQUIRE(client == 0 || client == 'O' || client == 'Z');
  if (installed) {
    const size_t length = strlen(installed);
    FUZZ_REQUIRE(length > 4 && (strcmp(installed + length - 4, ".EXE") == 0 ||
                                strcmp(installed + length - 4, ".DLL") == 0));
  }

  if (IsContainedRelativePath(name.c_str())) {
    FUZZ_REQUIRE(!name.empty() && name.find(':') == std::string::npos && StaysInside(name));
  }

  const SiblingClient* sibling = SiblingClientForCabinet(name.c_str());
  if (sibling) {
    FUZZ_REQUIRE(sibling == SiblingClientByLetter(name[0]));
    const size_t capacity = 1 + name.size() % 300;
    FuzzBuffer path(capacity);
    bool fits = FormatSiblingProgramPath(*sibling, name.c_str(), path.data(), capacity);
    std::string whole = name;
    if (whole.back() != '\\') whole += '\\';
    whole += sibling->Program;
    FUZZ_REQUIRE(fits ? path.Text() == whole : whole.size() >= capacity);
    (void)path.Text();
  }
  return 0;
}
