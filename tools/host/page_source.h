// Where a page comes from and how its text is fetched: http:// and
// https:// addresses through WinINet (status 200 required), anything else
// as a local file (a file: URL or a path) through ReadFile. The text is
// handed on as UTF-8: a UTF-8 or UTF-16LE byte-order mark decides, else
// text that is valid UTF-8 is taken as such and anything else as the ANSI
// code page. A charset named in the HTTP headers or the page is not read.
#ifndef WEVELINK_TOOLS_HOST_PAGE_SOURCE_H
#define WEVELINK_TOOLS_HOST_PAGE_SOURCE_H

#include <windows.h>

const size_t kMaxPageBytes = 1024 * 1024;
const int kMaxAddressChars = 2084;

struct PageSource {
  bool remote;
  // The address as the trace and the window title show it: the URL as
  // given, or the full path of a local file.
  wchar_t address[kMaxAddressChars];
  // The address that the container's moniker names: the URL, or the local
  // file's file: URL (file:///C:/folder/page.htm).
  wchar_t url[kMaxAddressChars + 16];
  wchar_t path[MAX_PATH];  // local files only
};

// Resolves an address given on the command line. Returns false (with a
// reason for the trace) when it cannot name a page.
bool ResolvePageSource(const wchar_t* given, PageSource* source, const char** reason);

// Fetches the page's text as UTF-8 into text (terminated; kMaxPageBytes*3+1
// bytes are always enough). *status receives the HTTP status (0 for files).
// Returns S_OK, or the failure: a Win32 error as an HRESULT, E_FAIL for an
// HTTP status other than 200, HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)
// above kMaxPageBytes.
HRESULT FetchPageText(const PageSource& source, char* text, size_t capacity, size_t* length,
                      DWORD* status);

#endif
