// The size and SHA-256 digest of a site file as a distribution list's
// integrity field gives them ("NAME,VERSION,SIZE:SHA256"), and a list line
// with that field written in.
#ifndef WEVELINK_TOOLS_SITE_CHECK_FILE_INTEGRITY_H
#define WEVELINK_TOOLS_SITE_CHECK_FILE_INTEGRITY_H

#include <string>

#include "download/portable/distribution_list.h"

struct FileIntegrity {
  unsigned long long size;
  unsigned char sha256[kSha256Bytes];
};

// Reads the file through; false when it cannot be read.
bool ReadFileIntegrity(const std::string& path, FileIntegrity* integrity);

// "SIZE:HEX", the digest in lower case.
std::string IntegrityField(const FileIntegrity& integrity);

// The list line (without its line end) with field as its third field: one
// already there is replaced, a line without a version gets version 0 (the
// version it had), so that the line's name and version read as before.
std::string StampedLine(const std::string& line, const std::string& field);

#endif
