// The internet session's set-up and tear-down, the status callback's log
// lines, a secure request, the file-URL branch and the verified-flag store,
// all on the real platform.
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <regex>
#include <string>

#include "cacher_fixture.h"
#include "config/deployment_settings.h"
#include "base/event_log.h"
#include "download/cache_file.h"
#include "download/internet_session.h"
#include "download/progress_dialog.h"
#include "download/verified_flag.h"
#include "test_support.h"
#include "download/cache_file_private.h"
#include "download/verified_flag_private.h"
#include "download/internet_session_private.h"
#include "config/deployment_settings_private.h"

using namespace testsupport;
using namespace cachertest;

namespace {

// Read before any test runs (the counter is constant-initialised).
const LONG g_ContextAtStart = RequestContext;

class SessionTest : public CacherTest {};

TEST_F(SessionTest, OpenAndCloseWriteTheirLines) {
  EXPECT_NE(nullptr, g_InternetSession);
  CloseInternetSession();
  EXPECT_EQ(nullptr, g_InternetSession);
  CloseInternetSession();  // nothing open: nothing happens
  ASSERT_TRUE(OpenInternetSession(nullptr, nullptr));
  CloseInternetSession(false);  // the clean ending: no line
  std::string log = CloseLog();
  EXPECT_EQ(2u, CountOf(log, "Successfully opened connection to internet.\r\n"));
  EXPECT_EQ(1u, CountOf(log, "Closed connection to internet.\r\n"));
  EXPECT_EQ(0u, CountOf(log, "Cache Timeout"));
}

TEST_F(SessionTest, OverlongCacheTimeoutEndsTheDeployment) {
  CloseInternetSession(false);
  EXPECT_FALSE(OpenInternetSession(nullptr, "1234567890123456"));
  EXPECT_EQ(nullptr, g_InternetSession);
  EXPECT_FALSE(IsEventLogOpen());
  std::vector<Box> boxes = Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Buffer Overrun Check Failure: CacheTimeout ... operation aborted.", boxes[0].text);
  std::string log = CloseLog();
  EXPECT_EQ(std::string::npos, log.find("Cache Timeout is"));
  EXPECT_EQ(std::string::npos, log.find("Closed connection to internet."));

  // Fifteen characters fit: read like atol, clamped to 32 bits.
  ApplyLogEventsSetting(true);
  ASSERT_TRUE(OpenInternetSession(nullptr, "999999999999999"));
  EXPECT_NE(std::string::npos, CloseLog().find("Cache Timeout is 2147483647 milliseconds\r\n"));

  // Not a positive number: atol's 0 would remove every timeout.
  for (const char* value : {"", "abc", "0", "-5", "12abc"}) {
    SCOPED_TRACE(value);
    CloseInternetSession(false);
    DeleteEventLogFiles();
    ApplyLogEventsSetting(true);
    ASSERT_TRUE(OpenInternetSession(nullptr, value));
    log = CloseLog();
    EXPECT_NE(std::string::npos,
              log.find("Cache Timeout \"" + std::string(value) +
                       "\" is not a positive number; the platform's timeout stands.\r\n"));
    EXPECT_EQ(std::string::npos, log.find("Cache Timeout is"));
  }
}

TEST_F(SessionTest, StatusLinesCarryTheRequestContext) {
  EXPECT_EQ(1, g_ContextAtStart);  // so the first request of the process has context 2
  Serve("ctx.txt", "abc");
  const LONG context = RequestContext + 1;
  ASSERT_TRUE(CacheFile("ctx.txt", nullptr, false));
  EXPECT_EQ(context, RequestContext);
  std::string log = CloseLog();

  const std::string c = "(" + std::to_string(context) + ") ";
  for (const char* tail :
       {"SENDING_REQUEST 30\r\n", "REQUEST_SENT 31\r\n", "RECEIVING_RESPONSE 40\r\n",
        "RESPONSE_RECEIVED 41\r\n", "REQUEST_COMPLETE 100\r\n"}) {
    SCOPED_TRACE(tail);
    EXPECT_NE(std::string::npos, log.find(c + tail));
  }
  // The handle-created line names the handle, which the cacher used.
  std::smatch match;
  std::regex created("\\(" + std::to_string(context) + "\\) HANDLE_CREATED (\\d+) 60\r\n");
  ASSERT_TRUE(std::regex_search(log, match, created));
  EXPECT_NE("0", match[1].str());

  // Every callback line is whole: its own time stamp, text and line end.
  std::regex status("\\(\\d+\\) [A-Z_]+ \\d+");
  std::regex whole("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d \\(\\d+\\) [A-Z_]+ \\d+( \\d+)?");
  size_t lines = 0;
  for (size_t start = 0, end; start < log.size(); start = end + 2) {
    end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    std::string text = log.substr(start, end - start);
    if (!std::regex_search(text, status)) continue;
    EXPECT_TRUE(std::regex_match(text, whole)) << text;
    ++lines;
  }
  // Created, four of sending and receiving, complete; the closing line may
  // come from a WinINet thread after the log has been closed.
  EXPECT_GE(lines, 6u);
}

// WinINet may create a request's handle after the cacher gave up on it (a
// cancel, or no handle in time): such a handle is closed, the current
// request's is kept.
TEST_F(SessionTest, HandleOfAnEndedRequestIsClosed) {
  Serve("ended.txt", "abc");
  ASSERT_TRUE(CacheFile("ended.txt", nullptr, false));  // its context is over now
  const struct {
    const char* what;
    bool newRequest;
    bool kept;
  } cases[] = {{"ended request", false, false}, {"current request", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.newRequest) InterlockedIncrement(&RequestContext);
    HINTERNET handle = InternetOpenA("late", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    ASSERT_NE(nullptr, handle);
    OnInternetStatus(g_InternetSession, (DWORD_PTR)RequestContext, INTERNET_STATUS_HANDLE_CREATED,
                     &handle, sizeof handle);
    EXPECT_EQ(c.kept ? handle : nullptr, CurrentRequest);
    // Closing it again fails only when the callback closed it.
    SetLastError(0);
    EXPECT_EQ(c.kept, InternetCloseHandle(handle) != FALSE);
    CurrentRequest = nullptr;
    EndRequestContext();
  }
}

// The test server's certificate, trusted by the prefix: added to the
// machine's Root store before the first secure request of this process
// builds its certificate chain engine.
bool TrustServerCertificate() {
  std::string pem;
  if (!ReadFileBytes(TestEnvDir() + "\\server.pem", &pem)) return false;
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), (DWORD)pem.size(), CRYPT_STRING_BASE64HEADER, nullptr,
                            &size, nullptr, nullptr))
    return false;
  std::string der(size, '\0');
  if (!CryptStringToBinaryA(pem.c_str(), (DWORD)pem.size(), CRYPT_STRING_BASE64HEADER,
                            (BYTE*)&der[0], &size, nullptr, nullptr))
    return false;
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
  if (!store) return false;
  BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, (const BYTE*)der.data(),
                                                size, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return added != FALSE;
}

TEST_F(SessionTest, SecureRequestWithATrustedCertificate) {
  ASSERT_TRUE(TrustServerCertificate());
  std::string body = Pattern(70000, 7);
  Serve("secure.bin", body);
  // The certificate names localhost and 127.0.0.1, but Wine's crypt32 matches
  // the server name only against DNS names of the alternative-name
  // extension, never its IP addresses: the host is given by name.
  UseServer("https://localhost:" + std::to_string(HttpsPort()) + "/cacher");
  EXPECT_TRUE(CacheFile("secure.bin", NewOutput(), true));
  EXPECT_SAME_BYTES(body, CloseOutput());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_NE(std::string::npos, CloseLog().find("   Successfully cached 70000 bytes.\r\n"));
  EXPECT_EQ(1u, RequestsFor("/cacher/secure.bin", 1).size());
}

TEST_F(SessionTest, FileUrlServerCopiesFromTheFolder) {
  std::string folder = WwwDir() + "\\cacher";
  std::string url = "file:///" + folder + "/with%20space";
  for (char& ch : url) {
    if (ch == '\\') ch = '/';
  }
  UseServer(url);
  std::string body = Pattern(20000, 8);
  Serve("with space/sub/KVVT.EXE", body);
  ASSERT_EQ(ERROR_SUCCESS, StoreVerifiedFlag(5, 1));

  EXPECT_TRUE(CacheFile("sub/KVVT.EXE", NewOutput(), true));
  EXPECT_SAME_BYTES(body, CloseOutput());
  EXPECT_EQ(0, VerifiedFlag[5]);

  Serve("with space/list.lst", "KVVT.EXE,7\r\n");
  memset(TransferBuffer, 'x', sizeof TransferBuffer);
  EXPECT_TRUE(CacheFile("list.lst", nullptr, true));
  EXPECT_STREQ("KVVT.EXE,7\r\n", TransferBuffer);

  // A missing file: false, logged, never shown.
  EXPECT_FALSE(CacheFile("missing.txt", nullptr, true));
  EXPECT_TRUE(Boxes().empty());
  std::string log = CloseLog();
  EXPECT_NE(std::string::npos,
            log.find("   Error 2 opening " + folder + "\\with space\\missing.txt\r\n"));
  EXPECT_TRUE(RequestsFor("/cacher/with%20space/sub/KVVT.EXE").empty());
  DeleteRegTree(HKEY_LOCAL_MACHINE, kVerifiedFlagKey);
}

class VerifiedFlagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteRegTree(HKEY_LOCAL_MACHINE, kVerifiedFlagKey);
    DeleteRegTree(HKEY_CURRENT_USER, kVerifiedFlagKey);
    memset(VerifiedFlag, 0, sizeof VerifiedFlag);
    g_DeploymentSettings.BaseRegistry = 0;
  }
  void TearDown() override { SetUp(); }
};

TEST_F(VerifiedFlagTest, BaseRegistryChoosesTheHive) {
  struct {
    BYTE base;
    HKEY written;
    HKEY untouched;
  } rows[] = {{0, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER},
              {1, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER},
              {2, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}};
  for (const auto& row : rows) {
    SCOPED_TRACE((int)row.base);
    SetUp();
    g_DeploymentSettings.BaseRegistry = row.base;
    EXPECT_EQ(row.written, EmulatorRootHive());
    ASSERT_EQ(ERROR_SUCCESS, StoreVerifiedFlag(3, 1));
    EXPECT_EQ(1, VerifiedFlag[3]);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(ReadRegValue(row.written, kVerifiedFlagKey, "KvapVerified", &type, &bytes));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(std::string(1, '\1'), bytes);
    EXPECT_FALSE(RegKeyExists(row.untouched, kVerifiedFlagKey));

    VerifiedFlag[3] = 0;
    LoadVerifiedFlag(3);
    EXPECT_EQ(1, VerifiedFlag[3]);
  }
}

TEST_F(VerifiedFlagTest, MissingValuesAndBadKindsChangeNothing) {
  VerifiedFlag[0] = 1;
  LoadVerifiedFlag(0);  // no key at all
  EXPECT_EQ(1, VerifiedFlag[0]);
  ASSERT_EQ(ERROR_SUCCESS, StoreVerifiedFlag(1, 0));
  LoadVerifiedFlag(0);  // key, but no value for the kind
  EXPECT_EQ(1, VerifiedFlag[0]);

  EXPECT_EQ(ERROR_INVALID_PARAMETER, StoreVerifiedFlag(6, 1));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, StoreVerifiedFlag(-1, 1));
  LoadVerifiedFlag(6);
  DWORD type = 0;
  std::string bytes;
  EXPECT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, kVerifiedFlagKey, "KvmpVerified", &type, &bytes));
  for (const char* name :
       {"KvmdVerified", "KvadVerified", "KvapVerified", "KvftpVerified", "KvvtVerified"}) {
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, kVerifiedFlagKey, name, &type, &bytes)) << name;
  }

  // A value of the wrong size is not taken.
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVerifiedFlagKey, 0, KEY_SET_VALUE, &key));
  DWORD wide = 1;
  RegSetValueExA(key, "KvvtVerified", 0, REG_DWORD, (const BYTE*)&wide, sizeof wide);
  RegCloseKey(key);
  VerifiedFlag[5] = 0;
  LoadVerifiedFlag(5);
  EXPECT_EQ(0, VerifiedFlag[5]);
}

}  // namespace
