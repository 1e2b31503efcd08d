// The verified-flag store; see verified_flag.h.
#include "download/verified_flag.h"

#include "config/deployment_settings.h"

BYTE VerifiedFlag[kVerifiedKinds];

const char kVerifiedFlagKey[] = "Software\\MARROCK\\Kestrava Web";
const char* const kVerifiedValueNames[kVerifiedKinds] = {"KvmdVerified",  "KvmpVerified",
                                                         "KvadVerified",  "KvapVerified",
                                                         "KvftpVerified", "KvvtVerified"};

namespace {

bool IsKind(int kind) { return kind >= 0 && kind < kVerifiedKinds; }

}  // namespace

LONG StoreVerifiedFlag(int kind, BYTE value) {
  if (!IsKind(kind)) return ERROR_INVALID_PARAMETER;
  VerifiedFlag[kind] = value;
  HKEY key = nullptr;
  LONG result = RegCreateKeyExA(EmulatorRootHive(), kVerifiedFlagKey, 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) return result;
  result = RegSetValueExA(key, kVerifiedValueNames[kind], 0, REG_BINARY, &value, 1);
  RegCloseKey(key);
  return result;
}

void LoadVerifiedFlag(int kind) {
  if (!IsKind(kind)) return;
  HKEY key = nullptr;
  if (RegOpenKeyExA(EmulatorRootHive(), kVerifiedFlagKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  BYTE value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, kVerifiedValueNames[kind], nullptr, &type, &value, &size) ==
          ERROR_SUCCESS &&
      size == 1) {
    VerifiedFlag[kind] = value;
  }
  RegCloseKey(key);
}
