// Site files' sizes and digests; see file_integrity.h.
#include "file_integrity.h"

#include <stdio.h>

#include <memory>

#include "download/portable/sha256.h"

// The control's own SHA-256: the checker stamps and verifies with what the
// control checks with.
bool ReadFileIntegrity(const std::string& path, FileIntegrity* integrity) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
  if (!file) return false;
  Sha256Hash hash;
  BeginSha256(&hash);
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file.get())) > 0) AddToSha256(&hash, buffer, n);
  if (ferror(file.get())) return false;
  integrity->size = hash.Bytes;
  FinishSha256(&hash, integrity->sha256);
  return true;
}

std::string IntegrityField(const FileIntegrity& integrity) {
  std::string field = std::to_string(integrity.size) + ":";
  for (unsigned char byte : integrity.sha256) {
    field += "0123456789abcdef"[byte >> 4];
    field += "0123456789abcdef"[byte & 15];
  }
  return field;
}

std::string StampedLine(const std::string& line, const std::string& field) {
  const size_t first = line.find(',');
  if (first == std::string::npos) return line + ",0," + field;
  const size_t second = line.find(',', first + 1);
  return line.substr(0, second) + "," + field;
}
