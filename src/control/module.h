// The control module's start and exit. Start runs once, on the first
// request for a class object (not from DllMain: it will create folders and
// map shared memory, which does not belong under the loader lock). Exit
// runs when the module is unloaded, and only after a start.
#ifndef WEVELINK_CONTROL_MODULE_H
#define WEVELINK_CONTROL_MODULE_H

// Runs the module's start the first time; true once it has succeeded. A
// failed start is tried again on the next request.
bool EnsureModuleStarted();

// The module's exit; DllMain calls it at an unload by FreeLibrary.
void ExitModule();

#endif
