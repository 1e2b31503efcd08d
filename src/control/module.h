// The control module's start and exit. Start runs on the first request for
// a class object (not from DllMain: it will create folders and map shared
// memory, which does not belong under the loader lock), and again after an
// exit. Exit runs from DllCanUnloadNow on the container's thread, when no
// object lives and no lock is held; only after a start.
#ifndef WEVELINK_CONTROL_MODULE_H
#define WEVELINK_CONTROL_MODULE_H

// Runs the module's start unless it has run since the last exit; true once
// it has succeeded. A failed start is tried again on the next request; a
// request during the exit is refused.
bool EnsureModuleStarted();

// The module's exit; nothing when the module is not started.
void ExitModule();

#endif
