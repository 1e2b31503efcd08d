// The two sibling thin clients that can be delivered as cabinets: which
// cabinet belongs to which client, and the registry keys and texts written
// for a client once its cabinet is extracted. Platform-free.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_SIBLING_CLIENTS_H
#define WEVELINK_DOWNLOAD_PORTABLE_SIBLING_CLIENTS_H

#include <stddef.h>

struct SiblingClient {
  char Letter;            // 'O' or 'Z': a cabinet name beginning with it, any case
  const char* ClientKey;  // "Software\MARROCK\Orvena Windows Client"
  const char* Program;    // "ov9c.exe"
};

// The client of a cabinet name, by its first letter; null for neither.
const SiblingClient* SiblingClientForCabinet(const char* cabinetName);
// The client by letter ('O' or 'Z'); null otherwise.
const SiblingClient* SiblingClientByLetter(char letter);

// The texts written for the user as the client's "Font" (a LOGFONTA of
// Terminal, in hexadecimal) and "Pos33" (four window coordinates).
extern const char kSiblingFontText[];
extern const char kSiblingPositionText[];

// The client key followed by "\Version " and the version text.
bool FormatSiblingVersionKey(const SiblingClient& client, const char* version, char* out,
                             size_t capacity);
// "Software\Microsoft\Windows\CurrentVersion\App Paths\" and the program.
bool FormatSiblingAppPathsKey(const SiblingClient& client, char* out, size_t capacity);
// The folder, a backslash unless it ends in one, and the program.
bool FormatSiblingProgramPath(const SiblingClient& client, const char* folder, char* out,
                              size_t capacity);

#endif
