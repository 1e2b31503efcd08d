// Library self-registration; see register_library.h.
#include "download/register_library.h"

#include <windows.h>

#include "base/scoped_handles.h"
#include "base/event_log.h"
#include "download/trusted_file.h"

void RegisterLibrary(const char* path) {
  // A missing file is not a security matter: no box for it.
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    WriteLogLineF("   %s is not there to be registered: error %lu\r\n", path, GetLastError());
    return;
  }
  if (CheckTrustOrReport(path, "Security error %X registering library %s:\r\n%s") != 0) return;
  ScopedModule library(LoadLibraryA(path));
  if (!library.IsValid()) {
    WriteLogLineF("   %s could not be loaded: error %lu\r\n", path, GetLastError());
    return;
  }
  typedef HRESULT(STDAPICALLTYPE * RegisterServer)();
  RegisterServer registerServer =
      (RegisterServer)(void*)GetProcAddress(library.Get(), "DllRegisterServer");
  if (registerServer == nullptr) {
    WriteLogLineF("   %s exports no DllRegisterServer\r\n", path);
    return;
  }
  HRESULT result = registerServer();
  WriteLogLineF("   Registered %s: DllRegisterServer returned 0x%08lX\r\n", path,
                (unsigned long)result);
}
