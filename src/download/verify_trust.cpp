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
LONG CheckFile(void* context) {
  const char* path = (const char*)context;
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0)
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

LONG VerifyTrust(const char* path) {
  LONG result = TRUST_E_SYSTEM_ERROR;
  if (!path) return result;
  RunOnWorker(CheckFile, (void*)path, &result, CentreSecurityWarning, nullptr);
  return result;
}
