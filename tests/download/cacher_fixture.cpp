// See cacher_fixture.h.
#include "cacher_fixture.h"

#include "box_recorder.h"
#include "base/portable/bounded_text.h"
#include "config/deployment_settings.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "download/cache_file.h"
#include "download/internet_session.h"
#include "download/progress_dialog.h"
#include "test_support.h"
#include "download/internet_session_private.h"
#include "config/deployment_settings_private.h"

using namespace testsupport;

namespace cachertest {

namespace {

const DWORD kBoxDelayMs = 100;

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

}  // namespace

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = (char)(x >> 24);
  }
  return bytes;
}

std::string ServedPath(const std::string& name) {
  std::string path = WwwDir() + "\\cacher\\" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string CacherUrl() { return BaseUrl() + "/cacher"; }

void Serve(const std::string& name, const std::string& bytes) {
  std::string path = ServedPath(name);
  // Make the folders on the way.
  for (size_t i = WwwDir().size() + 1; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
  ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
}

void DeleteEventLogFiles() {
  EndEventLog();
  std::string pattern = std::string(DownloadFolderPath()) + "\\EventLog_*.Txt";
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    DeleteFileA((std::string(DownloadFolderPath()) + "\\" + found.cFileName).c_str());
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

size_t CountOf(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
    ++count;
  return count;
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got "
                                       << actual.size() << ", first difference at " << at;
}

void CacherTest::SetUp() {
  static bool started = false;
  if (!started) {
    ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
    started = true;
  }
  ResetProgressForDeployment();
  SetServerRules("");
  serverLogStart_ = ServerLogLines().size();
  g_CacheRetries = 0;
  g_DeploymentSettings.BaseRegistry = 0;
  UseServer(CacherUrl());
  // Log names have whole seconds: without this a test would continue the
  // log of the one before it.
  DeleteEventLogFiles();
  ApplyLogEventsSetting(true);
  ASSERT_TRUE(IsEventLogOpen());

  boxRecord_ = TestEnvDir() + "\\cacher-boxes-" + TestName() + ".txt";
  DeleteFileA(boxRecord_.c_str());
  std::wstring wide(boxRecord_.begin(), boxRecord_.end());
  ASSERT_TRUE(StartBoxRecorder(wide.c_str(), kBoxDelayMs, GetCurrentThreadId()));

  ASSERT_TRUE(OpenInternetSession(nullptr, nullptr));
}

void CacherTest::TearDown() {
  CloseInternetSession();
  CloseProgressDialog();
  if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
  output_ = INVALID_HANDLE_VALUE;
  EndEventLog();
  StopBoxRecorder();
  SetServerRules("");
  ResetProgressForDeployment();
}

void CacherTest::UseServer(const std::string& url) {
  ASSERT_TRUE(CopyText(g_ServerUrl, sizeof g_ServerUrl, url.c_str()));
  ParseServerPort();
}

HANDLE CacherTest::NewOutput() {
  outputPath_ = TestEnvDir() + "\\cacher-out-" + TestName() + ".bin";
  output_ = CreateFileA(outputPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, output_);
  return output_;
}

std::string CacherTest::CloseOutput() {
  if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
  output_ = INVALID_HANDLE_VALUE;
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(outputPath_, &bytes));
  return bytes;
}

std::string CacherTest::CloseLog() {
  EndEventLog();
  std::string text;
  EXPECT_TRUE(ReadFileBytes(EventLogPath(), &text)) << EventLogPath();
  return text;
}

std::vector<std::string> CacherTest::RequestsFor(const std::string& path, size_t count) {
  std::vector<std::string> found;
  for (int i = 0; i < 100; ++i) {
    found.clear();
    std::vector<std::string> lines = ServerLogLines();
    for (size_t n = serverLogStart_; n < lines.size(); ++n) {
      size_t space = lines[n].find(' ');
      if (space != std::string::npos &&
          lines[n].compare(space + 1, lines[n].find(' ', space + 1) - space - 1, path) == 0)
        found.push_back(lines[n]);
    }
    if (found.size() >= count && (count > 0 || i >= 2)) break;
    Sleep(50);
  }
  return found;
}

std::vector<Box> CacherTest::Boxes() {
  std::vector<Box> boxes;
  std::string text;
  if (!ReadFileBytes(boxRecord_, &text)) return boxes;
  for (const std::string& line : SplitLines(text)) {
    Box box;
    size_t a = line.find('\t');
    size_t b = line.find('\t', a + 1);
    size_t c = line.find('\t', b + 1);
    if (a == std::string::npos || b == std::string::npos || c == std::string::npos) continue;
    box.caption = line.substr(0, a);
    box.text = line.substr(a + 1, b - a - 1);
    box.style = line.substr(b + 1, c - b - 1);
    box.thread = line.substr(c + 1);
    boxes.push_back(box);
  }
  return boxes;
}

}  // namespace cachertest
