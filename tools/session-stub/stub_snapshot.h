// A picture of an embedded stand-in in its page, for the documentation:
// with WEVELINK_STUB_SNAPSHOT set to a Windows path, the stand-in saves the
// top-level window it is embedded in, as the screen shows it, with its own
// terminal drawn on top where it sits. Wine does not draw a child window of
// another process on the screen, so a plain screen copy shows the page with
// a hole where the session is; the stand-in fills the hole itself.
#ifndef WEVELINK_TOOLS_SESSION_STUB_SNAPSHOT_H
#define WEVELINK_TOOLS_SESSION_STUB_SNAPSHOT_H

#include <windows.h>

// Whether a snapshot was asked for and not yet taken.
bool SnapshotWanted();

// Saves the picture as a 24-bit BMP; paint draws the stand-in's own client
// area into the DC given (its origin moved to the window's place). Logs
// "snapshot path=... ok=1|0" and asks for no second one.
void TakeSnapshot(HWND window, void (*paint)(HWND window, HDC dc));

#endif
