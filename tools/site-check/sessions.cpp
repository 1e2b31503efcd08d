// The page's sessions, through the control's own session-list builder
// (src/sessions/portable/session_list.h): its host here reads the PARAMs,
// reports the length checks the builder asks for, the names it skips and
// the sessions whose own PARAM is missing, and tries the cookie addresses.
#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"
#include "deployment.h"
#include "download/portable/request_url.h"
#include "findings.h"
#include "http_probe.h"
#include "sessions/portable/session_list.h"

namespace {

class CheckingHost : public SessionListHost {
 public:
  CheckingHost(Deployment& d, int sessionsLine) : d_(d), sessionsLine_(sessionsLine) {}

  // The name the builder is working on: set by each ReadParameter of a
  // name without an underscore suffix, which is the session's own.
  ParameterRead ReadParameter(const char* name, size_t capacity, char* value,
                              size_t valueSize) override {
    const PageParamLine* param = FindPageParam(*d_.object, name);
    const bool own = name[0] != '\0' && IsSessionName(name);
    if (own) current_ = name;
    if (!param) {
      if (own) {
        Report(kError, d_.page, sessionsLine_,
               "session %s has no PARAM %s (its configuration file): the control does not "
               "start it",
               name, name);
      }
      return kParameterAbsent;
    }
    size_t length = ControlTextLength(param->value);
    if (capacity > 0 && length + 1 > capacity) {
      Report(kError, d_.page, param->line,
             "PARAM %s is %zu characters long, more than its %zu: the control cancels the "
             "deployment (\"Buffer Overrun Check Failure\")",
             param->name.c_str(), length, capacity - 1);
      return kParameterTooLong;
    }
    CopyText(value, valueSize, param->value.c_str());
    if (strlen(name) > 4 && strcmp(name + strlen(name) - 4, "_Blk") == 0) {
      cookieLine_ = param->line;
    }
    return kParameterPresent;
  }

  void Log(const char* text) override {
    if (StartsWithNoCase(text, "Session name ") && strstr(text, "is not usable")) {
      std::string line = text;
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      Report(kError, d_.page, sessionsLine_, "%s", line.c_str());
    }
  }

  bool DesktopMode() override { return d_.desktopMode; }
  int EmbedMode() override { return embedMode_; }
  int RequestEmbedMode(int mode) override { return embedMode_ = mode; }

  const char* FetchCookie(const char* address) override {
    char url[260];
    if (!FormRequestUrl(d_.serverUrl.c_str(), address, url, sizeof url)) {
      Report(kError, d_.page, cookieLine_,
             "the cookie address of %s does not fit 259 characters: the control does not "
             "fetch it",
             current_.c_str());
      return nullptr;
    }
    std::string relative;
    if (d_.site->served || !d_.serverInSite || !SitePathOfUrl(*d_.site, url, &relative)) {
      std::string problem;
      if (!ProbeUrl(url, d_.options->timeoutMs, &problem)) {
        Report(kError, d_.page, cookieLine_,
               "the cookie address %s does not answer (%s): the control shows a cache error "
               "and starts %s without single sign-on",
               url, problem.c_str(), current_.c_str());
      }
    } else if (!SiteFileExists(*d_.site, relative)) {
      Report(kError, d_.page, cookieLine_,
             "the cookie address %s is not in the site (give --base URL to ask the server): "
             "the control starts %s without single sign-on",
             address, current_.c_str());
    }
    // The answer is the signed-on user's: not decoded here.
    return nullptr;
  }

  void ShowCookieError(long) override {}
  void DispatchPending() override {}
  bool CancelRequested() override { return cancelled_; }
  void RequestCancel() override { cancelled_ = true; }

  void AddSessionName(const std::string& name) { names_.push_back(name); }

 private:
  bool IsSessionName(const char* name) const {
    for (const std::string& n : names_) {
      if (n == name) return true;
    }
    return false;
  }

  Deployment& d_;
  int sessionsLine_;
  int cookieLine_ = 0;
  int embedMode_ = kEmbedModeOff;
  bool cancelled_ = false;
  std::string current_;
  std::vector<std::string> names_;
};

}  // namespace

void CheckSessions(Deployment& d) {
  const PageParamLine* sessions = FindPageParam(*d.object, "Sessions");
  // A value too long has stopped the deployment already.
  if (!sessions || ControlTextLength(sessions->value) >= 64) return;
  CheckingHost host(d, sessions->line);
  const std::string& value = sessions->value;
  size_t at = 0;
  while (true) {
    size_t comma = value.find(',', at);
    size_t length = comma == std::string::npos ? std::string::npos : comma - at;
    std::string name = value.substr(at, length);
    host.AddSessionName(name);
    if (!name.empty() && SessionKindOfName(name.c_str()) < 0) {
      Report(kError, d.page, sessions->line,
             "session name %s selects no kind (its first two letters must be MD, MP, AD, AP, "
             "FT or VT, in capitals): the control starts no program for it",
             name.c_str());
    }
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  static SessionList list;  // 128 KB: not for the stack
  BuildSessionList(value.c_str(), &host, &list);
}
