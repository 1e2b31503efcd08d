// See type_library.h. The library is loaded per request rather than cached
// for the module's life: type information is asked for rarely, and a cached
// library would have to be released at a time when oleaut32 may already be
// gone.
#include "framework/type_library.h"

#include "framework/module_state.h"

HRESULT LoadControlTypeLib(const GUID& libid, WORD major, WORD minor, LCID locale,
                           ITypeLib** library) {
  if (library == nullptr) return E_POINTER;
  *library = nullptr;
  HRESULT hr = LoadRegTypeLib(libid, major, minor, locale, library);
  if (SUCCEEDED(hr)) return hr;
  char path[MAX_PATH];
  WCHAR widePath[MAX_PATH];
  if (!GetModulePath(path, sizeof path) ||
      MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0) {
    return hr;
  }
  *library = nullptr;
  hr = LoadTypeLibEx(widePath, REGKIND_NONE, library);
  if (FAILED(hr)) *library = nullptr;
  return hr;
}
