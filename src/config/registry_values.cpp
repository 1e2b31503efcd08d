// Registry writes and the key failure box; see registry_values.h.
#include "config/registry_values.h"

#include <string.h>

#include "common/bounded_text.h"

LONG ScopedRegKey::Create(HKEY hive, const char* path, REGSAM access) {
  if (key_ != nullptr) {
    RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY key = nullptr;
  LONG result = RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) key_ = key;
  return result;
}

LONG SetTextValue(HKEY key, const char* name, const char* text) {
  if (text == nullptr) text = "";
  return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}

LONG SetByteValue(HKEY key, const char* name, BYTE value) {
  return RegSetValueExA(key, name, 0, REG_BINARY, &value, 1);
}

LONG SetInt32Value(HKEY key, const char* name, LONG value) {
  DWORD bits = (DWORD)value;
  BYTE bytes[4] = {(BYTE)bits, (BYTE)(bits >> 8), (BYTE)(bits >> 16), (BYTE)(bits >> 24)};
  return RegSetValueExA(key, name, 0, REG_BINARY, bytes, sizeof bytes);
}

const char* HiveName(HKEY hive) {
  return hive == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

void ShowKeyFailure(HKEY hive, const char* path) {
  char text[512];
  FormatText(text, sizeof text, "Unable to create key: %s\\%s", HiveName(hive), path);
  MessageBoxA(nullptr, text, "Web-to-Host Control",
              MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}
