// The two stores behind a property exchange: the container's property bag
// and the framework's own stream format. Used by the persistence
// interfaces of COleControl; controls only see CPropExchange.
#ifndef WEVELINK_FRAMEWORK_PROP_STORE_H
#define WEVELINK_FRAMEWORK_PROP_STORE_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "framework/prop_exchange.h"

// Property names longer than this are refused by both stores.
const size_t kMaxPropertyNameLength = 255;

// Over IPropertyBag: values are read as text (the bag converts typed
// values; a value that cannot become text counts as absent) and written as
// BSTR. The bag and the error log are borrowed.
class BagPropertyStore : public PropertyStore {
 public:
  BagPropertyStore(IPropertyBag* bag, IErrorLog* errorLog);
  bool ReadText(const char* name, CPropText* value) override;
  bool WriteText(const char* name, const char* text) override;

 private:
  IPropertyBag* bag_;
  IErrorLog* errorLog_;
};

// The stream format: the four bytes "WVPX", then one record per property
// (32-bit little-endian name length, the name, 32-bit value length, the
// value, both ANSI without terminators), then a 32-bit zero. A whole
// property set is at most kMaxStreamBytes long; loading reads all of it
// into memory first, so a malformed or over-long stream is refused before
// any property reaches the control.
class StreamPropertyStore : public PropertyStore {
 public:
  static const ULONG kMaxStreamBytes = 64 * 1024;

  explicit StreamPropertyStore(IStream* stream);  // borrowed
  ~StreamPropertyStore() override;

  // Reads and checks a whole property set. S_OK, E_OUTOFMEMORY, or
  // STG_E_READFAULT for a stream that ends early or does not hold the
  // format.
  HRESULT Load();
  // Writes the header before the exchange and the end record after it.
  HRESULT BeginSave();
  HRESULT EndSave();

  bool ReadText(const char* name, CPropText* value) override;
  bool WriteText(const char* name, const char* text) override;

 private:
  bool WriteBytes(const void* bytes, ULONG count);

  IStream* stream_;
  BYTE* loaded_;  // the records of a loaded set, end record excluded
  ULONG loadedSize_;
  ULONG savedSize_;
  bool saveFailed_;
};

#endif
