// Throughput of CacheFile against a bare synchronous WinINet loop.
//
//   cacher_bench.exe SERVER_URL FILE [RUNS]
//
// Fetches SERVER_URL/FILE into a temporary file RUNS times (default 3) with
// each method, alternating, and prints one line per run:
//   RESULT method seconds cpu_seconds bytes
// where cpu_seconds is this process's user and kernel time over the run.
// The bare loop is what any WinINet client does at the least: a
// synchronous session, one InternetOpenUrlA with the cacher's flags and
// 4,096-byte InternetReadFile calls written straight to the file.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <wininet.h>

#include "bench_clock.h"
#include "base/portable/bounded_text.h"
#include "base/module_folders.h"
#include "download/cache_file.h"
#include "download/internet_session.h"
#include "download/portable/request_url.h"
#include "download/internet_session_private.h"

namespace {

HANDLE NewOutput(const char* path) {
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD FileSize(HANDLE file) { return GetFileSize(file, nullptr); }

// The bare loop; returns the bytes written, or 0 on failure.
DWORD BareFetch(const char* url, HANDLE output) {
  HINTERNET session =
      InternetOpenA("Wevelink bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) return 0;
  DWORD total = 0;
  HINTERNET request = InternetOpenUrlA(session, url, nullptr, 0, kPlainRequestFlags, 0);
  if (request) {
    static char buffer[4096];
    DWORD count = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &count) && count > 0) {
      DWORD written = 0;
      WriteFile(output, buffer, count, &written, nullptr);
      total += count;
    }
    InternetCloseHandle(request);
  }
  InternetCloseHandle(session);
  return total;
}

void Report(const char* method, double start, double cpuStart, DWORD bytes) {
  printf("RESULT %s %.3f %.3f %lu\n", method, Now() - start, CpuSeconds() - cpuStart,
         (unsigned long)bytes);
  fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: cacher_bench SERVER_URL FILE [RUNS]\n");
    return 2;
  }
  const char* server = argv[1];
  const char* file = argv[2];
  int runs = argc > 3 ? atoi(argv[3]) : 3;

  InitializeModuleFolders(GetModuleHandleA(nullptr));
  char outputPath[MAX_PATH];
  CopyText(outputPath, sizeof outputPath, TempFolderPath());
  AppendText(outputPath, sizeof outputPath, "cacher_bench.out");
  char url[260];
  if (!FormRequestUrl(server, file, url, sizeof url)) return 2;
  CopyText(g_ServerUrl, sizeof g_ServerUrl, server);
  ParseServerPort();

  for (int run = 0; run < runs; ++run) {
    HANDLE output = NewOutput(outputPath);
    double start = Now();
    double cpu = CpuSeconds();
    DWORD bytes = BareFetch(url, output);
    Report("bare", start, cpu, bytes);
    CloseHandle(output);

    output = NewOutput(outputPath);
    start = Now();
    cpu = CpuSeconds();
    if (!OpenInternetSession(nullptr, nullptr)) return 1;
    bool ok = CacheFile(file, output, false);
    CloseInternetSession();
    Report(ok ? "cachefile" : "cachefile-failed", start, cpu, FileSize(output));
    CloseHandle(output);
  }
  DeleteFileA(outputPath);
  return 0;
}
