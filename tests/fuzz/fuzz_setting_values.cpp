// Values of a hostile initialization file: each mapping gives one of its
// documented results, numbers read as a reference reading of atol clamped
// to 32 bits gives them, and the install place of a name and the folder
// composed for it do not depend on letter case or on the buffer beyond
// refusing what does not fit. The first byte sizes the folder buffer; the
// rest is the value, the installation folder and the working folder.
#include <ctype.h>
#include <stdint.h>

#include "base/portable/page_values.h"
#include "config/portable/install_type.h"
#include "config/portable/setting_values.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

long long ReferenceNumber(const std::string& text) {
  return ReferenceClampedNumber(text, " \t\n\r\v\f");
}

std::string FolderFor(InstallPlace place, const std::string& install, const std::string& working) {
  const char* sub = place == kInstallInConfig    ? "Config\\"
                    : place == kInstallInMacros  ? "Macros\\"
                    : place == kInstallInScripts ? "Scripts\\"
                                                 : nullptr;
  std::string folder = sub ? working : install;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return sub ? folder + sub : folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = 1 + data[0];
  std::vector<std::string> in = SplitInput(data + 1, size - 1, 3);
  const char* value = in[0].c_str();

  FUZZ_REQUIRE(BaseRegistryFromText(value) <= 2);
  FUZZ_REQUIRE(ConnectionTypeFromText(value) <= 4);
  FUZZ_REQUIRE(ConnectionTypeFromText(value) == ConnectionTypeFromText(AsciiUpper(in[0]).c_str()));
  FUZZ_REQUIRE(YesNoFromText(value) == (value[0] == 'Y' || value[0] == 'y'));
  FUZZ_REQUIRE(NumberFromText(value) == ReferenceNumber(in[0]));
  FUZZ_REQUIRE(ParseNumber(value) == NumberFromText(value));

  // A folder that is not a full path would be taken from the browser's
  // current folder.
  if (IsFullFolderPath(value)) {
    const std::string& v = in[0];
    FUZZ_REQUIRE(v.size() >= 3 && (v[1] == ':' ? isalpha((unsigned char)v[0]) && v[2] == '\\'
                                                : v[0] == '\\' && v[1] == '\\' && v[2] != '\\'));
    FUZZ_REQUIRE(v.find(':', 2) == std::string::npos);
  }

  const char* last = LastPathComponent(value);
  FUZZ_REQUIRE(last >= value && last <= value + in[0].size());
  FUZZ_REQUIRE(strpbrk(last, "\\/") == nullptr);

  const InstallPlace place = ClassifyInstallFile(value);
  FUZZ_REQUIRE(place >= kInstallOnDesktop && place <= kInstallInInstallation);
  FUZZ_REQUIRE(place == ClassifyInstallFile(AsciiUpper(in[0]).c_str()));
  FUZZ_REQUIRE(place == ClassifyInstallFile(AsciiLower(in[0]).c_str()));
  const bool link = in[0].size() >= 3 && AsciiLower(in[0].substr(in[0].size() - 3)) == "lnk";
  FUZZ_REQUIRE(link == (place == kInstallOnDesktop));

  if (place != kInstallOnDesktop) {
    FuzzBuffer folder(capacity);
    bool fits = ComposeInstallFolder(place, in[1].c_str(), in[2].c_str(), folder.data(), capacity);
    const std::string whole = FolderFor(place, in[1], in[2]);
    if (fits) {
      FUZZ_REQUIRE(folder.Text() == whole);
    } else {
      FUZZ_REQUIRE(whole.size() >= capacity);
      (void)folder.Text();
    }
  }
  return 0;
}
