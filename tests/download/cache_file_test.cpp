// The internet session and CacheFile through real WinINet against the test web server: requests,
// output file, TransferBuffer, log, boxes and the verified flags cleared.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "base/event_log.h"
#include "base/message_pump.h"
#include "base/module_folders.h"
#include "base/portable/bounded_text.h"
#include "box_recorder.h"
#include "config/deployment_settings.h"
#include "config/machine_policy.h"
#include "config/deployment_settings_private.h"
#include "download/cache_file.h"
#include "download/cache_file_private.h"
#include "download/internet_session.h"
#include "download/internet_session_private.h"
#include "download/lifetime.h"
#include "download/progress_dialog.h"
#include "download/verified_flag.h"
#include "download/verified_flag_private.h"
#include "host_run.h"
#include "test_support.h"

using namespace testsupport;

namespace {

typedef std::vector<std::string> Lines;

// Distinct bytes per position, so a shifted or repeated piece cannot pass.
std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = (char)(x >> 24);
  }
  return bytes;
}

std::string CacheErrorBox(const std::string& text) {
  return "Web-to-Host Control - Cache Error\t" + text + "\t0x10030\tui";
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << expected.size() << " bytes expected, " << actual.size()
                                       << " got";
}

class CacherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitializeModuleFolders(GetModuleHandleA(nullptr)));
    ResetProgressForDeployment();
    SetServerRules("");
    g_CacheRetries = 0;
    g_DeploymentSettings.BaseRegistry = 0;
    UseServer(BaseUrl() + "/cacher");
    // Log names have whole seconds: a test would continue the last one's log.
    EndEventLog();
    DeleteEventLogs();
    ApplyLogEventsSetting(true);
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    boxRecord_ = TestEnvDir() + "\\cacher-boxes-" + name_ + ".txt";
    DeleteFileA(boxRecord_.c_str());
    std::wstring wide(boxRecord_.begin(), boxRecord_.end());
    ASSERT_TRUE(StartBoxRecorder(wide.c_str(), 100, GetCurrentThreadId()));
    ASSERT_TRUE(OpenInternetSession(nullptr, nullptr));
  }
  void TearDown() override {
    CloseInternetSession();
    CloseProgressDialog();
    CloseOutput();
    EndEventLog();
    StopBoxRecorder();
    SetServerRules("");
    ResetProgressForDeployment();
  }
  void UseServer(const std::string& url) {
    ASSERT_TRUE(CopyText(g_ServerUrl, sizeof g_ServerUrl, url.c_str()));
    ParseServerPort();
  }
  HANDLE NewOutput() {
    output_ = CreateFileA((TestEnvDir() + "\\cacher-out-" + name_).c_str(),
                          GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, output_);
    return output_;
  }
  std::string CloseOutput() {
    if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
    output_ = INVALID_HANDLE_VALUE;
    return FileContent(TestEnvDir() + "\\cacher-out-" + name_);
  }
  Lines CloseLog() {
    EndEventLog();
    return LogLinesWithoutStamps(FileContent(EventLogPath()));
  }
  // As "CAPTION\tTEXT\tSTYLE\tui|worker".
  Lines Boxes() { return ReadLines(boxRecord_); }
  // The server's lines for path (each test uses paths of its own), waiting 5 s at most for count.
  Lines RequestsFor(const std::string& path, size_t count = 0) {
    WaitUntil([&] { return count > 0 && ServerLogFor(path).size() >= count; }, count ? 5000 : 100);
    return ServerLogFor(path);
  }

  std::string name_;
  HANDLE output_ = INVALID_HANDLE_VALUE;
  std::string boxRecord_;
};

TEST_F(CacherTest, TruncationFailsAndEachRetryStartsEmpty) {
  const std::string body = Pattern(100000, 2);
  const std::string message = "Error 38 caching file from server: 30000 of 100000 bytes arrived.";
  PublishPage("cacher/cut.bin", body);
  SetServerRules("/cacher/cut.bin close-after=30000\n");
  g_CacheRetries = 2;
  // More than an attempt brings is in the file already.
  HANDLE output = NewOutput();
  DWORD written;
  WriteFile(output, std::string(50000, 'x').data(), 50000, &written, nullptr);
  EXPECT_FALSE(CacheFileWithRetries("cut.bin", output));
  EXPECT_EQ(3u, RequestsFor("/cacher/cut.bin", 3).size());
  // What an earlier attempt left stays neither in front of the last one nor behind it.
  EXPECT_TRUE(SameBytes(body.substr(0, 30000), CloseOutput()));
  // Silent until the last attempt. The box adds the platform's words for the code.
  EXPECT_EQ(Lines{CacheErrorBox(message + "\\r\\nEnd of file.")}, Boxes());
  Lines log = CloseLog();
  EXPECT_EQ(3, std::count(log.begin(), log.end(), "   " + message));
  EXPECT_FALSE(AnyLineStarts(log, "   Successfully cached"));
  // A cancel ends the attempts: at most the one under way is made.
  SetServerRules("/cacher/busy.ini status=503\n");
  g_CacheRetries = 100;
  RequestCancel();
  CacheFileWithRetries("busy.ini", NewOutput());
  EXPECT_GE(1u, RequestsFor("/cacher/busy.ini").size());
}

// A read pending at a cancel goes on in WinINet's worker, writing into its own memory.
TEST_F(CacherTest, ACancelledReadKeepsTheModuleAndItsOwnMemoryUntilWinInetIsDone) {
  const std::string next = Pattern(600000, 7);
  PublishPage("cacher/slow.bin", Pattern(400000, 6));
  PublishPage("cacher/next.bin", next);
  SetServerRules("/cacher/slow.bin rate=20000\n/cacher/next.bin rate=400000\n");
  std::thread canceller([] {
    WaitUntil([] { return Count(SplitLines(FileContent(EventLogPath())), "length") > 0; }, 9000);
    Sleep(200);  // into the first read, which takes more than a second at that rate
    RequestCancel();
  });
  EXPECT_TRUE(CacheFile("slow.bin", NewOutput(), false));
  canceller.join();
  ClearCancelRequest();
  EXPECT_FALSE(DownloadEnded());  // the module may not go
  CloseOutput();
  EXPECT_TRUE(CacheFile("next.bin", NewOutput(), false));
  EXPECT_TRUE(SameBytes(next, CloseOutput()));
  EXPECT_TRUE(WaitUntil(DownloadEnded, 9000));
}

// Wine's worker goes on redirecting the closed request but no longer calls into the module.
TEST_F(CacherTest, RedirectLoopEndsAfterTenRedirects) {
  SetServerRules("/cacher/loop.ini redirect=/cacher/loop.ini\n");
  EXPECT_FALSE(CacheFile("loop.ini", NewOutput(), true));
  Lines log = CloseLog();
  EXPECT_EQ(11u, Count(log, ") REDIRECT 110"));
}

TEST_F(CacherTest, TransferBufferKeepsWhatFitsAndNothingStale) {
  std::string big = Pattern(10000, 4);
  for (char& c : big) c = (char)('a' + (unsigned char)c % 26);
  PublishPage("cacher/big.txt", big);
  EXPECT_TRUE(CacheFile("big.txt", INVALID_HANDLE_VALUE, true));
  EXPECT_EQ(big.substr(0, 4096), std::string(TransferBuffer));
  EXPECT_FALSE(CacheFile("missing.lst", nullptr, false));
  EXPECT_STREQ("", TransferBuffer);
  // Into a file, the buffer keeps the last 4096 bytes of the last piece.
  std::string pieces = std::string(4096, 'a') + std::string(904, 'b');
  PublishPage("cacher/pieces.txt", pieces);
  EXPECT_TRUE(CacheFile("pieces.txt", NewOutput(), true));
  EXPECT_EQ(pieces.substr(pieces.size() - 4096), std::string(TransferBuffer));
}

TEST_F(CacherTest, OverlongRequestUrlOrTimeoutIsRefused) {
  // A list trickled faster than the receive timeout ends at ten of them.
  CloseInternetSession(false);
  ASSERT_TRUE(OpenInternetSession(nullptr, "400"));
  PublishPage("cacher/trickle.lst", std::string(200, 't'));
  SetServerRules("/cacher/trickle.lst rate=5\n");
  const DWORD start = GetTickCount();
  EXPECT_FALSE(CacheFile("trickle.lst", INVALID_HANDLE_VALUE, true));
  EXPECT_GT(9000u, GetTickCount() - start);
  EXPECT_EQ(Lines{CacheErrorBox("Error 12002 caching file from server.\\r\\nThe request has "
                                "timed out.")},
            Boxes());
  EXPECT_TRUE(HasLine(CloseLog(), "   trickle.lst did not arrive whole within 4 seconds; the "
                                  "request ends."));
  ApplyLogEventsSetting(true);
  std::string name = std::string(250, 'n') + ".ini";
  EXPECT_FALSE(CacheFile(name.c_str(), NewOutput(), true));
  EXPECT_EQ(CacheErrorBox("Error 111 opening HTTP request to server.\\r\\nBuffer overflow."),
            Boxes().back());
  EXPECT_TRUE(HasLine(CloseLog(), "   Request URL for " + name +
                                      " does not fit in 259 characters."));
  // Sixteen characters of CacheTimeout end the deployment.
  CloseInternetSession(false);
  ApplyLogEventsSetting(true);
  EXPECT_FALSE(OpenInternetSession(nullptr, "1234567890123456"));
  EXPECT_EQ(nullptr, g_InternetSession);
  EXPECT_EQ("Web-to-Host Control\tBuffer Overrun Check Failure: CacheTimeout ... operation "
            "aborted.\t0x10030\tui",
            Boxes().back());
}

TEST_F(CacherTest, LateHandlesOfEndedRequestsClose) {
  PublishPage("cacher/ctx.txt", "abc");
  ASSERT_TRUE(CacheFile("ctx.txt", nullptr, false));
  // WinINet may create a handle after its request was given up: it is closed, the current one kept.
  for (bool current : {false, true}) {
    SCOPED_TRACE(current ? "current request" : "ended request");
    if (current) InterlockedIncrement(&RequestContext);
    HINTERNET handle = InternetOpenA("late", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    OnInternetStatus(g_InternetSession, (DWORD_PTR)RequestContext, INTERNET_STATUS_HANDLE_CREATED,
                     &handle, sizeof handle);
    EXPECT_EQ(current ? handle : nullptr, CurrentRequest);
    // Closing it again fails only when the callback closed it.
    EXPECT_EQ(current, InternetCloseHandle(handle) != FALSE);
    CurrentRequest = nullptr;
    EndRequestContext();
  }
}

// The machine policy holds requests to its sites (a redirect away ends one) and port 443 to full
// certificate checks unless it allows other names. The standard ports' address is in no cert name.
TEST_F(CacherTest, ThePolicyHoldsRequestsToItsSitesAndPort443ToFullChecks) {
  // Trusted before the first secure request builds the chain engine; interop tests https to it.
  ASSERT_TRUE(TrustCertificate(STUB_BUILD_UNIX, TestEnvDir() + "\\server.pem"));
  const char kPolicy[] = "Software\\Policies\\MARROCK\\Kestrava\\Web Control";
  std::string standard = FileContent(TestEnvDir() + "\\standard_address");
  standard.erase(standard.find_last_not_of("\r\n") + 1);
  const std::string local = BaseUrl() + "/cacher";
  const std::string body = Pattern(30000, 11);
  PublishPage("cacher/policy.bin", body);
  SetServerRules("/cacher/away.bin redirect=http://" + standard + "/cacher/policy.bin\n");
  const struct {
    const char* what;
    std::string sites;  // "|" between prefixes; empty: no value
    DWORD allowOtherNames;
    std::string server;
    const char* file;
    std::string line;  // logged when the request fails; empty: it succeeds
  } rows[] = {
      {"443 checks the name", "", 0, "https://" + standard + "/cacher", "policy.bin",
       "   The request was refused: the server's certificate is for another host name."},
      {"the policy allows other names", "", 1, "https://" + standard + "/cacher", "policy.bin",
       ""},
      {"a site not approved", BaseUrl() + "/elsewhere|http://other/cacher", 0, local,
       "policy.bin", "   " + local + "/policy.bin is not under an approved site; it is not asked."},
      {"a redirect away", local + "|" + local + "x", 0, local, "away.bin",
       "   Request ended: it was redirected to http://" + standard +
           "/cacher/policy.bin, which is not an approved site."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kPolicy);
    std::string sites = row.sites + std::string(2, '\0');
    std::replace(sites.begin(), sites.end(), '|', '\0');
    if (!row.sites.empty()) {
      ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPolicy, "ApprovedSites",
                                               REG_MULTI_SZ, sites.data(), (DWORD)sites.size()));
    }
    ASSERT_EQ(0, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPolicy, "AllowInvalidCertificateNames",
                                 REG_DWORD, &row.allowOtherNames, 4));
    ReadMachinePolicy();
    UseServer(row.server);
    const size_t boxes = Boxes().size();
    EXPECT_EQ(row.line.empty(), CacheFile(row.file, NewOutput(), true));
    EXPECT_TRUE(SameBytes(row.line.empty() ? body : "", CloseOutput()));
    EXPECT_EQ(boxes + (row.line.empty() ? 0 : 1), Boxes().size());
    if (!row.line.empty()) {
      EXPECT_TRUE(HasLine(CloseLog(), row.line)) << row.line;
    }
    ApplyLogEventsSetting(true);
  }
  DeleteRegTree(HKEY_LOCAL_MACHINE, kPolicy);
  ReadMachinePolicy();
}

// Notifications are logged by name (the two closing ones each by its own), unknown ones by number.
TEST_F(CacherTest, StatusNotificationsAreLoggedByName) {
  const std::pair<DWORD, const char*> rows[] = {
      {10, "RESOLVING_NAME"}, {50, "CLOSING_CONNECTION"}, {51, "CONNECTION_CLOSED"},
      {70, "HANDLE_CLOSING"}, {999, "UNKNOWN_STATUS"},
  };
  for (const auto& row : rows) OnInternetStatus(nullptr, 7, row.first, nullptr, 0);
  const Lines lines = CloseLog();
  for (const auto& row : rows) {
    const std::string line = "(7) " + std::string(row.second) + " " + std::to_string(row.first);
    EXPECT_TRUE(HasLine(lines, line)) << line;
  }
}

TEST_F(CacherTest, FileUrlServerCopiesFromTheFolder) {
  const std::string folder = WwwDir() + "\\cacher";
  std::string url = "file:///" + folder + "/with%20space";
  std::replace(url.begin(), url.end(), '\\', '/');
  UseServer(url);
  std::string body = Pattern(20000, 8);
  PublishPage("cacher/with space/sub/KVVT.EXE", body);
  EXPECT_TRUE(CacheFile("sub/KVVT.EXE", NewOutput(), true));
  EXPECT_TRUE(SameBytes(body, CloseOutput()));
  EXPECT_FALSE(CacheFile("missing.txt", nullptr, true));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(HasLine(CloseLog(), "   Error 2 opening " + folder + "\\with space\\missing.txt"));
}

// A kind token clears its kind's flag, one byte in BaseRegistry's hive, even if the download fails.
TEST_F(CacherTest, KindTokenClearsItsVerifiedFlagInTheChosenHive) {
  const struct {
    BYTE base;
    HKEY written;
  } rows[] = {
      {0, HKEY_LOCAL_MACHINE},
      {1, HKEY_LOCAL_MACHINE},
      {2, HKEY_CURRENT_USER},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE((int)row.base);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kVerifiedFlagKey);
    DeleteRegTree(HKEY_CURRENT_USER, kVerifiedFlagKey);
    g_DeploymentSettings.BaseRegistry = row.base;
    for (int kind = 0; kind < kVerifiedKinds; ++kind) {
      ASSERT_EQ(ERROR_SUCCESS, StoreVerifiedFlag(kind, 1));
    }
    EXPECT_FALSE(CacheFile("setup/kvFtp_missing.cab", nullptr, false));
    for (int kind = 0; kind < kVerifiedKinds; ++kind) {
      SCOPED_TRACE(kind);
      const std::string set(1, kind == 4 ? '\0' : '\1');
      EXPECT_EQ(set[0], VerifiedFlag[kind]);
      EXPECT_EQ(set, RegBinary(row.written, kVerifiedFlagKey, SessionVerifiedValueName(kind)));
    }
  }
  // A value of the wrong size is not taken.
  const DWORD wide = 1;
  ASSERT_EQ(0, RegSetKeyValueA(HKEY_CURRENT_USER, kVerifiedFlagKey, "KvftpVerified", REG_DWORD,
                               &wide, sizeof wide));
  LoadVerifiedFlag(4);
  EXPECT_EQ(0, VerifiedFlag[4]);
  DeleteRegTree(HKEY_CURRENT_USER, kVerifiedFlagKey);
}

}  // namespace
