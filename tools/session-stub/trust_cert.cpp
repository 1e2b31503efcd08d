// trust-cert [CERTFILE]
//
// Adds a certificate to the machine's trusted root store, so that programs
// signed with the test publisher's key pass the platform's publisher check
// in a test prefix. CERTFILE holds the certificate in DER form or as PEM
// text; without it the test certificate beside this program is taken
// (cert\test-publisher.cer). Exit code 0 when the certificate is in the
// store afterwards, 1 otherwise, with the reason on stderr.
#include <windows.h>
#include <wincrypt.h>

#include <stdio.h>
#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

enum { kMaxCertBytes = 64 * 1024 };

BYTE g_FileBytes[kMaxCertBytes];
BYTE g_Der[kMaxCertBytes];

bool DefaultCertPath(char* path, size_t capacity) {
  DWORD length = GetModuleFileNameA(nullptr, path, (DWORD)capacity);
  if (length == 0 || length >= capacity) return false;
  char* slash = strrchr(path, '\\');
  if (slash == nullptr) return false;
  slash[1] = '\0';
  return AppendText(path, capacity, "cert\\test-publisher.cer");
}

bool ReadWholeFile(const char* path, DWORD* size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = ReadFile(file, g_FileBytes, sizeof g_FileBytes, size, nullptr) &&
            *size < sizeof g_FileBytes;
  CloseHandle(file);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  char path[MAX_PATH];
  if (argc > 1) {
    CopyText(path, sizeof path, argv[1]);
  } else if (!DefaultCertPath(path, sizeof path)) {
    fprintf(stderr, "trust-cert: cannot form the default certificate path\n");
    return 1;
  }
  DWORD size = 0;
  if (!ReadWholeFile(path, &size)) {
    fprintf(stderr, "trust-cert: cannot read %s (%lu)\n", path, GetLastError());
    return 1;
  }
  const BYTE* der = g_FileBytes;
  DWORD derSize = size;
  if (size > 10 && memcmp(g_FileBytes, "-----BEGIN", 10) == 0) {
    derSize = sizeof g_Der;
    if (!CryptStringToBinaryA((const char*)g_FileBytes, size, CRYPT_STRING_BASE64HEADER, g_Der,
                              &derSize, nullptr, nullptr)) {
      fprintf(stderr, "trust-cert: %s is not a PEM certificate (%lu)\n", path, GetLastError());
      return 1;
    }
    der = g_Der;
  }

  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                   CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
  if (store == nullptr) {
    fprintf(stderr, "trust-cert: cannot open the machine Root store (%lu)\n", GetLastError());
    return 1;
  }
  bool added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der, derSize,
                                                CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  DWORD error = GetLastError();
  CertCloseStore(store, 0);
  if (!added) {
    fprintf(stderr, "trust-cert: cannot add %s to the Root store (0x%08lX)\n", path, error);
    return 1;
  }
  printf("trust-cert: %s added to the machine Root store\n", path);
  return 0;
}
