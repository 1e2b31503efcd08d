// See folder_path.h.
#include "base/folder_path.h"

#include <windows.h>

#include "base/portable/bounded_text.h"

void CreateFolderPath(const char* path) {
  char partial[MAX_PATH];
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p != '\\') continue;
    if (CopyTextN(partial, sizeof partial, path, (size_t)(p - path))) {
      CreateDirectoryA(partial, nullptr);
    }
  }
  CreateDirectoryA(path, nullptr);
}
