// The publisher check in front of everything the control starts or loads
// from a download: a program named by a cabinet, a library that registers
// itself. A file that fails is reported to the user, in the form the
// session launcher uses for its programs, and must not be run.
#ifndef WEVELINK_DOWNLOAD_TRUSTED_FILE_H
#define WEVELINK_DOWNLOAD_TRUSTED_FILE_H

#include <windows.h>

// VerifyTrust(path); on failure the system's text of the code is fetched
// (or a reason of the control's own where the platform has none) and format
// (a "%X", "%s", "%s" text such as "Security error %X executing program
// %s:\r\n%s") is filled with the code, shown (the path when null) and that
// text, logged and shown through ThreadedMessageBox. Returns the code, 0
// when the file is trusted.
LONG CheckTrustOrReport(const char* path, const char* format, const char* shown = nullptr);

// A downloaded program or library refused before it replaces the
// installed one.
const char kInstallRefusal[] = "Security error %X installing %s:\r\n%s";

#endif
