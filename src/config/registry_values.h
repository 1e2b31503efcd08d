// The registry writes shared by the emulator settings and the installation
// keys: keys opened with create-on-open, values of the three shapes the
// session programs read (REG_SZ with its terminator counted, one byte, a
// little-endian 32-bit integer), and the box that reports a key that
// cannot be created.
#ifndef WEVELINK_CONFIG_REGISTRY_VALUES_H
#define WEVELINK_CONFIG_REGISTRY_VALUES_H

#include <windows.h>

#include "base/scoped_handles.h"

// What the writers of values need: query, set, and create below.
const REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

// Value writes; their results are not checked by the callers, a value that
// cannot be written is simply missing.
LONG SetTextValue(HKEY key, const char* name, const char* text);
LONG SetByteValue(HKEY key, const char* name, BYTE value);
LONG SetInt32Value(HKEY key, const char* name, LONG value);

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* HiveName(HKEY hive);

// Shows "Unable to create key: <hive>\<path>" in an unowned box with the
// caption "Web-to-Host Control" and waits for the answer.
void ShowKeyFailure(HKEY hive, const char* path);

#endif
