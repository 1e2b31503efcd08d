// Import address table walking and patching; see import_patch.h.
//
// Slots are matched by the address they hold, not by the name of the DLL
// they were imported from, so that imports through forwarders and API sets
// are found as well.
#include "import_patch.h"

namespace {

const DWORD kMaxDescriptors = 4096;
const DWORD kMaxSlotsPerDescriptor = 65536;

}  // namespace

bool VisitImportSlots(HMODULE module, ImportSlotVisitor visit, void* context) {
  BYTE* base = (BYTE*)module;
  if (base == nullptr) return false;
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return false;
  const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
    return false;
  }
  if (nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT) return true;
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0 || directory.Size == 0) return true;
  DWORD imageSize = nt->OptionalHeader.SizeOfImage;

  const IMAGE_IMPORT_DESCRIPTOR* descriptor =
      (const IMAGE_IMPORT_DESCRIPTOR*)(base + directory.VirtualAddress);
  for (DWORD d = 0; d < kMaxDescriptors && descriptor[d].Name != 0; ++d) {
    DWORD table = descriptor[d].FirstThunk;
    if (table == 0 || table >= imageSize) continue;
    IMAGE_THUNK_DATA* thunk = (IMAGE_THUNK_DATA*)(base + table);
    for (DWORD s = 0; s < kMaxSlotsPerDescriptor && thunk[s].u1.Function != 0; ++s) {
      if (!visit(module, (void**)&thunk[s].u1.Function, context)) return true;
    }
  }
  return true;
}

bool WriteImportSlot(void** slot, void* value) {
  DWORD oldProtection = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_EXECUTE_READWRITE, &oldProtection)) return false;
  InterlockedExchangePointer(slot, value);
  DWORD ignored = 0;
  VirtualProtect(slot, sizeof *slot, oldProtection, &ignored);
  FlushInstructionCache(GetCurrentProcess(), slot, sizeof *slot);
  return true;
}
