// wevelink-check: reads a site folder as the control would meet it on a
// workstation and reports, one line each, what the control would take
// silently or only show there. Built natively from the control's own
// platform-free parsers, so that the two cannot disagree.
//
//   wevelink-check [--base URL] [--trust CERTS.pem] [--timeout MS] [--stamp] SITE_FOLDER
//                  [PAGE...]
//
// Exit code 0: nothing found; 1: warnings only; 2: errors (or a usage
// error).
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/portable/bounded_text.h"
#include "deployment.h"
#include "findings.h"
#include "page_objects.h"
#include "site_files.h"

namespace {

// The control's class (CLSID_WevelinkCtrl in src/control/wevelink_ids.cpp),
// taken from there by the build.
const char kControlClassId[] = WEVELINK_CONTROL_CLSID;

void PrintUsage() {
  fprintf(stderr,
          "usage: wevelink-check [--base URL] [--trust CERTS.pem] [--timeout MS] [--stamp] "
          "SITE_FOLDER [PAGE...]\n"
          "  Checks the pages (every *.htm and *.html below SITE_FOLDER when none is named)\n"
          "  and the initialization files, distribution lists and components they name.\n"
          "  --base URL        where SITE_FOLDER is served; cookie addresses are asked there\n"
          "  --trust CERTS.pem the publisher roots the workstations trust (default: the "
          "system's)\n"
          "  --timeout MS      how long an address may take to answer (default 2000)\n"
          "  --stamp           write each listed file's size and SHA-256 into its list\n"
          "                    (lines naming a file of the site), then check\n"
          "Exit code: 0 nothing found, 1 warnings only, 2 errors.\n");
}

bool IsPageName(const char* name) {
  size_t n = strlen(name);
  return (n > 4 && CompareTextNoCase(name + n - 4, ".htm") == 0) ||
         (n > 5 && CompareTextNoCase(name + n - 5, ".html") == 0);
}

// Every page below folder/relative, in name order.
void FindPages(const std::string& folder, const std::string& relative,
               std::vector<std::string>* pages) {
  std::string path = relative.empty() ? folder : folder + "/" + relative;
  DIR* dir = opendir(path.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* entry = readdir(dir)) {
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
      names.push_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string child = relative.empty() ? name : relative + "/" + name;
    // Linked folders are not followed: a link back up would never end.
    struct stat info;
    if (lstat((folder + "/" + child).c_str(), &info) != 0) continue;
    if (S_ISLNK(info.st_mode) && stat((folder + "/" + child).c_str(), &info) == 0 &&
        S_ISDIR(info.st_mode)) {
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      FindPages(folder, child, pages);
    } else if (S_ISREG(info.st_mode) && IsPageName(name.c_str())) {
      pages->push_back(child);
    }
  }
}

// Each of the page's control OBJECTs is one deployment.
int CheckPage(const Site& site, const CheckOptions& options, const std::string& relative,
              std::map<std::string, int>* signatures) {
  std::string html;
  const std::string shown = ShownPath(site, relative);
  if (!ReadSiteFile(site, relative, &html)) {
    Report(kError, shown, 0, "the page cannot be read");
    return 0;
  }
  std::vector<ControlObject> objects;
  if (!ReadControlObjects(html, kControlClassId, &objects)) {
    Report(kWarning, shown, 0,
           "the page holds more OBJECTs, PARAMs or text than the checker reads; the rest is "
           "not checked");
  }
  for (const ControlObject& object : objects) {
    Deployment d;
    d.site = &site;
    d.options = &options;
    d.page = shown;
    d.pageRelative = relative;
    d.object = &object;
    d.signatures = signatures;
    CheckDeployment(d);
  }
  return (int)objects.size();
}

}  // namespace

int main(int argc, char** argv) {
  CheckOptions options;
  std::string base;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--base" && hasValue) {
      base = argv[++i];
    } else if (arg == "--trust" && hasValue) {
      options.trustFile = argv[++i];
    } else if (arg == "--timeout" && hasValue) {
      options.timeoutMs = atoi(argv[++i]);
    } else if (arg == "--stamp") {
      options.stamp = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage();
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      PrintUsage();
      return 2;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty() || options.timeoutMs <= 0 ||
      (!base.empty() && !StartsWithNoCase(base.c_str(), "http://") &&
       !StartsWithNoCase(base.c_str(), "https://"))) {
    PrintUsage();
    return 2;
  }
  struct stat info;
  if (stat(positional[0].c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    fprintf(stderr, "wevelink-check: %s is not a folder\n", positional[0].c_str());
    return 2;
  }
  Site site;
  InitSite(&site, positional[0], base);
  // A page may be named in the site or by a path through the site folder.
  std::vector<std::string> pages;
  for (size_t i = 1; i < positional.size(); ++i) {
    std::string page = positional[i];
    if (page.compare(0, site.folder.size() + 1, site.folder + "/") == 0)
      page.erase(0, site.folder.size() + 1);
    while (page.compare(0, 2, "./") == 0) page.erase(0, 2);
    pages.push_back(page);
  }
  if (pages.empty()) FindPages(site.folder, "", &pages);

  std::map<std::string, int> signatures;
  int objects = 0;
  for (const std::string& page : pages) objects += CheckPage(site, options, page, &signatures);
  printf("%d error(s), %d warning(s) in %zu page(s), %d control(s)\n", ErrorCount(),
         WarningCount(), pages.size(), objects);
  return ErrorCount() > 0 ? 2 : WarningCount() > 0 ? 1 : 0;
}
