// Property exchange over the container's IPropertyBag (a web page's PARAM
// elements); see prop_store.h. Wide text becomes ANSI through CP_ACP. An
// over-long value is cut at a character boundary found with size queries
// first, so the holder is written once and only when there is a value.
#include "framework/prop_store.h"

#include <oleauto.h>

namespace {

bool NameToWide(const char* name, WCHAR* wide, int capacity) {
  return lstrlenA(name) <= (int)kMaxPropertyNameLength &&
         MultiByteToWideChar(CP_ACP, 0, name, -1, wide, capacity) > 0;
}

int AnsiSizeOf(const WCHAR* wide, int count) {
  return WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
}

// Converts count wide characters into value, keeping as many whole
// characters as fit in its buffer; Length() becomes the full ANSI length.
bool WideToPropText(const WCHAR* wide, int count, CPropText* value) {
  if (count == 0) {
    value->Clear();
    return true;
  }
  int fullSize = AnsiSizeOf(wide, count);
  if (fullSize <= 0) return false;
  const int room = (int)CPropText::kCapacity - 1;
  int keep = count;
  int size = fullSize;
  while (size > room) {
    // Each wide character gives one or two bytes: drop at least half the
    // excess, never half of a surrogate pair.
    int drop = (size - room + 1) / 2;
    keep = keep > drop ? keep - drop : 0;
    if (keep > 0 && IS_HIGH_SURROGATE(wide[keep - 1])) --keep;
    size = keep > 0 ? AnsiSizeOf(wide, keep) : 0;
    if (size < 0) return false;
  }
  int written = keep > 0 ? WideCharToMultiByte(CP_ACP, 0, wide, keep, value->Buffer(), room,
                                               nullptr, nullptr)
                         : 0;
  value->Buffer()[written > 0 ? written : 0] = '\0';
  value->SetLength((size_t)fullSize);
  return true;
}

}  // namespace

BagPropertyStore::BagPropertyStore(IPropertyBag* bag, IErrorLog* errorLog)
    : bag_(bag), errorLog_(errorLog) {}

bool BagPropertyStore::ReadText(const char* name, CPropText* value) {
  WCHAR wideName[kMaxPropertyNameLength + 1];
  if (!NameToWide(name, wideName, ARRAYSIZE(wideName))) return false;
  // Before Windows 8.1 VariantInit sets the type alone, and a bag leaves the
  // VARIANT as it found it for an absent name: the value is set here, and
  // cleared only when the bag answered.
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = nullptr;
  if (FAILED(bag_->Read(wideName, &variant, errorLog_))) return false;
  bool found = true;
  if (variant.vt != VT_BSTR) {
    found = SUCCEEDED(VariantChangeType(&variant, &variant, 0, VT_BSTR));
  }
  if (found) {
    BSTR text = variant.bstrVal;
    found = WideToPropText(text != nullptr ? text : L"", (int)SysStringLen(text), value);
  }
  VariantClear(&variant);
  return found;
}

bool BagPropertyStore::WriteText(const char* name, const char* text) {
  WCHAR wideName[kMaxPropertyNameLength + 1];
  if (!NameToWide(name, wideName, ARRAYSIZE(wideName))) return false;
  int wideCount = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (wideCount <= 0) return false;
  BSTR wide = SysAllocStringLen(nullptr, (UINT)(wideCount - 1));
  if (wide == nullptr) return false;
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, wideCount);
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = wide;
  bool written = SUCCEEDED(bag_->Write(wideName, &variant));
  VariantClear(&variant);  // frees wide
  return written;
}
