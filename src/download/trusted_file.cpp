// Publisher checks that report; see trusted_file.h.
#include "download/trusted_file.h"

#include <string.h>

#include "base/message_box.h"

#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "config/machine_policy.h"
#include "config/portable/policy_values.h"
#include "download/verify_trust.h"

namespace {

// The platform has no text for most of the publisher check's codes (Wine
// has one for a missing signature alone): a box with the code and nothing
// after it tells the user nothing.
const char* TrustReason(LONG code) {
  switch ((DWORD)code) {
    case 0x800B0003:  // TRUST_E_SUBJECT_FORM_UNKNOWN
      return "The file is not a program or library whose signature can be checked.";
    case 0x800B0004:  // TRUST_E_SUBJECT_NOT_TRUSTED
      return "The file's publisher is not trusted.";
    case 0x800B0100:  // TRUST_E_NOSIGNATURE
      return "The file is not signed.";
    case 0x800B0101:  // CERT_E_EXPIRED
      return "The signer's certificate has expired or is not yet valid.";
    case 0x800B0109:  // CERT_E_UNTRUSTEDROOT
      return "The signer's certificate comes from an authority that is not trusted.";
    case 0x800B010A:  // CERT_E_CHAINING
      return "The signer's certificate cannot be traced to a trusted authority.";
    case 0x800B010C:  // CERT_E_REVOKED
      return "The signer's certificate has been revoked.";
    case 0x800B0111:  // TRUST_E_EXPLICIT_DISTRUST
      return "The signer's certificate is marked as not trusted.";
    case 0x80096010:  // TRUST_E_BAD_DIGEST
      return "The file was changed after it was signed.";
    default:
      return "The platform gives no reason for this code.";
  }
}

}  // namespace

LONG CheckTrustOrReport(const char* path, const char* format, const char* shown) {
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
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                        (DWORD)code, 0, reason, sizeof reason, nullptr)) {
      CopyText(reason, sizeof reason, TrustReason(code));
    }
    // The message ends with the reason, not with an empty line after it.
    size_t length = strlen(reason);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n')) {
      reason[--length] = '\0';
    }
  }
  // Room for the path and the whole reason: the message is never cut
  // before the reason it gives.
  char message[MAX_PATH + sizeof reason + 64];
  FormatText(message, sizeof message, format, (unsigned)code, shown ? shown : path, reason);
  WriteLogTimeStamp();
  WriteLogText(message);
  WriteLogText("\r\n");
  ThreadedMessageBox(message);
  return code;
}
