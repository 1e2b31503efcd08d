// Start and end of the bottom layer: the module folders at start; the
// event log and the wake event at the end. The module calls the start
// first and the end last.
#ifndef WEVELINK_BASE_LIFETIME_H
#define WEVELINK_BASE_LIFETIME_H

#include <windows.h>

bool StartBase(HINSTANCE instance);
// Ends the log (if open) and lets what it left pending through, without
// pausing; closes the wake event.
void EndBase();
// What is safe under the loader lock: the log's end banner, the wake event.
void EndBaseUnderLoaderLock();

#endif
