// Sibling client table and texts; see sibling_clients.h.
#include "download/portable/sibling_clients.h"

#include "base/portable/bounded_text.h"

namespace {

const SiblingClient kClients[] = {
    {'O', "Software\\MARROCK\\Orvena Windows Client", "ov9c.exe"},
    {'Z', "Software\\MARROCK\\Zelvic Windows Client", "zv9c.exe"},
};

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

}  // namespace

const char kSiblingFontText[] =
    "F4FFFFFF00000000000000000000000090010000000000FF010201315465726D696E616C000000000000"
    "CCFB680031000000F0FA6800410000000000";
const char kSiblingPositionText[] = "2500B9008C024B01";

const SiblingClient* SiblingClientByLetter(char letter) {
  for (const SiblingClient& client : kClients) {
    if (client.Letter == UpperAscii(letter)) return &client;
  }
  return nullptr;
}

const SiblingClient* SiblingClientForCabinet(const char* cabinetName) {
  if (cabinetName == nullptr || cabinetName[0] == '\0') return nullptr;
  return SiblingClientByLetter(cabinetName[0]);
}

bool FormatSiblingVersionKey(const SiblingClient& client, const char* version, char* out,
                             size_t capacity) {
  return FormatText(out, capacity, "%s\\Version %s", client.ClientKey, version);
}

bool FormatSiblingAppPathsKey(const SiblingClient& client, char* out, size_t capacity) {
  return FormatText(out, capacity, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\%s",
                    client.Program);
}

bool FormatSiblingProgramPath(const SiblingClient& client, const char* folder, char* out,
                              size_t capacity) {
  bool fits = CopyText(out, capacity, folder);
  fits = AddBackslash(out, capacity) && fits;
  return AppendText(out, capacity, client.Program) && fits;
}
