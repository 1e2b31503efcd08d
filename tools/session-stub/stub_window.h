// The stand-in's main window: a window of the kind's session class for its
// instance, published in the session window table while it exists, taking
// a new parent when told, and closing on WM_CLOSE.
#ifndef WEVELINK_TOOLS_SESSION_STUB_WINDOW_H
#define WEVELINK_TOOLS_SESSION_STUB_WINDOW_H

#include <windows.h>

#include "stub_command_line.h"
#include "stub_settings.h"

// The control's private messages.
enum : UINT {
  kMsgSessionNewParent = 0x049A,  // lParam the new parent window
  kMsgSessionRefresh = 0x0465,
};

struct StubWindowParams {
  int kind;
  bool desktopMode;
  int instance;                 // 1-99
  const char* className;
  const StubCommandLine* line;  // for the embedding switches
  const StubSettings* settings;
  DWORD exitAfterMs;            // what is left of the exit timer
};

// Creates the window, publishes it, runs the message loop until the window
// is gone, and returns the process exit code (0, or 4 when the window could
// not be made).
int RunStubWindow(HINSTANCE instance, const StubWindowParams& params);

#endif
