// Whether a compressed component file (the "SZDD" format of the platform's
// expansion functions) holds all that its header announces. The expansion
// itself copies what it can decode and reports success for a file cut short
// or for a header that lies about the size, so a download is checked before
// it replaces an installed file. Platform-free.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_SZDD_CHECK_H
#define WEVELINK_DOWNLOAD_PORTABLE_SZDD_CHECK_H

#include <stddef.h>

// Counts what the compressed bytes decode to, fed piece by piece. A file
// that does not begin with the SZDD signature is not compressed in this
// format (the expansion copies it as it is): it is never called damaged.
class SzddCheck {
 public:
  void Feed(const unsigned char* bytes, size_t count);
  // After the last piece: false for an SZDD file whose data ends inside a
  // back reference or decodes to another size than its header announces.
  bool IsWhole() const;
  bool IsSzdd() const { return header_ == kHeaderSize && signature_; }
  unsigned long Announced() const { return announced_; }
  unsigned long Decoded() const { return decoded_; }

 private:
  enum { kHeaderSize = 14 };
  size_t header_ = 0;      // header bytes seen
  bool signature_ = true;  // the signature matched so far
  unsigned long announced_ = 0;
  unsigned long decoded_ = 0;
  unsigned control_ = 0;   // flag bits left of the current control byte, shifted
  int bitsLeft_ = 0;
  bool halfReference_ = false;  // the first byte of a back reference was seen
};

#endif
