// See browser_settings.h. Failures are skipped: these settings help the
// downloads along but never decide a deployment.
#include "control/browser_settings.h"

#include <string.h>
#include <windows.h>

#include "base/scoped_handles.h"

namespace {
const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}

void RenameCodeBaseSearchPath() {
  ScopedKey scoped;
  if (OpenRegKey(&scoped, HKEY_LOCAL_MACHINE, kInternetSettings, KEY_QUERY_VALUE | KEY_SET_VALUE) !=
      ERROR_SUCCESS) {
    return;
  }
  HKEY key = scoped.Get();
  char value[260];
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, "CodeBaseSearchPath", nullptr, &type, (BYTE*)value, &size) ==
      ERROR_SUCCESS) {
    value[size < sizeof value ? size : sizeof value - 1] = '\0';  // stored text may lack it
    RegDeleteValueA(key, "CodeBaseSearchPath");
    RegSetValueExA(key, "XCodeBaseSearchPath", 0, REG_SZ, (const BYTE*)value,
                   (DWORD)strlen(value) + 1);
  }
}

void WriteMaxConnections(long count, bool forVersion10) {
  ScopedKey key;
  if (OpenRegKey(&key, HKEY_CURRENT_USER, kInternetSettings, KEY_SET_VALUE) != ERROR_SUCCESS) {
    return;
  }
  DWORD value = (DWORD)count;
  BYTE bytes[4] = {(BYTE)value, (BYTE)(value >> 8), (BYTE)(value >> 16), (BYTE)(value >> 24)};
  RegSetValueExA(key.Get(), forVersion10 ? "MaxConnectionsPer1_0Server" : "MaxConnectionsPerServer",
                 0, REG_BINARY, bytes, sizeof bytes);
}
