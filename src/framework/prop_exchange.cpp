// The exchange object and the PX_ functions; see prop_exchange.h. Numbers
// travel as decimal text so that one store interface serves both the
// property bag (whose values may be typed) and the stream format.
#include "framework/prop_exchange.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

const char kVersionName[] = "_Version";

// Whole-text decimal with optional blanks before and a sign; false on
// anything else or on overflow of 32 bits.
bool ParseLong(const char* text, LONG* value) {
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  if (*text < '0' || *text > '9') return false;
  long long number = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    number = number * 10 + (*text - '0');
    if (number > 2147483648LL) return false;
  }
  if (*text != '\0') return false;
  if (negative) number = -number;
  if (number > 2147483647LL) return false;
  *value = (LONG)number;
  return true;
}

}  // namespace

bool CPropText::Set(const char* text) {
  if (text == nullptr) text = "";
  length_ = strlen(text);
  return CopyText(text_, kCapacity, text);
}

void CPropText::Clear() {
  text_[0] = '\0';
  length_ = 0;
}

CPropExchange::CPropExchange(Mode mode, PropertyStore* store)
    : mode_(mode), store_(store), version_(0), writeFailed_(false) {}

bool CPropExchange::ReadText(const char* name, CPropText* value) {
  if (mode_ != kLoad || store_ == nullptr) return false;
  return store_->ReadText(name, value);
}

bool CPropExchange::WriteText(const char* name, const char* text) {
  if (mode_ != kSave || store_ == nullptr) return false;
  if (store_->WriteText(name, text)) return true;
  writeFailed_ = true;
  return false;
}

bool CPropExchange::ExchangeVersion(DWORD* versionLoaded, DWORD versionDefault, bool convert) {
  bool done = true;
  switch (mode_) {
    case kLoad: {
      LONG stored = 0;
      CPropText text;
      version_ = (ReadText(kVersionName, &text) && ParseLong(text.Text(), &stored))
                     ? (DWORD)stored
                     : versionDefault;
      break;
    }
    case kSave: {
      if (convert || version_ == 0) version_ = versionDefault;
      LONG stored = (LONG)version_;
      done = PX_Long(this, kVersionName, &stored, (LONG)versionDefault);
      break;
    }
    case kReset:
      version_ = versionDefault;
      break;
  }
  if (versionLoaded != nullptr) *versionLoaded = version_;
  return done;
}

bool PX_String(CPropExchange* pPX, const char* name, CPropText* value) {
  if (pPX == nullptr || name == nullptr || value == nullptr) return false;
  switch (pPX->GetMode()) {
    case CPropExchange::kLoad:
      // Stores change value only when they have one to give.
      return pPX->ReadText(name, value);
    case CPropExchange::kSave:
      return pPX->WriteText(name, value->Text());
    case CPropExchange::kReset:
      break;
  }
  return false;
}

bool PX_Long(CPropExchange* pPX, const char* name, LONG* value, LONG valueDefault) {
  if (pPX == nullptr || name == nullptr || value == nullptr) return false;
  switch (pPX->GetMode()) {
    case CPropExchange::kLoad: {
      CPropText text;
      LONG parsed = 0;
      if (!pPX->ReadText(name, &text) || !ParseLong(text.Text(), &parsed)) return false;
      *value = parsed;
      return true;
    }
    case CPropExchange::kSave: {
      char text[16];
      FormatText(text, sizeof text, "%ld", (long)*value);
      return pPX->WriteText(name, text);
    }
    case CPropExchange::kReset:
      *value = valueDefault;
      return true;
  }
  return false;
}
