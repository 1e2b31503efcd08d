// The checker's findings: one line each, "FILE:LINE: error|warning: text",
// printed as they are found. The same line found again (two pages sharing
// an initialization file or a list) is printed once.
#ifndef WEVELINK_TOOLS_SITE_CHECK_FINDINGS_H
#define WEVELINK_TOOLS_SITE_CHECK_FINDINGS_H

#include <string>

enum Severity {
  kWarning,  // the site works, but not as well as it could (extra downloads, renamed links)
  kError,    // something the site asks for does not happen on the workstation
};

// file is the path as shown (the site folder's name and the file's path in
// it); line 0 stands for the whole file and is shown as 1.
void Report(Severity severity, const std::string& file, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

int ErrorCount();
int WarningCount();

#endif
