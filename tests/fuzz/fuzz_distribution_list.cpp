// A hostile distribution list (the text as fetched, up to its first zero
// byte). The table never holds more than 32 entries nor a name that does
// not fit its buffer, and it agrees with a reference reading of the line
// rules: every line is an entry, a long line or a line past the limit.
// The same text parsed again, into a table full of other bytes, gives the
// same table. Each entry's name part, display name and expanded name stay
// within their buffers, and a smaller buffer gives the same expanded name
// or refuses it.
#include <stdint.h>

#include <memory>

#include "download/portable/distribution_list.h"
#include "fuzz_check.h"

namespace {

long ReferenceVersion(const std::string& text) {
  return (long)ReferenceClampedNumber(text, " \t");
}

void CheckAgainstLines(const std::string& text, const DistributionList& list) {
  int count = 0, past = 0, longLines = 0;
  std::string firstLong;
  size_t at = 0;
  for (;;) {
    while (at < text.size() && (text[at] == '\r' || text[at] == '\n')) ++at;
    if (at >= text.size()) break;
    size_t end = text.find('\r', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end;
    if (count >= kDistributionEntries) {
      ++past;
    } else if (line.size() >= kDistributionNameCapacity) {
      if (longLines++ == 0) firstLong = line.substr(0, sizeof list.FirstLongLine - 1);
    } else {
      const DistributionEntry& entry = list.Entries[count++];
      FUZZ_REQUIRE(memchr(entry.FileName, 0, sizeof entry.FileName) != nullptr);
      const size_t comma = line.find(',');
      FUZZ_REQUIRE(std::string(entry.FileName) == line.substr(0, comma));
      FUZZ_REQUIRE(entry.Version ==
                   (comma == std::string::npos ? 0 : ReferenceVersion(line.substr(comma + 1))));
    }
  }
  FUZZ_REQUIRE(list.Count == count && list.LinesPastLimit == past && list.LongLines == longLines);
  FUZZ_REQUIRE(memchr(list.FirstLongLine, 0, sizeof list.FirstLongLine) != nullptr);
  FUZZ_REQUIRE(std::string(list.FirstLongLine) == firstLong);
}

bool SameTable(const DistributionList& a, const DistributionList& b) {
  if (a.Count != b.Count || a.LinesPastLimit != b.LinesPastLimit || a.LongLines != b.LongLines ||
      strcmp(a.FirstLongLine, b.FirstLongLine) != 0)
    return false;
  for (int i = 0; i < a.Count; ++i) {
    if (strcmp(a.Entries[i].FileName, b.Entries[i].FileName) != 0 ||
        a.Entries[i].Version != b.Entries[i].Version)
      return false;
  }
  return true;
}

void CheckEntry(const char* entry, size_t smallCapacity) {
  const char* part = ComponentNamePart(entry);
  const size_t length = strlen(entry);
  FUZZ_REQUIRE(part >= entry && part <= entry + length);
  FUZZ_REQUIRE(strpbrk(part + (*part == '/' || *part == '\\'), "/\\") == nullptr);
  if (IsUsableNamePart(part)) {
    const char* name = part + (*part == '/' || *part == '\\');
    FUZZ_REQUIRE(*name && strcmp(name, ".") && strcmp(name, "..") && !strchr(name, ':'));
  }
  IsCabinetName(entry);

  for (bool desktop : {false, true}) {
    FuzzBuffer display(smallCapacity);
    FormatComponentDisplayName(entry, desktop, display.data(), smallCapacity);
    const std::string shown = display.Text();
    for (size_t i = 0; i < shown.size(); ++i) {
      FUZZ_REQUIRE(i == 0 ? !(shown[i] >= 'a' && shown[i] <= 'z') : !(shown[i] >= 'A' && shown[i] <= 'Z'));
    }
    if (!desktop) FUZZ_REQUIRE(shown.size() <= length);
  }

  FuzzBuffer whole(kDistributionNameCapacity), small(smallCapacity);
  const CompressedName kind = ExpandCompressedName(part, whole.data(), kDistributionNameCapacity);
  const CompressedName smallKind = ExpandCompressedName(part, small.data(), smallCapacity);
  const std::string expanded = whole.Text();
  const std::string partText = part;
  if (kind == kNotCompressed) {
    FUZZ_REQUIRE(expanded == partText);
  } else if (kind == kExpandedName) {
    FUZZ_REQUIRE(partText.back() == '_' && !expanded.empty() && expanded.back() != '_');
    FUZZ_REQUIRE(StartsWith(partText, expanded.substr(0, expanded.size() - 1)));
    FUZZ_REQUIRE(expanded.size() == partText.size() || expanded.size() + 1 == partText.size());
    // An expanded name is looked for as it is: it is not expanded again.
    FuzzBuffer again(kDistributionNameCapacity);
    FUZZ_REQUIRE(ExpandCompressedName(expanded.c_str(), again.data(), kDistributionNameCapacity) ==
                 kNotCompressed);
  } else {
    FUZZ_REQUIRE(kind == kUnknownCompressed && expanded.empty());
  }
  // A buffer too small for the expanded name must not hand out part of it.
  if (smallKind == kExpandedName) {
    FUZZ_REQUIRE(kind == kExpandedName && small.Text() == expanded);
  } else {
    (void)small.Text();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(std::string((const char*)data, size).c_str());
  std::unique_ptr<DistributionList> list(new DistributionList);
  std::unique_ptr<DistributionList> again(new DistributionList);
  memset(list.get(), 0xA5, sizeof *list);
  memset(again.get(), 0x5A, sizeof *again);
  ParseDistributionText(text.c_str(), list.get());
  ParseDistributionText(text.c_str(), again.get());
  FUZZ_REQUIRE(list->Count >= 0 && list->Count <= kDistributionEntries);
  FUZZ_REQUIRE(list->LinesPastLimit >= 0 && list->LongLines >= 0);
  for (int i = 0; i < list->Count; ++i) {
    const char* name = list->Entries[i].FileName;
    FUZZ_REQUIRE(memchr(name, 0, kDistributionNameCapacity) != nullptr);
    FUZZ_REQUIRE(strpbrk(name, "\r,") == nullptr);
  }
  FUZZ_REQUIRE(SameTable(*list, *again));
  CheckAgainstLines(text, *list);
  const size_t smallCapacity = 1 + (size ? data[size - 1] % 32 : 0);
  for (int i = 0; i < list->Count; ++i) CheckEntry(list->Entries[i].FileName, smallCapacity);
  return 0;
}
