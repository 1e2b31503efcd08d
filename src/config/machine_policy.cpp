// The machine policy; see machine_policy.h.
#include "config/machine_policy.h"

#include <windows.h>

#include "base/event_log.h"
#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/portable/policy_values.h"

namespace {

const char kPolicyKey[] = "Software\\Policies\\MARROCK\\Kestrava\\Web Control";

enum {
  kPolicyEntries = 32,
  kSiteCapacity = 260,
  kListBytes = kPolicyEntries * kSiteCapacity + 2,
};

struct MachinePolicy {
  bool hasSites;
  int siteCount;
  char sites[kPolicyEntries][kSiteCapacity];
  bool hasPublishers;
  int publisherCount;
  char publishers[kPolicyEntries][kThumbprintCapacity];
  bool allowInvalidNames;
};

MachinePolicy g_Policy;

// Group Policy writes the machine's own view; a 32-bit module on a 64-bit
// system looks there when its own view has no key.
bool IsWow64() {
  typedef BOOL(WINAPI * IsWow64Fn)(HANDLE, PBOOL);
  IsWow64Fn isWow64 =
      (IsWow64Fn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

void OpenPolicyKey(ScopedKey* key) {
  if (OpenRegKey(key, HKEY_LOCAL_MACHINE, kPolicyKey, KEY_QUERY_VALUE) == ERROR_SUCCESS) return;
  if (IsWow64()) {
    OpenRegKey(key, HKEY_LOCAL_MACHINE, kPolicyKey, KEY_QUERY_VALUE | KEY_WOW64_64KEY);
  }
}

// A REG_MULTI_SZ read whole into list (terminated twice); false when the
// value is absent. A value of another type or too long is logged and
// counts as present and empty, so that nothing it was meant to allow is.
bool ReadList(HKEY key, const char* name, char* list, DWORD capacity) {
  list[0] = '\0';
  list[1] = '\0';
  DWORD type = 0;
  DWORD size = capacity - 2;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)list, &size);
  if (result == ERROR_FILE_NOT_FOUND) return false;
  if (result != ERROR_SUCCESS || type != REG_MULTI_SZ) {
    WriteLogLineF("Policy %s cannot be read (error %ld, type %lu); it allows nothing.\r\n", name,
                  result, type);
    list[0] = '\0';
    list[1] = '\0';
    return true;
  }
  list[size] = '\0';
  list[size + 1] = '\0';
  return true;
}

void ReadSites(HKEY key) {
  static char list[kListBytes];
  g_Policy.hasSites = ReadList(key, "ApprovedSites", list, sizeof list);
  for (const char* entry = list; *entry; entry += strlen(entry) + 1) {
    if (g_Policy.siteCount == kPolicyEntries ||
        !CopyText(g_Policy.sites[g_Policy.siteCount], kSiteCapacity, entry)) {
      WriteLogLineF("Policy ApprovedSites: %.80s is not used (more than %d sites or %d "
                    "characters).\r\n",
                    entry, (int)kPolicyEntries, (int)kSiteCapacity - 1);
      continue;
    }
    WriteLogLineF("Policy approves %s\r\n", entry);
    ++g_Policy.siteCount;
  }
}

void ReadPublishers(HKEY key) {
  static char list[kListBytes];
  g_Policy.hasPublishers = ReadList(key, "TrustedPublishers", list, sizeof list);
  for (const char* entry = list; *entry; entry += strlen(entry) + 1) {
    char thumbprint[kThumbprintCapacity];
    if (g_Policy.publisherCount == kPolicyEntries ||
        !NormalizeThumbprint(entry, thumbprint, sizeof thumbprint)) {
      WriteLogLineF("Policy TrustedPublishers: %.80s is not used (more than %d publishers, or "
                    "not 40 hex digits).\r\n",
                    entry, (int)kPolicyEntries);
      continue;
    }
    CopyText(g_Policy.publishers[g_Policy.publisherCount++], kThumbprintCapacity, thumbprint);
    WriteLogLineF("Policy trusts publisher %s\r\n", thumbprint);
  }
}

}  // namespace

void ReadMachinePolicy() {
  ZeroMemory(&g_Policy, sizeof g_Policy);
  ScopedKey key;
  OpenPolicyKey(&key);
  if (!key.IsValid()) {
    WriteLogLine("No machine policy applies.\r\n");
    return;
  }
  ReadSites(key.Get());
  ReadPublishers(key.Get());
  DWORD allow = 0;
  DWORD type = 0;
  DWORD size = sizeof allow;
  if (RegQueryValueExA(key.Get(), "AllowInvalidCertificateNames", nullptr, &type, (BYTE*)&allow,
                       &size) == ERROR_SUCCESS &&
      type == REG_DWORD && allow == 1) {
    g_Policy.allowInvalidNames = true;
  }
  WriteLogLineF("Machine policy: %s, %s, certificates for other names %s on port 443.\r\n",
                g_Policy.hasSites ? "approved sites only" : "any site",
                g_Policy.hasPublishers ? "listed publishers only" : "any trusted publisher",
                g_Policy.allowInvalidNames ? "accepted" : "refused");
}

bool PolicyApprovesUrl(const char* url) {
  if (!g_Policy.hasSites) return true;
  for (int i = 0; i < g_Policy.siteCount; ++i) {
    if (UrlIsUnderPrefix(url, g_Policy.sites[i])) return true;
  }
  return false;
}

bool PolicyListsPublishers() { return g_Policy.hasPublishers; }

bool PolicyTrustsPublisher(const char* thumbprint) {
  if (!g_Policy.hasPublishers) return true;
  for (int i = 0; i < g_Policy.publisherCount; ++i) {
    if (lstrcmpiA(thumbprint, g_Policy.publishers[i]) == 0) return true;
  }
  return false;
}

bool PolicyAllowsInvalidCertificateNames() { return g_Policy.allowInvalidNames; }
