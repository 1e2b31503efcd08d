// Site files' sizes and digests; see file_integrity.h.
#include "file_integrity.h"

#include <stdio.h>

#include <memory>

#include <openssl/evp.h>

bool ReadFileIntegrity(const std::string& path, FileIntegrity* integrity) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!file || !context || !EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr)) return false;
  integrity->size = 0;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    if (!EVP_DigestUpdate(context.get(), buffer, n)) return false;
    integrity->size += n;
  }
  unsigned int length = 0;
  return !ferror(file.get()) && EVP_DigestFinal_ex(context.get(), integrity->sha256, &length) &&
         length == kSha256Bytes;
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
