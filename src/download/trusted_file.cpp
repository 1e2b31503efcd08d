// Publisher checks that report; see trusted_file.h.
#include "download/trusted_file.h"

#include "base/message_box.h"

#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "config/machine_policy.h"
#include "config/portable/policy_values.h"
#include "download/verify_trust.h"

LONG CheckTrustOrReport(const char* path, const char* format) {
  char thumbprint[kThumbprintCapacity] = "";
  LONG code = VerifyTrust(path, thumbprint, sizeof thumbprint);
  char reason[512] = "";
  if (code == 0) {
    if (PolicyTrustsPublisher(thumbprint)) return 0;
    // Trusted by the platform, but not one of the administrator's
    // publishers: refused like an untrusted file.
    code = TRUST_E_SUBJECT_NOT_TRUSTED;
    FormatText(reason, sizeof reason,
               "Its publisher (certificate thumbprint %s) is not approved by the machine "
               "policy.",
               thumbprint[0] ? thumbprint : "unknown");
  } else {
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   (DWORD)code, 0, reason, sizeof reason, nullptr);
  }
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
