// See browser_settings.h. Failures are skipped: these settings help the
// downloads along but never decide a deployment.
#include "control/browser_settings.h"

#include <windows.h>

namespace {
const char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}

void RenameCodeBaseSearchPath() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInternetSettings, 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    return;
  }
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
  RegCloseKey(key);
}

void WriteMaxConnections(long count, bool forVersion10) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    return;
  }
  DWORD value = (DWORD)count;
  BYTE bytes[4] = {(BYTE)value, (BYTE)(value >> 8), (BYTE)(value >> 16), (BYTE)(value >> 24)};
  RegSetValueExA(key, forVersion10 ? "MaxConnectionsPer1_0Server" : "MaxConnectionsPerServer", 0,
                 REG_BINARY, bytes, sizeof bytes);
  RegCloseKey(key);
}
