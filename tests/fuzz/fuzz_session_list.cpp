// The session lines a hostile page and cookie server make: the builder's
// list holds at most 32 entries, each command terminated within its 4,096
// bytes, every log line whole, and the same page gives the same list and
// log again; the launcher's texts formed from each of the first eight
// commands are terminated within their capacity and are the whole joined
// text or refused.
//
// Input: a flags byte (desktop mode, embedding refused, the verified
// flags, a second build), then zero-separated records: the "Sessions" value, then
// "NAME=VALUE" parameters. A cookie address is looked up as a parameter
// name, so a record "sso=blkcookie=..." answers "MD_S1_Blk=sso".
#include <stdint.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/portable/session_kinds.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "sessions/portable/launch_text.h"
#include "sessions/portable/session_list.h"

namespace {

// The page's parameters. The builder asks for hundreds of names per page,
// and a std::map lookup, instrumented like the code under test, took most
// of the target's time; a scan of the few records by a hash of each name
// costs less. A later record of a name replaces an earlier one.
class Parameters {
 public:
  FUZZ_HARNESS_ONLY void Set(std::string name, std::string value) {
    entries_.push_back({Hash(name.c_str()), std::move(name), std::move(value)});
  }
  FUZZ_HARNESS_ONLY const std::string* Find(const char* name) const {
    const uint32_t hash = Hash(name);
    for (size_t i = entries_.size(); i-- > 0;) {
      if (entries_[i].hash == hash && entries_[i].name == name) return &entries_[i].value;
    }
    return nullptr;
  }

 private:
  struct Entry {
    uint32_t hash;
    std::string name, value;
  };
  // FNV-1a.
  FUZZ_HARNESS_ONLY static uint32_t Hash(const char* name) {
    uint32_t hash = 2166136261u;
    for (; *name; ++name) hash = (hash ^ (unsigned char)*name) * 16777619u;
    return hash;
  }
  std::vector<Entry> entries_;
};

class PageHost : public SessionListHost {
 public:
  PageHost(const Parameters& parameters, bool desktop, bool refuseEmbedding)
      : parameters_(parameters), desktop_(desktop), refuseEmbedding_(refuseEmbedding) {}

  ParameterRead ReadParameter(const char* name, size_t capacity, char* value, size_t valueSize) override {
    FUZZ_REQUIRE(valueSize >= capacity && valueSize > 0 && strlen(name) < 128);
    const std::string* found = parameters_.Find(name);
    if (found == nullptr) return kParameterAbsent;
    const std::string& text = *found;
    if (capacity > 0 && text.size() > capacity - 1) return kParameterTooLong;
    const size_t length = text.size() < valueSize ? text.size() : valueSize - 1;
    memcpy(value, text.data(), length);
    value[length] = '\0';
    return kParameterPresent;
  }
  void Log(const char* text) override {
    const size_t length = strlen(text);
    FUZZ_REQUIRE(length >= 2 && strcmp(text + length - 2, "\r\n") == 0);
    log_ += text;
  }
  bool DesktopMode() override { return desktop_; }
  int EmbedMode() override { return mode_; }
  int RequestEmbedMode(int mode) override {
    FUZZ_REQUIRE(mode >= kEmbedModeOff && mode <= kEmbedModeFullScreen);
    mode_ = refuseEmbedding_ ? kEmbedModeOff : mode;
    return mode_;
  }
  const char* FetchCookie(const char* address) override {
    const std::string* found = parameters_.Find(address);
    return found == nullptr ? nullptr : found->c_str();
  }
  void ShowCookieError(long code) override { FUZZ_REQUIRE(code == 502 || code == 504); }
  void DispatchPending() override {}
  bool CancelRequested() override { return cancelled_; }
  void RequestCancel() override { cancelled_ = true; }

  const std::string& log() const { return log_; }
  bool cancelled() const { return cancelled_; }

 private:
  const Parameters& parameters_;
  bool desktop_, refuseEmbedding_;
  int mode_ = kEmbedModeOff;
  bool cancelled_ = false;
  std::string log_;
};

std::string JoinedLine(const std::string& folder, const std::string& command, int kind, bool desktop) {
  std::string whole = folder;
  if (whole.empty() || whole.back() != '\\') whole += '\\';
  whole += command;
  if (!desktop && SessionFamilySwitch(kind)) whole += SessionFamilySwitch(kind);
  return whole;
}

void CheckLaunchTexts(const char* command, const std::string& folder, bool desktop,
                      const unsigned char* verified, const LaunchGeometry* geometry, size_t smallCapacity) {
  const int kind = SessionKindOfCommand(command);
  FUZZ_REQUIRE(kind >= -1 && kind < kSessionKinds);
  const int slot = ReuseSlotOfCommand(command);
  FUZZ_REQUIRE(slot >= -1 && slot < kSessionInstances && (slot == -1) == (strstr(command, "/s") == nullptr));

  FuzzBuffer line(kLaunchLineCapacity);
  bool fits = BeginLaunchLine(line.data(), kLaunchLineCapacity, folder.c_str(), command, kind, desktop);
  std::string whole = JoinedLine(folder, command, kind, desktop);
  FUZZ_REQUIRE(fits ? line.Text() == whole : whole.size() >= kLaunchLineCapacity);
  if (!fits) return;  // the launcher refuses it
  const int configSwitch = (int)(smallCapacity % 3);
  fits = FinishLaunchLine(line.data(), kLaunchLineCapacity, configSwitch, geometry);
  whole += " /u" + std::to_string(configSwitch);
  if (geometry) {
    whole += " /*" + std::to_string(geometry->container) + " /(" + std::to_string(geometry->left) + " /)" +
             std::to_string(geometry->top) + " /_" + std::to_string(geometry->right) + " /+" +
             std::to_string(geometry->bottom);
  }
  whole += " /@";
  const std::string text = line.Text();
  FUZZ_REQUIRE(fits ? text == whole : whole.size() >= kLaunchLineCapacity);
  if (!fits) return;

  const int check = KindNeedingCheck(text.c_str(), verified);
  FUZZ_REQUIRE(check >= -1 && check < kSessionKinds);
  if (check >= 0) FUZZ_REQUIRE(verified[check] == 0 && strstr(text.c_str(), SessionProgramTag(check)));

  FuzzBuffer program(smallCapacity);
  if (ProgramPathOf(text.c_str(), desktop, program.data(), smallCapacity)) {
    const std::string path = program.Text();
    const char* extension = desktop ? ".EXE" : ".PRO";
    FUZZ_REQUIRE(StartsWith(text, path));
    FUZZ_REQUIRE(path == text || (path.size() >= 4 && path.compare(path.size() - 4, 4, extension) == 0));
  } else {
    (void)program.Text();
  }
  FuzzBuffer instance(smallCapacity);
  if (InstanceTextOf(text.c_str(), instance.data(), smallCapacity)) {
    const std::string value = instance.Text();
    FUZZ_REQUIRE(value.find(' ') == std::string::npos &&
                 (text.find("/s" + value) != std::string::npos || text.find("/S" + value) != std::string::npos));
  } else {
    FUZZ_REQUIRE(smallCapacity == 0 || instance.Text().empty());
  }
}

struct Built {
  std::unique_ptr<SessionList> list{new SessionList};
  std::string log;
  bool cancelled = false;
};

void Build(const std::string& sessions, const Parameters& parameters, bool desktop,
           bool refuseEmbedding, unsigned char fill, Built* out) {
  memset(out->list.get(), fill, sizeof *out->list);
  PageHost host(parameters, desktop, refuseEmbedding);
  BuildSessionList(sessions.c_str(), &host, out->list.get());
  out->log = host.log();
  out->cancelled = host.cancelled();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool desktop = data[0] & 1, refuseEmbedding = data[0] & 2;
  const unsigned char verified[kSessionKinds] = {
      (unsigned char)(data[0] & 4), 0, (unsigned char)(data[0] & 8), 0, (unsigned char)(data[0] & 16), 1};
  std::vector<std::string> records = SplitInput(data + 1, size - 1, 64);
  Parameters parameters;
  for (size_t i = 1; i < records.size(); ++i) {
    const size_t equals = records[i].find('=');
    if (equals != std::string::npos) parameters.Set(records[i].substr(0, equals), records[i].substr(equals + 1));
  }

  // The second build, over a list filled differently, shows whether
  // anything the builder reads depends on what the list held before. It
  // doubles an input's cost, so the flags byte asks for it on an eighth of
  // them.
  static Built first, second;
  const bool twice = (data[0] & 224) == 224;
  Build(records[0], parameters, desktop, refuseEmbedding, 0xA5, &first);
  if (twice) Build(records[0], parameters, desktop, refuseEmbedding, 0x5A, &second);
  const Built& other = twice ? second : first;
  const SessionList& list = *first.list;
  FUZZ_REQUIRE(list.Count >= 0 && list.Count <= kSessionEntries);
  FUZZ_REQUIRE(list.Count <= 1 + (int)std::count(records[0].begin(), records[0].end(), ','));
  FUZZ_REQUIRE(first.log == other.log && first.cancelled == other.cancelled);
  FUZZ_REQUIRE(list.Count == other.list->Count && memcmp(list.Save, other.list->Save, sizeof list.Save) == 0);
  for (int i = 0; i < kSessionEntries; ++i) FUZZ_REQUIRE(list.Save[i] <= 1);

  const std::string* named = parameters.Find("@folder");
  const std::string folder = named ? *named : "C:\\Program Files\\Kestrava";
  const LaunchGeometry geometry = {(long)(data[0] * 0x01010101L), -(long)data[0], 0, 2147483647L, -2147483647L - 1};
  for (int i = 0; i < list.Count; ++i) {
    const char* command = list.Commands[i];
    FUZZ_REQUIRE(memchr(command, 0, kSessionCommandCapacity) != nullptr);
    FUZZ_REQUIRE(strcmp(command, other.list->Commands[i]) == 0);
    // A named kind's program, or only switches for a name of no kind.
    FUZZ_REQUIRE(command[0] == '\0' || StartsWith(command, "KV") || StartsWith(command, " /"));
    if (StartsWith(command, "KV")) {
      const char* blank = strchr(command, ' ');
      const std::string program(command, blank ? (size_t)(blank - command) : strlen(command));
      FUZZ_REQUIRE(program.size() > 4 &&
                   program.compare(program.size() - 4, 4, desktop ? ".EXE" : ".PRO") == 0);
    }
    // The launcher's texts of the first commands: the later ones are built
    // by the same code, and checking all 32 took an eighth of the time.
    if (i < 8) {
      CheckLaunchTexts(command, folder, desktop, verified, (i & 1) ? &geometry : nullptr,
                       1 + (size_t)data[0] % 40);
    }
  }
  return 0;
}
