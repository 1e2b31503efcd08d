// Component installation; see install_component.h.
#include "download/install_component.h"

#include "config/emulator_registry.h"
#include "control/module_state.h"

namespace {

// Recorded by the cabinet extraction of the Orvena client's settings.
char g_OrvenaFolder[kPathCapacity];

}  // namespace

const char* OrvenaFolder() { return g_OrvenaFolder; }

void InstallComponentFile(const char* namePart, long version, int kind) {
  (void)kind;
  // Expansion of compressed names, self-registration, fonts, cabinet
  // extraction and the sibling clients' settings files join here, before the
  // version is recorded.
  WriteComponentValue(namePart, version);
}
