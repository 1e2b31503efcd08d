// Stands in for the control's two self-registering COM servers. DllRegisterServer records only its
// path: HKCU\Software\Wevelink Tests\Registrations, <lower-case file name> = <full path> (REG_SZ).
#include <windows.h>

#include <string.h>

// This library's own module, named by the linker.
extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA((HMODULE)&__ImageBase, path, sizeof path);
  if (length == 0 || length >= sizeof path) return E_FAIL;
  char name[MAX_PATH];
  const char* slash = strrchr(path, '\\');
  lstrcpynA(name, slash ? slash + 1 : path, sizeof name);
  CharLowerA(name);
  const LONG result = RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wevelink Tests\\Registrations",
                                      name, REG_SZ, path, length + 1);
  return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}
