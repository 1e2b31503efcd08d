// Distribution lists: the per-kind text files on the server that name each
// component file with its distribution version, and the rules that turn a
// listed name into the local name, the display name and the name looked
// for on disk. Platform-free.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_DISTRIBUTION_LIST_H
#define WEVELINK_DOWNLOAD_PORTABLE_DISTRIBUTION_LIST_H

#include <stddef.h>

#include "download/portable/sha256.h"

enum {
  kDistributionEntries = 32,
  kDistributionNameCapacity = 260,  // 259 characters
};

// The optional third field of a line, "NAME,VERSION,SIZE:SHA256": the file's
// size in bytes and its SHA-256 digest, which a download must match to be
// installed. Lines without it read as they always did.
enum IntegrityField {
  kNoIntegrity,         // no second comma before the line's end (or its first LF)
  kIntegrityGiven,      // Size and Sha256 hold the field
  kIntegrityMalformed,  // a field is there but does not read: the entry is refused
};

struct DistributionEntry {
  char FileName[kDistributionNameCapacity];  // may hold a path relative to the server URL
  long Version;                              // 0 when the line has none
  IntegrityField Integrity;
  unsigned long Size;                        // at most 4294967295
  unsigned char Sha256[kSha256Bytes];
};

struct DistributionList {
  DistributionEntry Entries[kDistributionEntries];
  int Count;
  // What the table could not hold: lines past the 32nd, and lines of 260
  // characters or more (left out rather than cut, since a cut name would
  // download and record some other file). The first of each is kept for
  // the log line that names it.
  int LinesPastLimit;
  int LongLines;
  char FirstLongLine[64];  // its beginning, for the log
};

// Parses text (the list as fetched, zero-terminated) into list. Lines end at
// CR; a LF inside a line is kept, so a list with LF-only line ends shorter
// than 260 characters is a single entry. Every run of CR and LF between
// lines (and before the first) is skipped. An entry with a "," is cut at the first
// one and takes the decimal number after it as its version (leading blanks
// skipped, digits up to the first non-digit, 0 if none). A second comma
// before the line's end or its first LF starts the integrity field: blanks,
// 1 to 10 decimal digits of at most 4294967295, ":", exactly 64 hex digits
// of either case, blanks; anything else makes it kIntegrityMalformed, so
// that a damaged field cannot switch the check off. The version reads the
// same with the field as without it.
void ParseDistributionText(const char* text, DistributionList* list);

// Whether a fetched list or initialization file is a web page instead: its
// first character after blanks, line ends and a UTF-8 byte-order mark is
// "<" (a login page of a network that answers every request, a server's
// error page sent with status 200). No list line or key begins so.
bool IsWebPageText(const char* text);

// The name part: the entry from its last "/" or "\" on, that separator
// included, or the whole entry when it has none. What the registry, the
// local folders and the installer see.
const char* ComponentNamePart(const char* entry);

// Whether a name part may become a local path and a registry value name:
// the text after its separator is not empty, "." or "..", holds no ":"
// and names no device (IsReservedDeviceName).
bool IsUsableNamePart(const char* namePart);

// True when the name's last three characters are "cab" in any case.
bool IsCabinetName(const char* name);

// The progress dialog's name for an entry: in web mode everything from the
// last "." on is removed; then the first character is upper case and the
// rest lower case ("KVMD.CAB": web "Kvmd", desktop "Kvmd.cab").
void FormatComponentDisplayName(const char* entry, bool desktopMode, char* out, size_t capacity);

enum CompressedName {
  kNotCompressed,   // the name itself is looked for
  kExpandedName,    // *out holds the expanded name to look for
  kUnknownCompressed,  // a compressed name the table does not know: missing
};

// The name a compressed component file ("..._") has once expanded: the "_"
// becomes the letter that the two characters before it choose ("EX" e,
// "HL" p, "DL" l, "FO" n, "ZM" d, "ZA" d, "FT" p, "ZV" t, "PE" m, "TT" f,
// any case), and a name ending in ".0_" loses its "_". out receives the
// name in every case but kUnknownCompressed, which is also the answer
// when the expanded name does not fit capacity. The presence check and the
// installer's expansion share this one table, so a file that was expanded
// is found under the name it was expanded to.
CompressedName ExpandCompressedName(const char* namePart, char* out, size_t capacity);

#endif
