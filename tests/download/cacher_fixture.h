// What the cacher tests share: a fixture that opens the event log and the
// internet session against the test web server and records message boxes,
// and helpers for served files, output files, the log and the boxes.
#ifndef WEVELINK_TESTS_CACHER_FIXTURE_H
#define WEVELINK_TESTS_CACHER_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace cachertest {

// One recorded message box.
struct Box {
  std::string caption;
  std::string text;
  std::string style;   // "0x10030"
  std::string thread;  // "ui" or "worker"
};

// Distinct bytes per position, so a shifted or repeated piece cannot pass.
std::string Pattern(size_t size, unsigned seed);

// Served files live under the document root's "cacher" folder; the server
// URL points there.
std::string ServedPath(const std::string& name);  // Windows path of a served file
std::string CacherUrl();                          // http://127.0.0.1:PORT/cacher
void Serve(const std::string& name, const std::string& bytes);

class CacherTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets g_ServerUrl and g_ServerPort.
  void UseServer(const std::string& url);

  // A fresh output file (create-always, read/write, no sharing) and its
  // contents once closed.
  HANDLE NewOutput();
  std::string CloseOutput();

  // Closes the event log and returns what it holds.
  std::string CloseLog();

  std::vector<Box> Boxes();

  // The server's log lines for path written since the test began, after
  // waiting (up to 5 s) until there are at least count of them.
  std::vector<std::string> RequestsFor(const std::string& path, size_t count = 0);

  std::string outputPath_;
  HANDLE output_ = INVALID_HANDLE_VALUE;
  std::string boxRecord_;
  size_t serverLogStart_ = 0;
};

// Ends the event log and deletes every log file in the download folder.
void DeleteEventLogFiles();

// Number of times needle occurs in text.
size_t CountOf(const std::string& text, const std::string& needle);

// Compares binary contents and reports sizes and the first difference
// instead of printing both whole.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);
#define EXPECT_SAME_BYTES(expected, actual) EXPECT_TRUE(::cachertest::SameBytes(expected, actual))

}  // namespace cachertest

#endif
