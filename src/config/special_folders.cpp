// Shell special folders; see special_folders.h.
#include "config/special_folders.h"

#include <shlobj.h>

#include "base/portable/bounded_text.h"
#include "base/module_folders.h"

namespace {

// Frees an item identifier list through the shell's allocator.
void FreeItemList(LPITEMIDLIST items) {
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(items);
    allocator->Release();
  }
}

}  // namespace

HRESULT GetSpecialFolder(int csidl, char* path, size_t capacity) {
  LPITEMIDLIST items = nullptr;
  // Without the create flag the shell refuses a folder that does not exist
  // yet, and a missing desktop would never be created.
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl | CSIDL_FLAG_CREATE, &items)) ||
      items == nullptr) {
    return E_INVALIDARG;
  }
  HRESULT result = E_INVALIDARG;
  char folder[MAX_PATH];
  if (SHGetPathFromIDListA(items, folder)) {
    if (CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
      if (strlen(folder) < capacity && CopyText(path, capacity, folder)) result = S_OK;
    }
  }
  FreeItemList(items);
  return result;
}

bool GetDesktopFolder(char* path, size_t capacity) {
  int csidl = PlatformVersion().dwPlatformId == VER_PLATFORM_WIN32_NT
                  ? CSIDL_COMMON_DESKTOPDIRECTORY
                  : CSIDL_DESKTOPDIRECTORY;
  bool found = GetSpecialFolder(csidl, path, capacity) == S_OK;
  return AddBackslash(path, capacity) && found;
}
