// Shortcut values from a hostile initialization file: every expansion of
// "%qy%" and "%kv%" stays within its field, whatever the folder holds, and
// is what a reference reading of the token rules gives (only the value's
// own tokens expanded, one backslash after each taken with it), or that
// text cut at the field. The first byte sizes the field; the rest is the
// value and the folder, separated by a zero byte.
#include <stdint.h>

#include "config/portable/folder_macros.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

FUZZ_HARNESS_ONLY
std::string Folder(const std::string& base, bool addKestrava) {
  std::string folder = base;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return addKestrava ? folder + "Kestrava\\" : folder;
}

// Every token in text replaced by folder, each search going on after the
// token and the backslash that belongs to it.
template <typename Gap>
FUZZ_HARNESS_ONLY
std::string Replace(const std::string& text, const char* token, const std::string& folder, Gap gap) {
  std::string out;
  size_t at = 0;
  for (size_t found; (found = text.find(token, at)) != std::string::npos;) {
    out += gap(text.substr(at, found - at)) + folder;
    at = found + 4;
    if (at < text.size() && text[at] == '\\') ++at;
  }
  return out + gap(text.substr(at));
}

FUZZ_HARNESS_ONLY
std::string KindUrl(const std::string& value, const std::string& temp) {
  size_t token = value.find("%qy%");
  if (token == std::string::npos) token = value.find("%kv%");
  if (token == std::string::npos) return value;
  size_t after = token + 4;
  if (after < value.size() && value[after] == '\\') ++after;
  return Folder(temp, true) + value.substr(after);
}

FUZZ_HARNESS_ONLY
std::string CustomTarget(const std::string& value, const std::string& base, bool addKestrava) {
  const std::string folder = Folder(base, addKestrava);
  auto same = [](const std::string& text) { return text; };
  auto gap = [&](const std::string& text) { return Replace(text, "%kv%", folder, same); };
  return Replace(value, "%qy%", folder, gap);
}

void Check(bool fits, const FuzzBuffer& out, const std::string& whole) {
  FUZZ_REQUIRE(fits ? out.Text() == whole : IsCutOf(out.Text(), whole, out.capacity()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = 1 + data[0];
  std::vector<std::string> in = SplitInput(data + 1, size - 1, 2);
  FuzzBuffer url(capacity), target(capacity), plain(capacity);
  Check(ExpandKindUrl(in[0].c_str(), in[1].c_str(), url.data(), capacity), url, KindUrl(in[0], in[1]));
  Check(ExpandCustomTarget(in[0].c_str(), in[1].c_str(), true, target.data(), capacity), target,
        CustomTarget(in[0], in[1], true));
  Check(ExpandCustomTarget(in[0].c_str(), in[1].c_str(), false, plain.data(), capacity), plain,
        CustomTarget(in[0], in[1], false));
  return 0;
}
