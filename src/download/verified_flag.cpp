// The verified-flag store; see verified_flag.h.
#include "download/verified_flag.h"

#include "config/deployment_settings.h"
#include "download/verified_flag_private.h"
#include "base/scoped_handles.h"

BYTE VerifiedFlag[kVerifiedKinds];

const char kVerifiedFlagKey[] = "Software\\MARROCK\\Kestrava Web";

namespace {

bool IsKind(int kind) { return kind >= 0 && kind < kVerifiedKinds; }

}  // namespace

LONG StoreVerifiedFlag(int kind, BYTE value) {
  if (!IsKind(kind)) return ERROR_INVALID_PARAMETER;
  VerifiedFlag[kind] = value;
  ScopedKey key;
  LONG result = CreateRegKey(&key, EmulatorRootHive(), kVerifiedFlagKey, KEY_SET_VALUE);
  if (result != ERROR_SUCCESS) return result;
  return RegSetValueExA(key.Get(), SessionVerifiedValueName(kind), 0, REG_BINARY, &value, 1);
}

void LoadVerifiedFlag(int kind) {
  if (!IsKind(kind)) return;
  ScopedKey key;
  if (OpenRegKey(&key, EmulatorRootHive(), kVerifiedFlagKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return;
  BYTE value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key.Get(), SessionVerifiedValueName(kind), nullptr, &type, &value, &size) ==
          ERROR_SUCCESS &&
      size == 1) {
    VerifiedFlag[kind] = value;
  }
}

BYTE VerifiedFlagOf(int kind) { return IsKind(kind) ? VerifiedFlag[kind] : 0; }
