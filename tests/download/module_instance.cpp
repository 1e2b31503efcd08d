// The module's instance variable for the programs of this folder, which
// carry the progress resources themselves; the rest of the module's start-up
// state is not needed by the progress dialog.
#include "control/module_state.h"

HINSTANCE g_ModuleInstance = nullptr;
