// CacheFile and its retry policy through the real WinINet against the test
// web server: what is requested, what lands in the output file and in
// TransferBuffer, what the log says and which boxes appear, for whole,
// empty, missing, truncated, slow and cancelled downloads.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>

#include "cacher_fixture.h"
#include "base/portable/bounded_text.h"
#include "base/event_log.h"
#include "base/message_pump.h"
#include "download/cache_file.h"
#include "download/internet_session.h"
#include "download/progress_dialog.h"
#include "download/verified_flag.h"
#include "test_support.h"
#include "download/cache_file_private.h"
#include "download/verified_flag_private.h"
#include "download/internet_session_private.h"

using namespace testsupport;
using namespace cachertest;

namespace {

const char kCacheError[] = "Web-to-Host Control - Cache Error";

class CacheFileTest : public CacherTest {};

TEST_F(CacheFileTest, TrailingSlashServerAndSubPathName) {
  std::string body = Pattern(10000, 1);
  Serve("sub/dir/a.bin", body);
  UseServer(CacherUrl() + "/");

  EXPECT_TRUE(CacheFile("sub/dir/a.bin", NewOutput(), true));
  EXPECT_SAME_BYTES(body, CloseOutput());

  std::vector<std::string> requests = RequestsFor("/cacher/sub/dir/a.bin", 1);
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ("GET /cacher/sub/dir/a.bin 200 10000", requests[0]);
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos,
            log.find("Starting caching of " + CacherUrl() + "/sub/dir/a.bin\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Successfully completed HTTP Request to server.\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Content length is 10000 bytes.\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Successfully cached 10000 bytes.\r\n"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(nullptr, CurrentRequest);
}

TEST_F(CacheFileTest, EmptyFileIsASuccessWithNothingWritten) {
  Serve("empty.txt", "");
  EXPECT_TRUE(CacheFile("empty.txt", NewOutput(), true));
  EXPECT_EQ("", CloseOutput());
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("   Content length is 0 bytes.\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Successfully cached 0 bytes.\r\n"));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CacheFileTest, MissingFileFailsWithStatusAndUrl) {
  EXPECT_FALSE(CacheFile("nowhere.ini", NewOutput(), true));
  EXPECT_EQ("", CloseOutput());
  std::string message = "Error 404 caching \"" + CacherUrl() + "/nowhere.ini\" from server.";
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(kCacheError, boxes[0].caption);
  EXPECT_EQ(message, boxes[0].text);
  EXPECT_EQ("0x10030", boxes[0].style);
  EXPECT_EQ("ui", boxes[0].thread);
  EXPECT_NE(std::string::npos, CloseLog().find("   " + message + "\r\n"));
  EXPECT_EQ(nullptr, CurrentRequest);

  // Silent without the flag, logged all the same; the session stays usable.
  Serve("there.txt", "here");
  ApplyLogEventsSetting(true);
  EXPECT_FALSE(CacheFile("nowhere.ini", nullptr, false));
  EXPECT_EQ(1u, Boxes().size());
  EXPECT_NE(std::string::npos, CloseLog().find("   " + message + "\r\n"));
  EXPECT_TRUE(CacheFile("there.txt", nullptr, false));
  EXPECT_STREQ("here", TransferBuffer);
}

TEST_F(CacheFileTest, RetriesAreSilentUntilTheLastAttempt) {
  SetServerRules("/cacher/busy.ini status=503\n");
  Serve("busy.ini", "x");
  g_CacheRetries = 2;
  EXPECT_FALSE(CacheFileWithRetries("busy.ini", NewOutput()));
  EXPECT_EQ(3u, RequestsFor("/cacher/busy.ini", 3).size());
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Error 503 caching \"" + CacherUrl() + "/busy.ini\" from server.", boxes[0].text);
  EXPECT_EQ(3u, CountOf(CloseLog(), "   Error 503 caching"));

  // Below zero: nothing is tried at all.
  g_CacheRetries = -1;
  EXPECT_FALSE(CacheFileWithRetries("busy.ini", output_));
  EXPECT_EQ(3u, RequestsFor("/cacher/busy.ini").size());
  EXPECT_EQ(1u, Boxes().size());

  // A cancel ends the attempts: at most the one under way is made. Its result
  // depends on whether the cancel or the response came first; the caller
  // tests the cancel itself.
  g_CacheRetries = 100;
  RequestCancel();
  CacheFileWithRetries("busy.ini", output_);
  EXPECT_GE(4u, RequestsFor("/cacher/busy.ini").size());
  EXPECT_EQ(1u, Boxes().size());
  ResetProgressForDeployment();

  // The first success ends the attempts.
  g_CacheRetries = 5;
  Serve("fine.ini", "[Kestrava]\r\n");
  EXPECT_TRUE(CacheFileWithRetries("fine.ini", output_));
  EXPECT_EQ(1u, RequestsFor("/cacher/fine.ini", 1).size());
}

TEST_F(CacheFileTest, TruncatedBodyIsAFailure) {
  Serve("cut.bin", Pattern(100000, 2));
  SetServerRules("/cacher/cut.bin close-after=30000\n");
  EXPECT_FALSE(CacheFile("cut.bin", NewOutput(), true));
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Error 38 caching file from server: 30000 of 100000 bytes arrived.", boxes[0].text);
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("   Error 38 caching file from server: 30000 of 100000 "
                                        "bytes arrived.\r\n"));
  EXPECT_EQ(std::string::npos, log.find("Successfully cached"));
  EXPECT_EQ(nullptr, CurrentRequest);

  // Retried, each attempt starts from an empty file: a partial first attempt
  // cannot stay in front of the next one.
  g_CacheRetries = 1;
  EXPECT_FALSE(CacheFileWithRetries("cut.bin", output_));
  EXPECT_SAME_BYTES(Pattern(100000, 2).substr(0, 30000), CloseOutput());
}

// A server that redirects to itself ends in the cacher's failure after ten
// redirects, not in a hang. Wine's worker goes on redirecting the closed
// request in the background; it no longer calls into the module.
TEST_F(CacheFileTest, RedirectLoopEndsAfterTenRedirects) {
  SetServerRules("/cacher/loop.ini redirect=/cacher/loop.ini\n");
  Serve("loop.ini", "[Kestrava]\r\n");
  DWORD start = GetTickCount();
  EXPECT_FALSE(CacheFile("loop.ini", NewOutput(), true));
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_EQ("", CloseOutput());
  EXPECT_EQ(nullptr, CurrentRequest);
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Error 12156 opening HTTP request to server.", boxes[0].text);
  EXPECT_LE(12u, RequestsFor("/cacher/loop.ini", 12).size());
  std::string log = CloseLog();
  EXPECT_EQ(11u, CountOf(log, " REDIRECT 110\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Request ended after 10 redirects.\r\n"));
  EXPECT_EQ(std::string::npos, log.find("Successfully cached"));

  // The session goes on: a redirect within the limit is followed.
  SetServerRules("/cacher/moved.ini redirect=/cacher/loop.ini\n");
  EXPECT_TRUE(CacheFile("moved.ini", nullptr, false));
  EXPECT_STREQ("[Kestrava]\r\n", TransferBuffer);
}

TEST_F(CacheFileTest, ResponseWithoutLengthLeavesTheProgressAlone) {
  ASSERT_TRUE(CreateProgressDialog(true));  // the form with the kilobytes
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 7);
  SetProgressItemText(IDC_KILOBYTES, "unchanged");
  std::string body = Pattern(50000, 3);
  Serve("nolength.bin", body);
  SetServerRules("/cacher/nolength.bin no-length=close\n");

  EXPECT_TRUE(CacheFile("nolength.bin", NewOutput(), true));
  EXPECT_SAME_BYTES(body, CloseOutput());
  EXPECT_EQ(7, (int)SendDlgItemMessageA(ProgressDialogWindow(), IDC_DOWNLOAD_BAR, PBM_GETPOS, 0, 0));
  char text[64];
  GetDlgItemTextA(ProgressDialogWindow(), IDC_KILOBYTES, text, sizeof text);
  EXPECT_STREQ("unchanged", text);

  // With a length, the bar and the kilobytes follow the download; the last
  // piece shows within the dialog's refresh interval.
  Serve("length.bin", body);
  EXPECT_TRUE(CacheFile("length.bin", NewOutput(), true));
  PumpMessages(100, true);
  EXPECT_EQ(100, (int)SendDlgItemMessageA(ProgressDialogWindow(), IDC_DOWNLOAD_BAR, PBM_GETPOS, 0, 0));
  GetDlgItemTextA(ProgressDialogWindow(), IDC_KILOBYTES, text, sizeof text);
  EXPECT_STREQ("50KB/50KB ", text);
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("   Content length is 0 bytes.\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Successfully cached 50000 bytes.\r\n"));
}

std::set<int> g_BarPositionsSeen;
void CALLBACK RecordBarPosition(HWND, UINT, UINT_PTR, DWORD) {
  g_BarPositionsSeen.insert(
      (int)SendDlgItemMessageA(ProgressDialogWindow(), IDC_DOWNLOAD_BAR, PBM_GETPOS, 0, 0));
}

TEST_F(CacheFileTest, OnASlowLineTheBarKeepsMoving) {
  // Reads grow on a fast line; here they must shrink again, or the bar
  // would wait for a whole large piece at a time.
  ASSERT_TRUE(CreateProgressDialog(true));
  std::string body = Pattern(160000, 5);
  Serve("slow.bin", body);
  SetServerRules("/cacher/slow.bin rate=80000\n");
  g_BarPositionsSeen.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 10, RecordBarPosition);
  EXPECT_TRUE(CacheFile("slow.bin", NewOutput(), true));
  KillTimer(nullptr, timer);
  EXPECT_SAME_BYTES(body, CloseOutput());
  EXPECT_GE(g_BarPositionsSeen.size(), 8u);  // 32 KB pieces would show 5
}

TEST_F(CacheFileTest, WholeResponseGatheredWithoutOutputFile) {
  // Paced, so that the text arrives in several pieces. Windows hands back
  // what has arrived; Wine's asynchronous read waits until its buffer is
  // full or the data ends, so there the longer response below is what
  // spreads over several reads.
  std::string list;
  for (int i = 0; i < 150; ++i) list += "KVMD" + std::to_string(i) + ".CAB,5\r\n";
  ASSERT_LT(list.size(), 4096u);
  Serve("list.lst", list);
  SetServerRules("/cacher/list.lst rate=8000\n");
  memset(TransferBuffer, 'x', sizeof TransferBuffer);
  EXPECT_TRUE(CacheFile("list.lst", nullptr, true));
  EXPECT_EQ(list, std::string(TransferBuffer));

  // Longer than the buffer: its first 4096 bytes, terminated, and a note.
  std::string big = Pattern(10000, 4);
  for (char& c : big) c = (char)('a' + (unsigned char)c % 26);
  Serve("big.txt", big);
  EXPECT_TRUE(CacheFile("big.txt", INVALID_HANDLE_VALUE, true));
  EXPECT_EQ(big.substr(0, 4096), std::string(TransferBuffer));
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("   Successfully cached 10000 bytes.\r\n"));
  EXPECT_NE(std::string::npos, log.find("   Response of 10000 bytes is longer than the transfer "
                                        "buffer; its first 4096 bytes are kept.\r\n"));

  // A failed fetch leaves no stale text behind.
  EXPECT_FALSE(CacheFile("missing.lst", nullptr, false));
  EXPECT_STREQ("", TransferBuffer);
}

TEST_F(CacheFileTest, WithOutputFileTheBufferHoldsTheEndOfTheLastPiece) {
  // Downloads into a file read in pieces larger than the transfer buffer;
  // the buffer keeps the last 4096 bytes of the last piece.
  std::string body(5000, 'a');
  body.replace(4096, 904, std::string(904, 'b'));
  Serve("pieces.txt", body);
  EXPECT_TRUE(CacheFile("pieces.txt", NewOutput(), true));
  EXPECT_SAME_BYTES(body, CloseOutput());
  EXPECT_EQ(body.substr(body.size() - 4096), std::string(TransferBuffer));
}

VOID CALLBACK CancelSoon(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  RequestCancel();
}

TEST_F(CacheFileTest, CancelDuringSlowDownloadGivesAShortFile) {
  const size_t size = 400000;
  Serve("slow.bin", Pattern(size, 5));
  SetServerRules("/cacher/slow.bin rate=100000\n");
  SetTimer(nullptr, 0, 1000, CancelSoon);
  DWORD start = GetTickCount();
  EXPECT_TRUE(CacheFile("slow.bin", NewOutput(), true));
  DWORD elapsed = GetTickCount() - start;
  std::string got = CloseOutput();
  EXPECT_GT(got.size(), 0u);
  EXPECT_LT(got.size(), size);
  EXPECT_SAME_BYTES(Pattern(size, 5).substr(0, got.size()), got);
  EXPECT_LT(elapsed, 3000u);  // the whole file takes 4 s
  EXPECT_TRUE(Boxes().empty());
  EXPECT_NE(std::string::npos, CloseLog().find("   Successfully cached " +
                                               std::to_string(got.size()) + " bytes.\r\n"));
  EXPECT_EQ(nullptr, CurrentRequest);
}

// A server that takes the connection and never answers: the user cancels
// while the request waits for its headers. Nothing was cached, so nothing
// is logged as cached, and the request is closed.
TEST_F(CacheFileTest, CancelWhileOpeningLogsNoSuccess) {
  WSADATA winsock;
  ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &winsock));
  SOCKET silent = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  ASSERT_EQ(0, bind(silent, (sockaddr*)&address, sizeof address));
  ASSERT_EQ(0, listen(silent, 4));  // the backlog completes the connection
  ASSERT_EQ(0, getsockname(silent, (sockaddr*)&address, &length));
  UseServer("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
  SetTimer(nullptr, 0, 300, CancelSoon);
  EXPECT_TRUE(CacheFile("silent.txt", NewOutput(), true));  // a cancel ends it with true
  EXPECT_EQ(nullptr, CurrentRequest);
  EXPECT_TRUE(Boxes().empty());
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("Starting caching of"));
  EXPECT_EQ(std::string::npos, log.find("Successfully cached")) << log;
  closesocket(silent);
  WSACleanup();
}

TEST_F(CacheFileTest, StalledServerFailsAtTheReceiveTimeout) {
  CloseInternetSession(false);
  ASSERT_TRUE(OpenInternetSession(nullptr, "1000"));
  Serve("stall.bin", Pattern(60000, 6));
  SetServerRules("/cacher/stall.bin stall-after=20000\n");
  EXPECT_FALSE(CacheFile("stall.bin", NewOutput(), true));
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  // Windows reports ERROR_INTERNET_TIMEOUT; Wine passes the socket's
  // WSAETIMEDOUT through. Either way the read failed rather than ended.
  EXPECT_TRUE(boxes[0].text == "Error 12002 caching file from server." ||
              boxes[0].text == "Error 10060 caching file from server.")
      << boxes[0].text;
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("Cache Timeout is 1000 milliseconds\r\n"));
  EXPECT_EQ(std::string::npos, log.find("Successfully cached"));
}

TEST_F(CacheFileTest, UnreachableServerFailsToOpenTheRequest) {
  // A port nobody listens on: the connection is refused.
  UseServer("http://127.0.0.1:1/cacher");
  EXPECT_FALSE(CacheFile("site.ini", NewOutput(), true));
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Error 12029 opening HTTP request to server.", boxes[0].text);
  EXPECT_NE(std::string::npos, CloseLog().find("Error 12029 opening HTTP request to server.\r\n"));
  EXPECT_EQ(nullptr, CurrentRequest);
}

TEST_F(CacheFileTest, OverlongRequestUrlIsRefused) {
  std::string name = std::string(250, 'n') + ".ini";
  EXPECT_FALSE(CacheFile(name.c_str(), NewOutput(), true));
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Error 111 opening HTTP request to server.", boxes[0].text);
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos, log.find("   Request URL for " + name +
                                        " does not fit in 259 "
                                        "characters.\r\n"));
  EXPECT_EQ(std::string::npos, log.find("Starting caching"));
  Sleep(100);
  for (const std::string& line : ServerLogLines()) EXPECT_EQ(std::string::npos, line.find("nnnn"));
}

TEST_F(CacheFileTest, KindTokenClearsItsVerifiedFlagEvenOnFailure) {
  for (int kind = 0; kind < kVerifiedKinds; ++kind)
    ASSERT_EQ(ERROR_SUCCESS, StoreVerifiedFlag(kind, 1));
  EXPECT_FALSE(CacheFile("setup/kvFtp_missing.cab", NewOutput(), false));
  EXPECT_EQ(0, VerifiedFlag[4]);
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, kVerifiedFlagKey, "KvftpVerified", &type, &bytes));
  EXPECT_EQ((DWORD)REG_BINARY, type);
  EXPECT_EQ(std::string(1, '\0'), bytes);
  for (int kind : {0, 1, 2, 3, 5}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(1, VerifiedFlag[kind]);
    ASSERT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, kVerifiedFlagKey, SessionVerifiedValueName(kind), &type,
                             &bytes));
    EXPECT_EQ(std::string(1, '\1'), bytes);
  }
  // A name without a token changes nothing.
  Serve("site.ini", "x");
  EXPECT_TRUE(CacheFile("site.ini", nullptr, false));
  EXPECT_EQ(1, VerifiedFlag[0]);
  DeleteRegTree(HKEY_LOCAL_MACHINE, kVerifiedFlagKey);
}

}  // namespace
