// The site folder as the web server serves it: request URLs that the
// control forms map to files below the folder, and the files' texts and
// names as the findings show them.
//
// The checker does not know where the folder is served unless told
// (--base URL); without it the folder stands at a made-up root URL, which is
// enough to follow relative names, but not to ask the server anything.
#ifndef WEVELINK_TOOLS_SITE_CHECK_SITE_FILES_H
#define WEVELINK_TOOLS_SITE_CHECK_SITE_FILES_H

#include <string>

struct Site {
  std::string folder;   // as given, without a trailing "/"
  std::string rootUrl;  // the folder's URL, ending in "/"
  bool served;          // rootUrl is where the folder is really served
};

// Sets up site for folder; base is the --base URL or empty.
void InitSite(Site* site, const std::string& folder, const std::string& base);

// "FOLDER/relative", the way the findings name a file of the site.
std::string ShownPath(const Site& site, const std::string& relative);

// The page's address as the browser gives it to the control.
std::string PageAddress(const Site& site, const std::string& relative);

// The site file a request URL asks for: the URL below rootUrl, without
// query or fragment, "%XX" decoded, "\" read as "/" and "." and ".."
// resolved. False when the URL lies outside the site (another server, or
// ".." above the root).
bool SitePathOfUrl(const Site& site, const std::string& url, std::string* relative);

// Reads the site file. False when it is missing or not a plain file.
bool ReadSiteFile(const Site& site, const std::string& relative, std::string* contents);
bool SiteFileExists(const Site& site, const std::string& relative);
// A file of the site whose name differs from relative's last part only in
// case; its relative path in *actual.
bool FindSiteFileInOtherCase(const Site& site, const std::string& relative, std::string* actual);
// The file's path for the tools the checker runs.
std::string SiteFilePath(const Site& site, const std::string& relative);

// Physical line (from 1) of a byte offset: LF ends a line, and CR does in a
// text without LF.
int LineOfOffset(const std::string& text, size_t offset);

#endif
