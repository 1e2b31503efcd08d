// Import address tables of the modules loaded in this process: walking
// their slots and rewriting one. The message-box recorder uses it to put
// its own functions in the place of user32's message boxes.
#ifndef WEVELINK_TOOLS_HOST_IMPORT_PATCH_H
#define WEVELINK_TOOLS_HOST_IMPORT_PATCH_H

#include <windows.h>

// Called for each import address table slot; returns false to stop.
typedef bool (*ImportSlotVisitor)(HMODULE module, void** slot, void* context);

// Visits every slot of every import descriptor of a module that the loader
// mapped (headers checked, walk bounded). Returns false when the module's
// headers are not those of a PE image of this process's kind.
bool VisitImportSlots(HMODULE module, ImportSlotVisitor visit, void* context);

// Writes value into slot, lifting the page protection for the write.
bool WriteImportSlot(void** slot, void* value);

#endif
