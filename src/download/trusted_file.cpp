// Publisher checks that report; see trusted_file.h.
#include "download/trusted_file.h"

#include "base/message_box.h"

#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "download/verify_trust.h"

LONG CheckTrustOrReport(const char* path, const char* format) {
  LONG code = VerifyTrust(path);
  if (code == 0) return 0;
  char reason[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 (DWORD)code, 0, reason, sizeof reason, nullptr);
  // Room for the path and the whole reason: the message is never cut
  // before the reason it gives.
  char message[MAX_PATH + sizeof reason + 64];
  FormatText(message, sizeof message, format, (unsigned)code, path, reason);
  WriteLogTimeStamp();
  WriteLogText(message);
  WriteLogText("\r\n");
  ThreadedMessageBox(message);
  return code;
}
