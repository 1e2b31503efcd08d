// Property exchange: how a control's DoPropExchange reads its persistent
// properties from the container (load), writes them back (save) or puts
// them to their defaults (reset), with one call per property whatever the
// direction. The container's storage behind an exchange is a property bag
// (the PARAM elements of a web page) or a stream; the control never sees
// which.
//
// Text is single-byte ANSI: wide text from the container is converted with
// the ANSI code page (CP_ACP) and back.
//
// Reading a page parameter in DoPropExchange:
//
//   CPropText value;
//   if (PX_String(pPX, "IniFile", &value)) {
//     // present: value.Length() is the full length the container gave,
//     // value.Text() at most CPropText::kCapacity - 1 characters of it.
//   } else {
//     // absent: value was left exactly as it was.
//   }
#ifndef WEVELINK_FRAMEWORK_PROP_EXCHANGE_H
#define WEVELINK_FRAMEWORK_PROP_EXCHANGE_H

#include <windows.h>

#include <stddef.h>

// One exchanged text property: a fixed buffer and the length of the text
// as the container holds it. When the container's text is longer than the
// buffer, Text() keeps its first kCapacity - 1 characters (cut cleanly,
// never inside a double-byte character) and Length() still tells the real
// length, so a caller that checks lengths against a smaller buffer of its
// own sees every over-long value as over-long.
class CPropText {
 public:
  static const size_t kCapacity = 4096;  // characters, terminator included

  CPropText() { Clear(); }

  const char* Text() const { return text_; }
  size_t Length() const { return length_; }
  // True when Text() holds less than the whole value.
  bool IsCut() const { return length_ >= kCapacity; }

  // Replaces the value; false when text had to be cut.
  bool Set(const char* text);
  void Clear();

  // For the exchange: the converted value and its full length.
  char* Buffer() { return text_; }
  void SetLength(size_t length) { length_ = length; }

 private:
  char text_[kCapacity];
  size_t length_;
};

// Where an exchange's values come from or go to. Implemented over a
// property bag and over the framework's stream format (prop_store.h).
class PropertyStore {
 public:
  virtual ~PropertyStore() {}
  // False when the store has no value of that name (or it cannot be read
  // as text); value is then left alone.
  virtual bool ReadText(const char* name, CPropText* value) = 0;
  virtual bool WriteText(const char* name, const char* text) = 0;
};

class CPropExchange {
 public:
  enum Mode { kLoad, kSave, kReset };

  // store is needed for kLoad and kSave and ignored for kReset; it is
  // borrowed for the exchange's life.
  CPropExchange(Mode mode, PropertyStore* store);

  Mode GetMode() const { return mode_; }
  bool IsLoading() const { return mode_ == kLoad; }

  // The version of the persisted properties. Load: the stored "_Version"
  // when there is one, else versionDefault. Save: versionDefault when
  // convert is set (the properties are written in today's form), else the
  // version that was loaded. Reset: versionDefault. *versionLoaded receives
  // the exchange's version; false only when a save could not write it.
  bool ExchangeVersion(DWORD* versionLoaded, DWORD versionDefault, bool convert);
  DWORD GetVersion() const { return version_; }

  // The store operations the PX_ functions use; false when not available
  // in this mode.
  bool ReadText(const char* name, CPropText* value);
  bool WriteText(const char* name, const char* text);

  // True when a save could not write every property.
  bool HasWriteFailed() const { return writeFailed_; }

 private:
  Mode mode_;
  PropertyStore* store_;
  DWORD version_;
  bool writeFailed_;
};

// Exchanges a text property without a default. Load: true and the value
// when the container has one; false and value untouched when it does not.
// Save: writes value, true when written. Reset: there is no default, so
// nothing changes and the result is false.
bool PX_String(CPropExchange* pPX, const char* name, CPropText* value);

// Exchanges a 32-bit signed number kept as decimal text. Load: false and
// value untouched when absent or not a number. Save: writes it. Reset:
// sets valueDefault and returns true.
bool PX_Long(CPropExchange* pPX, const char* name, LONG* value, LONG valueDefault);

#endif
