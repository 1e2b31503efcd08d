// The session-list builder; see session_list.h.
#include "sessions/portable/session_list.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "sessions/portable/blk_cookie.h"
#include "base/portable/session_kinds.h"

namespace {

struct Switch {
  const char* suffix;
  size_t capacity;
  const char* format;  // null: the Save flag
};

const size_t kBlkCapacity = 260;
const size_t kVarCapacity = 64;

const Switch kSwitches[] = {
    {"_Description", 64, " /D\"%s\""}, {"_ConnectionName", 64, " /C\"%s\""},
    {"_HostAddress", 64, " /H%s"},     {"_Port", 16, " /O%s"},
    {"_Type", 16, " /T%s"},            {"_Save", 16, nullptr},
    {"_Lu", 16, " /L%s"},              {"_Device", 16, " /L%s"},
    {"_Username", 16, " /N%s"},        {"_Password", 16, " /P%s"},
    {"_Program", 16, " /G%s"},         {"_Menu", 16, " /M%s"},
    {"_Library", 16, " /B%s"},         {"_QueueName", 32, " /A%s"},
    {"_QueueLibrary", 32, " /V%s"},    {"_Font", 32, " /W%s"},
    {"_Formfeed", 32, " /X%s"},        {"_Transform", 32, " /Y%s"},
    {"_Model", 32, " /Z%s"},
};


class Builder {
 public:
  Builder(SessionListHost* host, SessionList* list) : host_(host), list_(list) {}

  // One session. False when the list must stop (a parameter too long).
  bool Build(const char* name) {
    const int kind = SessionKindOfName(name);
    const int instanceAt = SessionInstanceIndex(kind);
    size_t length = strlen(name);
    if (length >= kSessionNameCapacity || (kind >= 0 && length <= (size_t)instanceAt)) {
      LogF("Session name %s is not usable (it needs %d to 31 characters); it is skipped.\r\n",
           name, kind >= 0 ? instanceAt + 1 : 1);
      return true;
    }
    char value[kBlkCapacity];  // the largest capacity below
    char config[64];
    ParameterRead read = host_->ReadParameter(name, sizeof config, config, sizeof config);
    if (read == kParameterAbsent) return true;
    if (read == kParameterTooLong) return Cancel();
    LogF("%s=%s\r\n", name, config);

    const int n = list_->Count;
    command_ = list_->Commands[n];
    command_[0] = '\0';
    if (kind >= 0) StartCommand(kind, name + instanceAt, config);

    ApplyEmbedding(name, value);
    for (const Switch& row : kSwitches) {
      char parameter[kSessionNameCapacity + 32];
      FormatText(parameter, sizeof parameter, "%s%s", name, row.suffix);
      read = host_->ReadParameter(parameter, row.capacity, value, kBlkCapacity);
      if (read == kParameterTooLong) return Cancel();
      if (row.format == nullptr) {
        if (read == kParameterPresent) list_->Save[n] = (value[0] == 'Y' || value[0] == 'y');
        LogF(list_->Save[n] ? "%s: Save=Yes\r\n" : "%s: Save=No\r\n", name);
        continue;
      }
      if (read == kParameterPresent) AppendF(row.format, value);
    }
    char parameter[kSessionNameCapacity + 32];
    FormatText(parameter, sizeof parameter, "%s_Blk", name);
    read = host_->ReadParameter(parameter, kBlkCapacity, value, kBlkCapacity);
    if (read == kParameterTooLong) return Cancel();
    if (read == kParameterPresent) AppendCookie(name, value);
    for (int number = 1; number <= 9; ++number) {
      FormatText(parameter, sizeof parameter, "%s_Var%d", name, number);
      read = host_->ReadParameter(parameter, kVarCapacity, value, kBlkCapacity);
      if (read == kParameterTooLong) return Cancel();
      if (read == kParameterPresent) {
        char text[kVarCapacity + 16];
        FormatText(text, sizeof text, " /%d\"%s\"", number, value);
        AppendText(command_, kSessionCommandCapacity, text);
      }
    }
    ++list_->Count;
    return true;
  }

 private:
  bool Cancel() {
    host_->RequestCancel();
    return false;
  }

  void LogF(const char* format, const char* a, int b = 0) {
    char line[kSessionNameCapacity + 128];
    FormatText(line, sizeof line, format, a, b);
    host_->Log(line);
  }
  void LogF(const char* format, const char* a, const char* b) {
    char line[kSessionNameCapacity + 128];
    FormatText(line, sizeof line, format, a, b);
    host_->Log(line);
  }

  void AppendF(const char* format, const char* value) {
    char text[kBlkCapacity + 16];
    FormatText(text, sizeof text, format, value);
    AppendText(command_, kSessionCommandCapacity, text);
  }

  void StartCommand(int kind, const char* instance, const char* config) {
    const bool fixed = instance[0] != 'X' && instance[0] != 'x';
    AppendText(command_, kSessionCommandCapacity, SessionProgramTag(kind));
    AppendText(command_, kSessionCommandCapacity, ".PRO");
    if (fixed) {
      AppendText(command_, kSessionCommandCapacity, " /s");
      AppendText(command_, kSessionCommandCapacity, instance);
    }
    AppendF(SessionConfigQuoted(kind) ? " /f\"%s\"" : " /f%s", config);
    if (host_->DesktopMode()) {
      // Installed programs carry their own extension.
      char* dot = strchr(command_, '.');
      if (dot && strlen(dot + 1) >= 3) memcpy(dot + 1, "EXE", 3);
    }
  }

  void ApplyEmbedding(const char* name, char* value) {
    char parameter[kSessionNameCapacity + 32];
    FormatText(parameter, sizeof parameter, "%s_RunInBrowser", name);
    // Any length will do: only the first character counts.
    if (host_->ReadParameter(parameter, 0, value, kBlkCapacity) == kParameterPresent) {
      int mode = kEmbedModeOff;
      switch (value[0]) {
        case 'F': case 'f': mode = kEmbedModeFullScreen; break;
        case 'P': case 'p': case 'Y': case 'y': mode = kEmbedModePosition; break;
        default: break;
      }
      host_->RequestEmbedMode(mode);
    }
    switch (host_->EmbedMode()) {
      case kEmbedModePosition:
        LogF("%s: Embed Mode is Enabled - Position\r\n", name);
        break;
      case kEmbedModeFullScreen:
        LogF("%s: Embed Mode is Enabled - Full Screen\r\n", name);
        break;
      default:
        LogF("%s: Embed Mode is Disabled\r\n", name);
        break;
    }
  }

  void AppendCookie(const char* name, const char* address) {
    const char* text = host_->FetchCookie(address);
    // A fetch that failed, or that a cancel cut short (the cacher counts that
    // as done), left some other read or nothing in the buffer: no cookie.
    if (!text || host_->CancelRequested()) {
      LogF("%s: the cookie could not be fetched; the session starts without it.\r\n", name);
      return;
    }
    char first[kCookieFieldCapacity] = "";
    char second[kCookieFieldCapacity] = "";
    unsigned char third[kCookieThirdCapacity] = "";
    unsigned long thirdLength = 0;
    long result = blk_ParseCookie(text, first, sizeof first, second, sizeof second, third,
                                  sizeof third, &thirdLength);
    if (result != 0) {
      host_->ShowCookieError(result);
      return;
    }
    if (first[0]) AppendF(" /i%s", first);
    if (second[0]) AppendF(" /j%s", second);
    if (third[0]) AppendF(" /k%s", (const char*)third);
  }

  SessionListHost* host_;
  SessionList* list_;
  char* command_ = nullptr;
};

}  // namespace

void BuildSessionList(const char* sessions, SessionListHost* host, SessionList* list) {
  list->Count = 0;
  memset(list->Save, 0, sizeof list->Save);
  if (!sessions) return;
  Builder builder(host, list);
  const char* at = sessions;
  while (!host->CancelRequested()) {
    const char* comma = strchr(at, ',');
    size_t length = comma ? (size_t)(comma - at) : strlen(at);
    char name[kSessionNameCapacity * 2];
    if (length >= sizeof name) length = sizeof name - 1;  // still too long: skipped
    CopyTextN(name, sizeof name, at, length);
    if (!builder.Build(name)) return;
    if (list->Count >= kSessionEntries || !comma) return;
    at = comma + 1;
    host->DispatchPending();
  }
}
