// Registry writes and the key failure box; see registry_values.h.
#include "config/registry_values.h"

#include <string.h>

#include "base/message_box.h"
#include "base/portable/bounded_text.h"

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
  ShowErrorBox(nullptr, text, kControlCaption);
}
