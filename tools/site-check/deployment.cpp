// The driver's steps as far as a site can be checked: the control-wide
// PARAMs, the server location, the two initialization files; then the
// settings, lists and sessions (their own files). See deployment.h.
#include "deployment.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/page_values.h"
#include "base/portable/session_kinds.h"
#include "download/portable/request_url.h"
#include "findings.h"

namespace {

enum { kUrlCapacity = 260, kDesktopIniNameCapacity = 128 };

// The control-wide PARAMs and the buffers the driver reads them into
// (src/control/deployment_driver.cpp, its ReadParameter calls, and
// CacheTimeout in src/download/internet_session.cpp); a longer value stops
// the deployment. The per-session PARAMs are checked by the
// session-list builder itself (sessions.cpp).
struct ParamCapacity {
  const char* name;
  size_t capacity;
  bool fromServer;  // read only when the page does not launch locally
};
const ParamCapacity kParamCapacities[] = {
    {"LogEvents", 16, false},         {"CacheRetries", 16, true},
    {"MaxConnsPerServer", 16, true},  {"MaxConnsPer10Server", 16, true},
    {"IniFile", 260, true},           {"CacheTimeout", 16, true},
    {"Sessions", 64, false},
};
const size_t kDistFileCapacity = 64;

// True when the value is too long (reported).
bool CheckCapacity(Deployment& d, const char* name, size_t capacity) {
  const PageParamLine* param = FindPageParam(*d.object, name);
  if (!param) return false;
  size_t length = ControlTextLength(param->value);
  if (length + 1 <= capacity) return false;
  Report(kError, d.page, param->line,
         "PARAM %s is %zu characters long, more than its %zu: the control stops the deployment "
         "(\"Buffer Overrun Check Failure\")",
         param->name.c_str(), length, capacity - 1);
  return true;
}

// True when a value too long stops the deployment before its lists: the
// rest of it is not followed (the lists and sessions are checked to the
// end, each skipping only what its own value stops).
bool CheckCapacities(Deployment& d, bool local) {
  bool stopped = false;
  for (const ParamCapacity& row : kParamCapacities) {
    if (row.fromServer && local) continue;
    bool over = CheckCapacity(d, row.name, row.capacity);
    stopped |= over && strcmp(row.name, "Sessions") != 0;
  }
  if (local) return stopped;
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    char name[32];
    FormatText(name, sizeof name, "%sDistFile", SessionParameterPrefix(kind));
    CheckCapacity(d, name, kDistFileCapacity);
  }
  return stopped;
}

// A PARAM given twice: the property bag hands the control the first.
void CheckRepeatedParams(Deployment& d) {
  const std::vector<PageParamLine>& params = d.object->params;
  for (size_t i = 0; i < params.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (CompareTextNoCase(params[i].name.c_str(), params[j].name.c_str()) != 0) continue;
      Report(kWarning, d.page, params[i].line,
             "PARAM %s is given again (first at line %d): the control takes only the first",
             params[i].name.c_str(), params[j].line);
      break;
    }
  }
}

// Loads a file fetched from the server into *file; false when it is not
// there (the caller reports how the control takes that).
bool LoadServerProfile(Deployment& d, const std::string& name, const std::string& file, int line,
                       ProfileFile* profile, bool* notInSite) {
  std::string relative, url, text;
  *notInSite = false;
  if (!ServerFile(d, name, file, line, &relative, &url)) return false;
  if (!ReadSiteFile(*d.site, relative, &text)) {
    *notInSite = true;
    return false;
  }
  profile->shownPath = ShownPath(*d.site, relative);
  LoadProfile(text, profile);
  return true;
}

void ReadDesktopMode(Deployment& d) {
  int line = 0;
  bool cut = false;
  std::string name = ReadProfileString(d.ini, "Kestrava", "DesktopMode", "",
                                       kDesktopIniNameCapacity, &line, &cut);
  if (name.empty()) return;
  d.desktopMode = true;
  if (cut) {
    Report(kError, d.ini.shownPath, line,
           "DesktopMode is longer than %d characters: the control fetches the cut name %s",
           kDesktopIniNameCapacity - 1, name.c_str());
  }
  // Both files are kept in the download folder under their last names.
  if (CompareTextNoCase(LastPathComponent(name.c_str()), LastPathComponent(d.iniName.c_str())) ==
          0 &&
      CompareTextNoCase(name.c_str(), d.iniName.c_str()) != 0) {
    Report(kError, d.ini.shownPath, line,
           "the desktop initialization file %s has the initialization file's local name %s: "
           "its copy replaces the initialization file's, and the cabinet sections, custom "
           "shortcuts and sessions are read from it",
           name.c_str(), LastPathComponent(name.c_str()));
  }
  bool notInSite = false;
  d.deskLoaded = LoadServerProfile(d, name, d.ini.shownPath, line, &d.desk, &notInSite);
  if (notInSite) {
    Report(kError, d.ini.shownPath, line,
           "the desktop initialization file %s is not in the site: the control shows a cache "
           "error and installs with every desktop setting's default",
           name.c_str());
  }
}

}  // namespace

bool ServerFile(Deployment& d, const std::string& name, const std::string& file, int line,
                std::string* relative, std::string* url) {
  char formed[kUrlCapacity];
  if (!FormRequestUrl(d.serverUrl.c_str(), name.c_str(), formed, sizeof formed)) {
    Report(kError, file, line,
           "the request URL for %s is longer than %d characters: the control does not fetch it",
           name.c_str(), kUrlCapacity - 1);
    return false;
  }
  *url = formed;
  return d.serverInSite && SitePathOfUrl(*d.site, *url, relative);
}

void CheckDeployment(Deployment& d) {
  CheckRepeatedParams(d);
  const PageParamLine* local = FindPageParam(*d.object, "LocalLaunch");
  const bool localLaunch = local && BeginsWithY(local->value.c_str());
  if (CheckCapacities(d, localLaunch)) return;
  if (localLaunch) {
    CheckSessions(d);
    return;
  }

  const PageParamLine* retries = FindPageParam(*d.object, "CacheRetries");
  if (retries && ParseNumber(retries->value.c_str()) < 0) {
    Report(kError, d.page, retries->line,
           "CacheRetries is %ld: the control makes no download attempt at all (initialization "
           "file, lists and components)",
           ParseNumber(retries->value.c_str()));
  }
  const PageParamLine* timeout = FindPageParam(*d.object, "CacheTimeout");
  long milliseconds = 0;
  if (timeout && ControlTextLength(timeout->value) < 16 &&
      !ParsePositiveNumber(timeout->value.c_str(), &milliseconds)) {
    Report(kWarning, d.page, timeout->line,
           "CacheTimeout \"%s\" is not a positive number: the control keeps the platform's "
           "receive timeout",
           timeout->value.c_str());
  }
  const PageParamLine* iniFile = FindPageParam(*d.object, "IniFile");
  if (!iniFile) {
    Report(kError, d.page, d.object->line,
           "the OBJECT has no IniFile PARAM: the control stops the deployment (\"OBJECT Tag "
           "missing PARAM reference to Kestrava Initialization File.\")");
    return;
  }
  char serverUrl[kUrlCapacity];
  char iniName[kUrlCapacity];
  DeriveServerLocation(iniFile->value.c_str(), PageAddress(*d.site, d.pageRelative).c_str(),
                       serverUrl, sizeof serverUrl, iniName, sizeof iniName);
  d.serverUrl = serverUrl;
  d.iniName = iniName;
  std::string folder;
  d.serverInSite = SitePathOfUrl(*d.site, d.serverUrl + "/", &folder);
  if (!d.serverInSite) {
    Report(kWarning, d.page, iniFile->line,
           "the server %s is not this site folder%s: its files are not checked",
           d.serverUrl.c_str(), d.site->served ? "" : " (give --base URL if it is)");
  }

  bool notInSite = false;
  d.iniLoaded = LoadServerProfile(d, d.iniName, d.page, iniFile->line, &d.ini, &notInSite);
  if (notInSite) {
    Report(kError, d.page, iniFile->line,
           "the initialization file %s is not in the site: the control shows a cache error and "
           "goes on with every setting's default",
           d.iniName.c_str());
  }
  if (d.iniLoaded) ReadDesktopMode(d);
  CheckSettings(d);
  CheckDistributionLists(d);
  CheckSessions(d);
}
