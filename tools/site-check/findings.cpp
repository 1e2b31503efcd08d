// Printing and counting findings; see findings.h.
#include "findings.h"

#include <stdarg.h>
#include <stdio.h>

#include <set>

namespace {

std::set<std::string> g_Printed;
int g_Errors = 0;
int g_Warnings = 0;

}  // namespace

void Report(Severity severity, const std::string& file, int line, const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  char lineText[32];
  snprintf(lineText, sizeof lineText, "%d", line > 0 ? line : 1);
  std::string printed = file + ":" + lineText + (severity == kError ? ": error: " : ": warning: ") +
                        text;
  if (!g_Printed.insert(printed).second) return;
  ++(severity == kError ? g_Errors : g_Warnings);
  printf("%s\n", printed.c_str());
  fflush(stdout);
}

int ErrorCount() { return g_Errors; }
int WarningCount() { return g_Warnings; }
