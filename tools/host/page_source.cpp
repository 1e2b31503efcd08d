// Page addresses and page text; see page_source.h.
#include "page_source.h"

#include <shlwapi.h>
#include <wininet.h>

namespace {

// One page at a time: the raw bytes and their UTF-16 form.
BYTE g_raw[kMaxPageBytes];
wchar_t g_wide[kMaxPageBytes + 1];

bool StartsWithNoCaseW(const wchar_t* text, const wchar_t* prefix) {
  int length = lstrlenW(prefix);
  int textLength = lstrlenW(text);
  if (textLength < length) return false;
  return CompareStringOrdinal(text, length, prefix, length, TRUE) == CSTR_EQUAL;
}

struct InternetHandle {
  HINTERNET handle = nullptr;
  ~InternetHandle() {
    if (handle) InternetCloseHandle(handle);
  }
};

struct FileHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

HRESULT LastError() {
  DWORD error = GetLastError();
  return HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE);
}

HRESULT ReadRemote(const PageSource& source, size_t* length, DWORD* status) {
  InternetHandle session, request;
  session.handle =
      InternetOpenW(L"Wevelink Host", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session.handle == nullptr) return LastError();
  request.handle = InternetOpenUrlW(session.handle, source.url, nullptr, 0,
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                        INTERNET_FLAG_NO_UI,
                                    0);
  if (request.handle == nullptr) return LastError();
  DWORD code = 0, size = sizeof code;
  if (!HttpQueryInfoW(request.handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code,
                      &size, nullptr)) {
    return LastError();
  }
  *status = code;
  if (code != 200) return E_FAIL;
  size_t used = 0;
  for (;;) {
    DWORD read = 0;
    DWORD room = (DWORD)(kMaxPageBytes - used);
    if (room == 0) {
      BYTE probe;
      if (InternetReadFile(request.handle, &probe, 1, &read) && read > 0) {
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
      }
      break;
    }
    if (!InternetReadFile(request.handle, g_raw + used, room, &read)) return LastError();
    if (read == 0) break;
    used += read;
  }
  *length = used;
  return S_OK;
}

HRESULT ReadLocal(const PageSource& source, size_t* length) {
  FileHandle file;
  file.handle = CreateFileW(source.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file.handle == INVALID_HANDLE_VALUE) return LastError();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.handle, &size)) return LastError();
  if (size.QuadPart > (LONGLONG)kMaxPageBytes) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
  DWORD read = 0;
  if (!ReadFile(file.handle, g_raw, (DWORD)size.QuadPart, &read, nullptr)) return LastError();
  *length = read;
  return S_OK;
}

// g_raw[0..length) to UTF-8 in text; see page_source.h for the choice.
HRESULT ConvertToUtf8(size_t length, char* text, size_t capacity, size_t* textLength) {
  const BYTE* bytes = g_raw;
  int wideLength = 0;
  if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    wideLength = (int)((length - 2) / 2);
    memcpy(g_wide, bytes + 2, (size_t)wideLength * sizeof(wchar_t));
  } else {
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
      bytes += 3;
      length -= 3;
    }
    if (length == 0) {
      text[0] = '\0';
      *textLength = 0;
      return S_OK;
    }
    wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, (const char*)bytes,
                                     (int)length, g_wide, (int)kMaxPageBytes);
    if (wideLength == 0) {
      wideLength = MultiByteToWideChar(CP_ACP, 0, (const char*)bytes, (int)length, g_wide,
                                       (int)kMaxPageBytes);
    }
    if (wideLength == 0) return LastError();
  }
  int written = 0;
  if (wideLength > 0) {
    written = WideCharToMultiByte(CP_UTF8, 0, g_wide, wideLength, text, (int)(capacity - 1),
                                  nullptr, nullptr);
    if (written == 0) return LastError();
  }
  text[written] = '\0';
  *textLength = (size_t)written;
  return S_OK;
}

}  // namespace

bool ResolvePageSource(const wchar_t* given, PageSource* source, const char** reason) {
  ZeroMemory(source, sizeof *source);
  *reason = "";
  if (lstrlenW(given) >= kMaxAddressChars) {
    *reason = "address too long";
    return false;
  }
  if (StartsWithNoCaseW(given, L"http://") || StartsWithNoCaseW(given, L"https://")) {
    source->remote = true;
    lstrcpynW(source->address, given, kMaxAddressChars);
    lstrcpynW(source->url, given, ARRAYSIZE(source->url));
    return true;
  }
  wchar_t path[MAX_PATH];
  if (StartsWithNoCaseW(given, L"file:")) {
    DWORD size = ARRAYSIZE(path);
    if (FAILED(PathCreateFromUrlW(given, path, &size, 0))) {
      *reason = "not a file URL";
      return false;
    }
  } else {
    lstrcpynW(path, given, ARRAYSIZE(path));
  }
  DWORD full = GetFullPathNameW(path, ARRAYSIZE(source->path), source->path, nullptr);
  if (full == 0 || full >= ARRAYSIZE(source->path)) {
    *reason = "path too long";
    return false;
  }
  lstrcpynW(source->address, source->path, kMaxAddressChars);
  DWORD size = ARRAYSIZE(source->url);
  if (FAILED(UrlCreateFromPathW(source->path, source->url, &size, 0))) {
    *reason = "no file URL for the path";
    return false;
  }
  return true;
}

HRESULT FetchPageText(const PageSource& source, char* text, size_t capacity, size_t* length,
                      DWORD* status) {
  *length = 0;
  *status = 0;
  if (capacity == 0) return E_INVALIDARG;
  text[0] = '\0';
  size_t rawLength = 0;
  HRESULT hr = source.remote ? ReadRemote(source, &rawLength, status)
                             : ReadLocal(source, &rawLength);
  if (FAILED(hr)) return hr;
  return ConvertToUtf8(rawLength, text, capacity, length);
}
