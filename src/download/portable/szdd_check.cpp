// The SZDD size check; see szdd_check.h.
//
// Layout: "SZDD" 0x88 0xF0 0x27 0x33, a method byte, the missing last
// character of the name, the expanded size (4 bytes, low byte first), then
// the data: a control byte whose bits, lowest first, tell for the next
// eight items a literal byte (1) or a two-byte back reference (0) whose low
// four bits of its second byte plus 3 give the length. Only the lengths
// matter for the count; the window is not kept.
#include "download/portable/szdd_check.h"

namespace {
const unsigned char kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
// A size the counts never pass: a lie of gigabytes is told from the truth
// without overflowing.
const unsigned long kCountLimit = 0x7FFFFFFFUL;

void Add(unsigned long* count, unsigned long amount) {
  *count = *count > kCountLimit - amount ? kCountLimit : *count + amount;
}
}  // namespace

void SzddCheck::Feed(const unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const unsigned char byte = bytes[i];
    if (header_ < kHeaderSize) {
      if (header_ < sizeof kSignature && byte != kSignature[header_]) signature_ = false;
      if (header_ >= 10) announced_ |= (unsigned long)byte << (8 * (header_ - 10));
      ++header_;
      continue;
    }
    if (!signature_) return;
    if (halfReference_) {
      halfReference_ = false;
      Add(&decoded_, (unsigned long)(byte & 0x0F) + 3);
      continue;
    }
    if (bitsLeft_ == 0) {
      control_ = byte;
      bitsLeft_ = 8;
      continue;
    }
    const bool literal = (control_ & 1) != 0;
    control_ >>= 1;
    --bitsLeft_;
    if (literal) {
      Add(&decoded_, 1);
    } else {
      halfReference_ = true;
    }
  }
}

bool SzddCheck::IsWhole() const {
  if (header_ < kHeaderSize) return header_ == 0 || !signature_;
  if (!signature_) return true;
  return !halfReference_ && decoded_ == announced_;
}
