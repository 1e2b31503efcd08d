// The framework's stream format for IPersistStreamInit; see prop_store.h.
// Loading takes the whole set into one heap block and checks every record
// before the exchange starts; saving writes records as the control
// exchanges them and refuses anything past the size limit.
#include "framework/prop_store.h"

#include <string.h>

namespace {

const BYTE kMagic[4] = {'W', 'V', 'P', 'X'};

bool ReadExactly(IStream* stream, void* bytes, ULONG count) {
  ULONG got = 0;
  return SUCCEEDED(stream->Read(bytes, count, &got)) && got == count;
}

DWORD ReadWord(const BYTE* at) {
  return (DWORD)at[0] | ((DWORD)at[1] << 8) | ((DWORD)at[2] << 16) | ((DWORD)at[3] << 24);
}

void PutWord(BYTE* at, DWORD word) {
  at[0] = (BYTE)word;
  at[1] = (BYTE)(word >> 8);
  at[2] = (BYTE)(word >> 16);
  at[3] = (BYTE)(word >> 24);
}

}  // namespace

StreamPropertyStore::StreamPropertyStore(IStream* stream)
    : stream_(stream), loaded_(nullptr), loadedSize_(0), savedSize_(0), saveFailed_(false) {}

StreamPropertyStore::~StreamPropertyStore() {
  if (loaded_ != nullptr) HeapFree(GetProcessHeap(), 0, loaded_);
}

HRESULT StreamPropertyStore::Load() {
  BYTE magic[4];
  if (!ReadExactly(stream_, magic, 4) || memcmp(magic, kMagic, 4) != 0) return STG_E_READFAULT;
  const ULONG room = kMaxStreamBytes - 8;  // header and end record
  loaded_ = (BYTE*)HeapAlloc(GetProcessHeap(), 0, room);
  if (loaded_ == nullptr) return E_OUTOFMEMORY;
  loadedSize_ = 0;
  for (;;) {
    BYTE word[4];
    if (!ReadExactly(stream_, word, 4)) return STG_E_READFAULT;
    DWORD nameLength = ReadWord(word);
    if (nameLength == 0) return S_OK;
    if (nameLength > kMaxPropertyNameLength) return STG_E_READFAULT;
    // name length, name, value length: checked against the room left
    if (room - loadedSize_ < 8 + nameLength) return STG_E_READFAULT;
    PutWord(loaded_ + loadedSize_, nameLength);
    if (!ReadExactly(stream_, loaded_ + loadedSize_ + 4, nameLength + 4)) return STG_E_READFAULT;
    DWORD valueLength = ReadWord(loaded_ + loadedSize_ + 4 + nameLength);
    loadedSize_ += 8 + nameLength;
    if (valueLength >= CPropText::kCapacity || room - loadedSize_ < valueLength) {
      return STG_E_READFAULT;
    }
    if (!ReadExactly(stream_, loaded_ + loadedSize_, valueLength)) return STG_E_READFAULT;
    loadedSize_ += valueLength;
  }
}

bool StreamPropertyStore::ReadText(const char* name, CPropText* value) {
  size_t nameLength = strlen(name);
  ULONG at = 0;
  while (loaded_ != nullptr && at < loadedSize_) {
    DWORD recordName = ReadWord(loaded_ + at);
    DWORD valueLength = ReadWord(loaded_ + at + 4 + recordName);
    const BYTE* valueBytes = loaded_ + at + 8 + recordName;
    if (recordName == nameLength && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE,
                                                   (const char*)loaded_ + at + 4, recordName,
                                                   name, (int)nameLength) == CSTR_EQUAL) {
      memcpy(value->Buffer(), valueBytes, valueLength);  // < kCapacity, checked at load
      value->Buffer()[valueLength] = '\0';
      value->SetLength(valueLength);
      return true;
    }
    at += 8 + recordName + valueLength;
  }
  return false;
}

HRESULT StreamPropertyStore::BeginSave() {
  savedSize_ = 0;
  saveFailed_ = false;
  return WriteBytes(kMagic, 4) ? S_OK : STG_E_WRITEFAULT;
}

HRESULT StreamPropertyStore::EndSave() {
  BYTE end[4] = {0, 0, 0, 0};
  if (saveFailed_ || !WriteBytes(end, 4)) return STG_E_WRITEFAULT;
  return S_OK;
}

bool StreamPropertyStore::WriteText(const char* name, const char* text) {
  size_t nameLength = strlen(name);
  size_t valueLength = strlen(text);
  if (nameLength == 0 || nameLength > kMaxPropertyNameLength ||
      valueLength >= CPropText::kCapacity ||
      savedSize_ + 8 + nameLength + valueLength + 4 > kMaxStreamBytes) {
    saveFailed_ = true;
    return false;
  }
  BYTE word[4];
  PutWord(word, (DWORD)nameLength);
  bool written = WriteBytes(word, 4) && WriteBytes(name, (ULONG)nameLength);
  PutWord(word, (DWORD)valueLength);
  written = written && WriteBytes(word, 4) && WriteBytes(text, (ULONG)valueLength);
  if (!written) saveFailed_ = true;
  return written;
}

bool StreamPropertyStore::WriteBytes(const void* bytes, ULONG count) {
  if (count == 0) return true;
  ULONG put = 0;
  if (FAILED(stream_->Write(bytes, count, &put)) || put != count) return false;
  savedSize_ += count;
  return true;
}
