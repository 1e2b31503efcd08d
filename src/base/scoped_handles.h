// Handles that close themselves on every path out of the scope that opened
// them. Each type knows its own invalid value; Release hands the handle over
// explicitly. Windows only (header-only, not part of the native build).
#ifndef WEVELINK_BASE_SCOPED_HANDLES_H
#define WEVELINK_BASE_SCOPED_HANDLES_H

#include <windows.h>
#include <ddeml.h>
#include <wininet.h>

template <typename Traits>
class ScopedHandle {
 public:
  typedef typename Traits::Type Type;
  ScopedHandle() = default;
  explicit ScopedHandle(Type handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool IsValid() const { return handle_ != Traits::Invalid(); }
  Type Get() const { return handle_; }
  // Closes what is held and takes handle.
  void Reset(Type handle = Traits::Invalid()) {
    if (IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }
  Type Release() {
    Type handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }

 private:
  Type handle_ = Traits::Invalid();
};

struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE
  typedef HANDLE Type;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandleTraits {  // threads, events, mappings: null
  typedef HANDLE Type;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct RegKeyTraits {
  typedef HKEY Type;
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};

struct ModuleTraits {  // LoadLibrary: null
  typedef HMODULE Type;
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct FindTraits {  // FindFirstFile: INVALID_HANDLE_VALUE
  typedef HANDLE Type;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

struct InternetTraits {  // InternetOpen, InternetOpenUrl: null
  typedef HINTERNET Type;
  static HINTERNET Invalid() { return nullptr; }
  static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
struct GdiObjectTraits {  // bitmaps, brushes, fonts: null
  typedef HGDIOBJ Type;
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC: null
  typedef HDC Type;
  static HDC Invalid() { return nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};
struct DdeConversationTraits {  // DdeConnect: null
  typedef HCONV Type;
  static HCONV Invalid() { return nullptr; }
  static void Close(HCONV h) { DdeDisconnect(h); }
};


typedef ScopedHandle<FileHandleTraits> ScopedFile;
typedef ScopedHandle<KernelHandleTraits> ScopedKernelHandle;
typedef ScopedHandle<RegKeyTraits> ScopedKey;
typedef ScopedHandle<ModuleTraits> ScopedModule;
typedef ScopedHandle<FindTraits> ScopedFind;
typedef ScopedHandle<InternetTraits> ScopedInternet;
typedef ScopedHandle<GdiObjectTraits> ScopedGdiObject;
typedef ScopedHandle<MemoryDcTraits> ScopedMemoryDc;
typedef ScopedHandle<DdeConversationTraits> ScopedDdeConversation;

// Opens or creates (no class, non-volatile, default security) a registry
// key into key, which holds it only on ERROR_SUCCESS (whatever the platform
// left in its out-parameter otherwise). Returns the platform's result.
inline LONG OpenRegKey(ScopedKey* key, HKEY hive, const char* path, REGSAM access) {
  HKEY opened = nullptr;
  LONG result = RegOpenKeyExA(hive, path, 0, access, &opened);
  key->Reset(result == ERROR_SUCCESS ? opened : nullptr);
  return result;
}
inline LONG CreateRegKey(ScopedKey* key, HKEY hive, const char* path, REGSAM access) {
  HKEY created = nullptr;
  LONG result = RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                &created, nullptr);
  key->Reset(result == ERROR_SUCCESS ? created : nullptr);
  return result;
}

// A DDE string handle belongs to its client instance, which frees it.
class ScopedDdeString {
 public:
  ScopedDdeString() = default;
  ScopedDdeString(DWORD instance, HSZ handle) : instance_(instance), handle_(handle) {}
  ~ScopedDdeString() { Reset(); }
  ScopedDdeString(const ScopedDdeString&) = delete;
  ScopedDdeString& operator=(const ScopedDdeString&) = delete;

  bool IsValid() const { return handle_ != nullptr; }
  HSZ Get() const { return handle_; }
  void Reset() {
    if (handle_) DdeFreeStringHandle(instance_, handle_);
    handle_ = nullptr;
  }
  void Reset(DWORD instance, HSZ handle) {
    Reset();
    instance_ = instance;
    handle_ = handle;
  }
  HSZ Release() {
    HSZ handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  DWORD instance_ = 0;
  HSZ handle_ = nullptr;
};

#endif
