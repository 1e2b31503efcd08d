// The site folder and its URLs; see site_files.h.
#include "site_files.h"

#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>

#include <vector>

#include "base/portable/bounded_text.h"

namespace {

// A root no server answers for (".invalid" is reserved for that).
const char kUnservedRoot[] = "http://site.invalid/";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void InitSite(Site* site, const std::string& folder, const std::string& base) {
  site->folder = folder;
  while (site->folder.size() > 1 && site->folder.back() == '/') site->folder.pop_back();
  site->served = !base.empty();
  site->rootUrl = site->served ? base : kUnservedRoot;
  if (site->rootUrl.back() != '/') site->rootUrl += '/';
}

std::string ShownPath(const Site& site, const std::string& relative) {
  return site.folder + "/" + relative;
}

std::string PageAddress(const Site& site, const std::string& relative) {
  return site.rootUrl + relative;
}

bool SitePathOfUrl(const Site& site, const std::string& url, std::string* relative) {
  if (url.size() < site.rootUrl.size() ||
      !StartsWithNoCase(url.c_str(), site.rootUrl.c_str())) {
    return false;
  }
  std::string rest = url.substr(site.rootUrl.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::string decoded;
  for (size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '%' && i + 2 < rest.size() && HexDigit(rest[i + 1]) >= 0 &&
        HexDigit(rest[i + 2]) >= 0) {
      c = (char)(HexDigit(rest[i + 1]) * 16 + HexDigit(rest[i + 2]));
      i += 2;
    }
    decoded += c == '\\' ? '/' : c;
  }
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= decoded.size()) {
    size_t slash = decoded.find('/', at);
    if (slash == std::string::npos) slash = decoded.size();
    std::string part = decoded.substr(at, slash - at);
    at = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  relative->clear();
  for (const std::string& part : parts) {
    if (!relative->empty()) *relative += '/';
    *relative += part;
  }
  return true;
}

std::string SiteFilePath(const Site& site, const std::string& relative) {
  return site.folder + "/" + relative;
}

bool SiteFileExists(const Site& site, const std::string& relative) {
  struct stat info;
  return !relative.empty() && stat(SiteFilePath(site, relative).c_str(), &info) == 0 &&
         S_ISREG(info.st_mode);
}

bool FindSiteFileInOtherCase(const Site& site, const std::string& relative, std::string* actual) {
  const size_t slash = relative.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : relative.substr(0, slash + 1);
  const std::string name = relative.substr(folder.size());
  DIR* listing = opendir(SiteFilePath(site, folder).c_str());
  bool found = false;
  while (listing && !found) {
    const dirent* entry = readdir(listing);
    if (entry == nullptr) break;
    found = name != entry->d_name && CompareTextNoCase(name.c_str(), entry->d_name) == 0 &&
            SiteFileExists(site, folder + entry->d_name);
    if (found) *actual = folder + entry->d_name;
  }
  if (listing) closedir(listing);
  return found;
}

bool ReadSiteFile(const Site& site, const std::string& relative, std::string* contents) {
  contents->clear();
  if (!SiteFileExists(site, relative)) return false;
  FILE* file = fopen(SiteFilePath(site, relative).c_str(), "rb");
  if (!file) return false;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) contents->append(buffer, n);
  fclose(file);
  return true;
}

int LineOfOffset(const std::string& text, size_t offset) {
  const char end = text.find('\n') != std::string::npos ? '\n' : '\r';
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == end) ++line;
  }
  return line;
}
