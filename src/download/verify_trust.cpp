// Publisher checks; see verify_trust.h.
#include "download/verify_trust.h"

#include <softpub.h>
#include <wintrust.h>

#include "base/centre_window.h"
#include "base/worker_call.h"

namespace {

// The generic Authenticode action with the documented WINTRUST_DATA record.
// The older record (WIN_TRUST_ACTDATA_CONTEXT_WITH_SUBJECT under the action
// without a dialog for bad files) is obsolete: current platforms and Wine
// read it as a WINTRUST_DATA and answer ERROR_INVALID_PARAMETER for every
// file. WTD_UI_NOBAD keeps its meaning: no dialog for bad files.
struct TrustCheck {
  const char* path;
  char* thumbprint;  // may be null
  size_t thumbprintCapacity;
};

// The SHA-1 thumbprint of the signer's certificate, in hex: what an
// administrator's list of publishers names.
void ReadSignerThumbprint(HANDLE state, char* out, size_t capacity) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer =
      provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
      signer->pasCertChain[0].pCert == nullptr) {
    return;
  }
  BYTE hash[20];
  DWORD size = sizeof hash;
  if (!CertGetCertificateContextProperty(signer->pasCertChain[0].pCert, CERT_SHA1_HASH_PROP_ID,
                                         hash, &size) ||
      size != sizeof hash || capacity < 2 * sizeof hash + 1) {
    return;
  }
  for (DWORD i = 0; i < size; ++i) {
    out[2 * i] = "0123456789ABCDEF"[hash[i] >> 4];
    out[2 * i + 1] = "0123456789ABCDEF"[hash[i] & 15];
  }
  out[2 * size] = '\0';
}

// The generic Authenticode action with the documented WINTRUST_DATA record.
// The older record (WIN_TRUST_ACTDATA_CONTEXT_WITH_SUBJECT under the action
// without a dialog for bad files) is obsolete: current platforms and Wine
// read it as a WINTRUST_DATA and answer ERROR_INVALID_PARAMETER for every
// file. WTD_UI_NOBAD keeps its meaning: no dialog for bad files.
LONG CheckFile(void* context) {
  TrustCheck* check = (TrustCheck*)context;
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, check->path, -1, widePath, MAX_PATH) == 0)
    return (LONG)ERROR_FILENAME_EXCED_RANGE;
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = widePath;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NOBAD;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG result = WinVerifyTrust(nullptr, &action, &data);
  if (result == 0 && check->thumbprint != nullptr) {
    ReadSignerThumbprint(data.hWVTStateData, check->thumbprint, check->thumbprintCapacity);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(nullptr, &action, &data);
  return result;
}

bool CentreSecurityWarning(void*) {
  HWND window = FindWindowA(nullptr, "Security Warning");
  if (!window) return false;
  CentreWindow(window);
  return true;
}

}  // namespace

LONG VerifyTrust(const char* path, char* thumbprint, size_t capacity) {
  LONG result = TRUST_E_SYSTEM_ERROR;
  if (thumbprint != nullptr && capacity > 0) thumbprint[0] = '\0';
  if (!path) return result;
  TrustCheck check = {path, thumbprint, capacity};
  RunOnWorker(CheckFile, &check, &result, CentreSecurityWarning, nullptr);
  return result;
}
