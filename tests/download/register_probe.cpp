// A library that stands in for the control's two self-registering COM
// servers: its DllRegisterServer records that it ran, from which file, as
// HKCU\Software\Wevelink Tests\Registrations, value <file name in lower
// case> = <full path> (REG_SZ). It registers nothing else.
#include <windows.h>

#include <string.h>

namespace {
HMODULE g_Self;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_Self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(g_Self, path, sizeof path);
  if (length == 0 || length >= sizeof path) return E_FAIL;
  char name[MAX_PATH];
  const char* slash = strrchr(path, '\\');
  lstrcpynA(name, slash ? slash + 1 : path, sizeof name);
  CharLowerA(name);
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wevelink Tests\\Registrations", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return E_FAIL;
  }
  LONG result = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)path, length + 1);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}
