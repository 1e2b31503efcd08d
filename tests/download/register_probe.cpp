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
  const LONG result = RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wevelink Tests\\Registrations",
                                      name, REG_SZ, path, length + 1);
  return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}
