// The platform-free parsers of outside input; the first byte picks one (kParsers). Outputs are
// heap blocks of exact capacity, so ASan sees overruns; unterminated outputs and bad counts trap.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/portable/page_values.h"
#include "base/portable/session_kinds.h"
#include "config/portable/folder_macros.h"
#include "config/portable/install_type.h"
#include "config/portable/setting_values.h"
#include "cookie_maker.h"
#include "desktop/portable/shortcut_text.h"
#include "download/portable/cabinet_names.h"
#include "download/portable/distribution_list.h"
#include "download/portable/request_url.h"
#include "download/portable/server_port.h"
#include "sessions/portable/launch_text.h"
#include "sessions/portable/session_list.h"

#define REQUIRE(condition) if (!(condition)) __builtin_trap()

namespace {

struct Out {  // filled with a byte no text operation writes
  explicit Out(size_t n) : size(n), bytes((char*)malloc(n + !n)) { memset(bytes, 0x7F, n); }
  ~Out() { free(bytes); }
  std::string Text() const {
    REQUIRE(size > 0 && memchr(bytes, 0, size) != nullptr);
    return bytes;
  }
  size_t size;
  char* bytes;
};

// The input's texts, split at zero bytes; the last takes the rest, zeros left out.
std::vector<std::string> Split(const uint8_t* data, size_t size, size_t parts) {
  std::vector<std::string> texts(parts);
  for (size_t i = 0, part = 0; i < size; ++i) {
    if (data[i] != 0) texts[part] += (char)data[i];
    if (data[i] == 0 && part + 1 < parts) ++part;
  }
  return texts;
}

// A cookie response (even byte), or a payload given its checksum and cipher (odd).
void Cookie(const uint8_t* data, size_t size) {
  if (size < 4) return;
  const std::string rest((const char*)data + 4, size - 4);
  const std::string text = data[0] & 1 ? "blkcookie=" + EncodePayload(rest) + ";" : rest.c_str();
  Out first(data[1] % 40), second(data[2] % 40), third(data[3] * 2u);
  unsigned long length = 0xABCD;
  const long result = blk_ParseCookie(text.c_str(), first.bytes, first.size, second.bytes,
                                      second.size, (unsigned char*)third.bytes, third.size,
                                      &length);
  if (result != kCookieOk) return;
  first.Text();
  second.Text();
  REQUIRE(length < third.size && third.bytes[length] == 0);
}

// A list as fetched; its entries are also names in a cabinet.
void DistributionText(const uint8_t* data, size_t size) {
  static DistributionList list;
  memset(&list, 0xA5, sizeof list);
  ParseDistributionText(std::string((const char*)data, size).c_str(), &list);
  REQUIRE(list.Count >= 0 && list.Count <= kDistributionEntries);
  REQUIRE(memchr(list.FirstLongLine, 0, sizeof list.FirstLongLine) != nullptr);
  const size_t small = 1 + data[size - 1] % 32;
  for (int i = 0; i < list.Count; ++i) {
    const char* entry = list.Entries[i].FileName;
    REQUIRE(memchr(entry, 0, kDistributionNameCapacity) != nullptr);
    const char* part = ComponentNamePart(entry);
    REQUIRE(part >= entry && part <= entry + strlen(entry));
    Out display(small), whole(kDistributionNameCapacity), cut(small);
    FormatComponentDisplayName(entry, i & 1, display.bytes, small);
    display.Text();
    const CompressedName kind = ExpandCompressedName(part, whole.bytes, whole.size);
    // An expanded name that does not fit is refused: cut, it names another file.
    const CompressedName cutKind = ExpandCompressedName(part, cut.bytes, small);
    REQUIRE(cutKind != kExpandedName || (kind == kExpandedName && cut.Text() == whole.Text()));
    IsContainedRelativePath(entry);
  }
}

// A capacity byte, then a shortcut value and a folder.
void FolderMacros(const uint8_t* data, size_t size) {
  const std::vector<std::string> in = Split(data + 1, size - 1, 2);
  const size_t capacity = 1 + data[0];
  for (int i = 0; i < 3; ++i) {
    Out out(capacity);
    const bool fits = i == 0 ? ExpandKindUrl(in[0].c_str(), in[1].c_str(), out.bytes, capacity)
                             : ExpandCustomTarget(in[0].c_str(), in[1].c_str(), i == 1,
                                                  out.bytes, capacity);
    REQUIRE(out.Text().size() == capacity - 1 || fits);  // cut at the field
  }
}

// A capacity byte, then an IniFile or setting value, a page address or file name, a folder.
void PageValues(const uint8_t* data, size_t size) {
  const std::vector<std::string> in = Split(data + 1, size - 1, 3);
  const size_t capacity = 1 + data[0];
  Out url(capacity), name(capacity), path(capacity), local(capacity), request(capacity),
      folder(capacity);
  DeriveServerLocation(in[0].c_str(), in[1].c_str(), url.bytes, capacity, name.bytes, capacity);
  FormRequestUrl(url.Text().c_str(), name.Text().c_str(), request.bytes, capacity);
  request.Text();
  if (FileUrlToPath(in[0].c_str(), path.bytes, capacity)) path.Text();
  FormLocalPath(in[2].c_str(), in[1].c_str(), local.bytes, capacity);
  local.Text();
  const int kind = SessionKindInFileName(in[2].c_str());
  REQUIRE(kind >= -1 && kind < kSessionKinds);
  const char* value = in[0].c_str();
  REQUIRE(BaseRegistryFromText(value) <= 2 && ConnectionTypeFromText(value) <= 4);
  NumberFromText(value);
  const InstallPlace place = ClassifyInstallFile(value);
  REQUIRE(place >= kInstallOnDesktop && place <= kInstallInInstallation);
  if (place == kInstallOnDesktop) return;
  ComposeInstallFolder(place, in[1].c_str(), in[2].c_str(), folder.bytes, capacity);
  folder.Text();
}

// The builder's page: "NAME=VALUE" records, the last one of a name first.
struct Page : SessionListHost {
  Page(const std::vector<std::string>& texts, bool desk) : records(texts), desktop(desk) {}
  __attribute__((no_sanitize("coverage"))) const char* Find(const char* name) const {
    const size_t length = strlen(name);
    for (size_t i = records.size(); i-- > 1;) {
      const std::string& text = records[i];
      if (text.compare(0, length, name) == 0 && text[length] == '=') return &text[length + 1];
    }
    return nullptr;
  }
  ParameterRead ReadParameter(const char* name, size_t capacity, char* value,
                              size_t valueSize) override {
    REQUIRE(valueSize >= capacity && valueSize > 0);
    const char* found = Find(name);
    if (found == nullptr) return kParameterAbsent;
    if (capacity > 0 && strlen(found) >= capacity) return kParameterTooLong;
    snprintf(value, valueSize, "%s", found);
    return kParameterPresent;
  }
  // A line cut short would lose its line end.
  void Log(const char* text) override {
    REQUIRE(strlen(text) > 1 && strcmp(text + strlen(text) - 2, "\r\n") == 0);
  }
  bool DesktopMode() override { return desktop; }
  int EmbedMode() override { return mode; }
  int RequestEmbedMode(int asked) override { return mode = asked; }
  const char* FetchCookie(const char* address) override { return Find(address); }
  void ShowCookieError(long) override {}
  void DispatchPending() override {}
  bool CancelRequested() override { return cancelled; }
  void RequestCancel() override { cancelled = true; }
  const std::vector<std::string>& records;
  bool desktop;
  int mode = kEmbedModeOff;
  bool cancelled = false;
};

// The Sessions value, then the page's parameters, split at zero bytes.
void Sessions(const uint8_t* data, size_t size) {
  const std::vector<std::string> records = Split(data + 1, size - 1, 64);
  Page page(records, data[0] & 1);
  static SessionList list;
  memset(&list, 0xA5, sizeof list);
  BuildSessionList(records[0].c_str(), &page, &list);
  REQUIRE(list.Count >= 0 && list.Count <= kSessionEntries);
  const LaunchGeometry geometry = {-1, -2147483647L - 1, 0, 2147483647L, data[0]};
  for (int i = 0; i < list.Count; ++i) {
    const char* command = list.Commands[i];
    REQUIRE(memchr(command, 0, kSessionCommandCapacity) != nullptr);
    const int kind = SessionKindOfCommand(command);
    REQUIRE(kind >= -1 && kind < kSessionKinds);
    const int slot = ReuseSlotOfCommand(command);
    REQUIRE(slot >= -1 && slot < kSessionInstances);
    Out line(kLaunchLineCapacity);
    const char* folder = data[0] & 2 ? "" : "C:\\Program Files\\Kestrava";
    if (BeginLaunchLine(line.bytes, line.size, folder, command, kind, page.desktop) &&
        FinishLaunchLine(line.bytes, line.size, i % 3, i & 1 ? &geometry : nullptr)) {
      line.Text();
    }
  }
}

void ShortcutText(const uint8_t* data, size_t size) {
  std::string text = std::string((const char*)data + 1, size - 1).c_str();
  const size_t capacity = 1 + data[0];
  Out link(capacity), program(capacity), arguments(capacity), argument(capacity);
  bool replaced;
  LinkFileNameOf(text.c_str(), link.bytes, capacity, &replaced);
  // Whole or cut, a link's name never names another folder.
  REQUIRE(link.Text().find_first_of("\\/:") == std::string::npos);
  SplitCustomTarget(text.c_str(), program.bytes, capacity, arguments.bytes, capacity);
  REQUIRE(program.Text().size() + arguments.Text().size() <= text.size());
  // Nothing that could end the Program Manager's command.
  const bool taken = ProgmanArgument(text.c_str(), argument.bytes, capacity);
  REQUIRE(argument.Text().empty() || (taken && text.find_first_of("\"[]") == std::string::npos));
  CutBrowserCommand(&text[0]);
}

// In the order of the selector byte; a new parser goes at the end.
void (*const kParsers[])(const uint8_t*, size_t) = {
    Cookie, DistributionText, FolderMacros, PageValues, Sessions, ShortcutText,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  kParsers[data[0] % (sizeof kParsers / sizeof kParsers[0])](data + 1, size - 1);
  return 0;
}
