// The session program copies that the build signs: signed by the test
// publisher, unsigned, altered after signing, and signed by a publisher that
// is never trusted, checked with WinVerifyTrust in the test prefix after
// trust-cert has made the prefix trust the test publisher's certificate.
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

using namespace testsupport;

namespace {

const char* const kProgramNames[] = {"KVMD.PRO", "KVMP.PRO", "KVAD.PRO", "KVAP.PRO",
                                     "KVFTP.PRO", "KVVT.PRO", "KVMD.EXE", "KVMP.EXE",
                                     "KVAD.EXE", "KVAP.EXE", "KVFTP.EXE", "KVVT.EXE"};

// The published-software action without a dialog for bad files, which the
// control's signature check names, and the older published-software action
// that takes the same record.
GUID kPublishedSoftwareNoBadUi = {
    0xC6B2E8D0, 0xE005, 0x11CF, {0xA1, 0x34, 0x00, 0xC0, 0x4F, 0xD7, 0xBF, 0x43}};
GUID kPublishedSoftware = WIN_SPUB_ACTION_PUBLISHED_SOFTWARE;
GUID kPeImageSubject = WIN_TRUST_SUBJTYPE_PE_IMAGE;

std::string StubFolder(const char* which) {
  return WinPathFromUnix(std::string(STUB_BUILD_UNIX) + "/" + which);
}

bool RunningOnWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// WinVerifyTrust with the record the control passes: window 0, a client
// token of 0, the portable-executable subject type, and a file subject with
// no handle and the path as a wide string. Returns what the control takes as
// the result: 0, or the thread's last error after a non-zero return.
DWORD VerifyWithRecord(GUID action, const std::string& path) {
  WCHAR widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) return 1;
  WIN_TRUST_SUBJECT_FILE subject = {INVALID_HANDLE_VALUE, widePath};
  WIN_TRUST_ACTDATA_CONTEXT_WITH_SUBJECT record = {};
  record.hClientToken = nullptr;
  record.SubjectType = &kPeImageSubject;
  record.Subject = &subject;
  SetLastError(0xdeadbeef);
  LONG result = WinVerifyTrust(nullptr, &action, &record);
  return result == 0 ? 0 : GetLastError();
}

const char kWineNoBadUiReason[] =
    "Wine's WinVerifyTrust (dlls/wintrust/wintrust_main.c) takes the old-style record "
    "(WIN_TRUST_ACTDATA_CONTEXT_WITH_SUBJECT) only for the published-software action "
    "{64B9D180-8DA2-11CF-8736-00AA00A485EB}; the no-bad-UI action "
    "{C6B2E8D0-E005-11CF-A134-00C04FD7BF43}, though registered with the Softpub "
    "providers, falls through to the generic path, which reads the record as a "
    "WINTRUST_DATA: cbStruct is the low half of the client token (0), so no state action "
    "is assumed, and dwUnionChoice and the file pointer come from beyond the end of the "
    "three-pointer record. With zeros there SoftpubLoadMessage fails with "
    "ERROR_INVALID_PARAMETER (0x57) for signed, unsigned and altered files alike; with "
    "whatever the caller's stack holds the result is undefined. 0, TRUST_E_NOSIGNATURE "
    "and TRUST_E_BAD_DIGEST cannot be reached for this action under Wine, so it is not "
    "called here";

class StubSignatureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string trustCert = StubFolder("trust-cert.exe");
    std::string cert = StubFolder("cert/test-publisher.cer");
    DWORD exitCode = 255;
    ASSERT_TRUE(RunProgram("\"" + trustCert + "\" \"" + cert + "\"", 60000, &exitCode));
    ASSERT_EQ(0u, exitCode);
  }
};

TEST_F(StubSignatureTest, TrustCertPutsTheTestCertificateIntoTheMachineRootStore) {
  std::string der;
  ASSERT_TRUE(ReadFileBytes(StubFolder("cert/test-publisher.cer"), &der));
  PCCERT_CONTEXT cert = CertCreateCertificateContext(X509_ASN_ENCODING, (const BYTE*)der.data(),
                                                     (DWORD)der.size());
  ASSERT_NE(nullptr, cert);
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                  CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG,
                                  "Root");
  ASSERT_NE(nullptr, root);
  PCCERT_CONTEXT found = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0,
                                                    CERT_FIND_EXISTING, cert, nullptr);
  EXPECT_NE(nullptr, found);
  if (found) CertFreeCertificateContext(found);
  CertCloseStore(root, 0);
  CertFreeCertificateContext(cert);
}

TEST_F(StubSignatureTest, ControlRecordTellsTrustedUnsignedAlteredAndUntrusted) {
  if (RunningOnWine()) GTEST_SKIP() << kWineNoBadUiReason;
  for (const char* name : kProgramNames) {
    SCOPED_TRACE(name);
    EXPECT_EQ(0u, VerifyWithRecord(kPublishedSoftwareNoBadUi,
                                   StubFolder("programs") + "\\" + name));
    EXPECT_EQ((DWORD)TRUST_E_NOSIGNATURE,
              VerifyWithRecord(kPublishedSoftwareNoBadUi, StubFolder("unsigned") + "\\" + name));
    EXPECT_EQ((DWORD)TRUST_E_BAD_DIGEST,
              VerifyWithRecord(kPublishedSoftwareNoBadUi, StubFolder("altered") + "\\" + name));
    EXPECT_EQ((DWORD)CERT_E_UNTRUSTEDROOT,
              VerifyWithRecord(kPublishedSoftwareNoBadUi, StubFolder("untrusted") + "\\" + name));
  }
}

// The same record under the older published-software action, which Wine
// does read as this record: shows that the copies themselves are signed,
// unsigned and broken as intended, and that the root check is in force (the
// untrusted publisher fails where the trusted one passes).
TEST_F(StubSignatureTest, SameRecordUnderOlderActionTellsTrustedUnsignedAlteredAndUntrusted) {
  for (const char* name : kProgramNames) {
    SCOPED_TRACE(name);
    EXPECT_EQ(0u, VerifyWithRecord(kPublishedSoftware, StubFolder("programs") + "\\" + name));
    EXPECT_EQ((DWORD)TRUST_E_NOSIGNATURE,
              VerifyWithRecord(kPublishedSoftware, StubFolder("unsigned") + "\\" + name));
    EXPECT_EQ((DWORD)TRUST_E_BAD_DIGEST,
              VerifyWithRecord(kPublishedSoftware, StubFolder("altered") + "\\" + name));
    EXPECT_EQ((DWORD)CERT_E_UNTRUSTEDROOT,
              VerifyWithRecord(kPublishedSoftware, StubFolder("untrusted") + "\\" + name));
  }
}

}  // namespace
