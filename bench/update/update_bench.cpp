// What the component update costs on top of its requests.
//
//   update_bench.exe SERVER_URL RUNS
//
// SERVER_URL holds site.ini and six distribution lists md.lst ... vt.lst
// (see run.sh). Prints one line per measured pass:
//   RESULT method seconds cpu_seconds
// first: the initialization file and the six kinds' updates with nothing
//   installed (every listed file downloaded, installed and recorded);
// bare-first: the same requests, one after another, from a bare
//   synchronous WinINet loop reading 32 KB at a time into files;
// noop: the same update with everything current (only the lists fetched);
// bare-noop: the seven requests of a no-op load from the bare loop;
// async-noop: the same seven from a minimal asynchronous client;
// cacher-noop: the same seven requests through the control's cacher.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <wininet.h>

#include "bench_clock.h"
#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "base/module_folders.h"
#include "base/portable/page_values.h"
#include "download/cache_file.h"
#include "download/portable/distribution_list.h"
#include "download/internet_session.h"
#include "download/portable/request_url.h"
#include "download/update_component.h"
#include "download/internet_session_private.h"

namespace {

const char* const kLists[] = {"md.lst", "mp.lst", "ad.lst", "ap.lst", "ftp.lst", "vt.lst"};

void Report(const char* method, double start, double cpuStart) {
  printf("RESULT %s %.4f %.4f\n", method, Now() - start, CpuSeconds() - cpuStart);
  fflush(stdout);
}

// Fetches server/name; into a file of the temporary folder when toFile.
bool BareFetch(HINTERNET session, const char* server, const char* name, bool toFile,
               char* text, size_t capacity) {
  char url[260];
  if (!FormRequestUrl(server, name, url, sizeof url)) return false;
  HINTERNET request = InternetOpenUrlA(session, url, nullptr, 0, kPlainRequestFlags, 0);
  if (!request) return false;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (toFile) {
    char path[MAX_PATH];
    FormatText(path, sizeof path, "%sbare-%s", TempFolderPath(), LastPathComponent(name));
    file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  }
  static char buffer[32 * 1024];
  size_t gathered = 0;
  DWORD count = 0;
  while (InternetReadFile(request, buffer, sizeof buffer, &count) && count > 0) {
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) WriteFile(file, buffer, count, &written, nullptr);
    if (text && gathered + 1 < capacity) {
      size_t take = count < capacity - 1 - gathered ? count : capacity - 1 - gathered;
      memcpy(text + gathered, buffer, take);
      gathered += take;
    }
  }
  if (text) text[gathered] = '\0';
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  InternetCloseHandle(request);
  return true;
}

// The minimal asynchronous client: one event set by the status callback
// at each completion, waited for without a message loop of its own. Shows
// what asynchronous WinINet costs by itself against the synchronous loop.
HANDLE g_AsyncEvent;
volatile DWORD_PTR g_AsyncResult;

void CALLBACK OnAsyncStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID info, DWORD length) {
  if (status != INTERNET_STATUS_REQUEST_COMPLETE) return;
  g_AsyncResult = length >= sizeof(INTERNET_ASYNC_RESULT) ? ((INTERNET_ASYNC_RESULT*)info)->dwResult : 0;
  SetEvent(g_AsyncEvent);
}

bool AsyncFetch(HINTERNET session, const char* server, const char* name) {
  char url[260];
  if (!FormRequestUrl(server, name, url, sizeof url)) return false;
  HINTERNET request = InternetOpenUrlA(session, url, nullptr, 0, kPlainRequestFlags, 1);
  if (!request && GetLastError() == ERROR_IO_PENDING &&
      WaitForSingleObject(g_AsyncEvent, 10000) == WAIT_OBJECT_0) {
    request = (HINTERNET)g_AsyncResult;
  }
  if (!request) return false;
  static char buffer[8192];
  for (;;) {
    INTERNET_BUFFERSA record = {};
    record.dwStructSize = sizeof record;
    record.lpvBuffer = buffer;
    record.dwBufferLength = sizeof buffer;
    if (!InternetReadFileExA(request, &record, IRF_ASYNC, 1) &&
        (GetLastError() != ERROR_IO_PENDING || WaitForSingleObject(g_AsyncEvent, 10000) != WAIT_OBJECT_0))
      break;
    if (record.dwBufferLength == 0) break;
  }
  InternetCloseHandle(request);
  return true;
}

void AsyncLoad(const char* server) {
  if (!g_AsyncEvent) g_AsyncEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HINTERNET session = InternetOpenA("Wevelink bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                    nullptr, INTERNET_FLAG_ASYNC);
  InternetSetStatusCallback(session, OnAsyncStatus);
  AsyncFetch(session, server, "site.ini");
  for (const char* list : kLists) AsyncFetch(session, server, list);
  InternetSetStatusCallback(session, nullptr);
  InternetCloseHandle(session);
}

// A whole load from the bare loop: the initialization file and the lists,
// and with files the listed files too.
void BareLoad(const char* server, bool files) {
  HINTERNET session =
      InternetOpenA("Wevelink bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  BareFetch(session, server, "site.ini", true, nullptr, 0);
  for (const char* list : kLists) {
    static char text[4097];
    BareFetch(session, server, list, false, text, sizeof text);
    if (!files) continue;
    static DistributionList parsed;
    ParseDistributionText(text, &parsed);
    for (int i = 0; i < parsed.Count; ++i)
      BareFetch(session, server, parsed.Entries[i].FileName, true, nullptr, 0);
  }
  InternetCloseHandle(session);
}

// One load through the control: the initialization file, then each list,
// through the pipeline (update) or only fetched by the cacher, which shows
// what the cacher costs against the bare loop apart from the pipeline.
void ControlLoad(bool update) {
  OpenInternetSession(nullptr, nullptr);
  char path[MAX_PATH];
  FormatText(path, sizeof path, "%ssite.ini", DownloadFolderPath());
  HANDLE ini = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  CacheFile("site.ini", ini, false);
  CloseHandle(ini);
  for (int kind = 0; kind < 6; ++kind) {
    if (update) {
      UpdateComponent(kLists[kind], kind);
    } else {
      CacheFile(kLists[kind], INVALID_HANDLE_VALUE, false);
    }
  }
  CloseInternetSession(false);
}

// Forgets every recorded version, so the next load downloads everything.
void ForgetVersions() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWebEmulatorRoot);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: update_bench SERVER_URL RUNS\n");
    return 2;
  }
  const char* server = argv[1];
  int runs = atoi(argv[2]);
  InitializeModuleFolders(GetModuleHandleA(nullptr));
  CopyText(g_ServerUrl, sizeof g_ServerUrl, server);
  ParseServerPort();
  g_CacheRetries = 0;

  for (int run = 0; run < runs; ++run) {
    ForgetVersions();
    double start = Now(), cpu = CpuSeconds();
    ControlLoad(true);
    Report("first", start, cpu);
    start = Now(), cpu = CpuSeconds();
    BareLoad(server, true);
    Report("bare-first", start, cpu);
  }
  for (int run = 0; run < runs * 4; ++run) {
    double start = Now(), cpu = CpuSeconds();
    ControlLoad(true);
    Report("noop", start, cpu);
    start = Now(), cpu = CpuSeconds();
    BareLoad(server, false);
    Report("bare-noop", start, cpu);
    start = Now(), cpu = CpuSeconds();
    AsyncLoad(server);
    Report("async-noop", start, cpu);
    start = Now(), cpu = CpuSeconds();
    ControlLoad(false);
    Report("cacher-noop", start, cpu);
  }
  return 0;
}
