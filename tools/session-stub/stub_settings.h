// The stand-in's test switches, read once from the environment at start.
//
//   WEVELINK_STUB_WINDOW_DELAY_MS  create the main window this late
//   WEVELINK_STUB_NO_WINDOW=1      never create it; exit after a few seconds
//   WEVELINK_STUB_IGNORE_CLOSE=1   log WM_CLOSE and carry on
//   WEVELINK_STUB_KEEP_SLOT=1      leave the table slot set when the window goes
//   WEVELINK_STUB_EXIT_AFTER_MS    end on its own after this long (default
//                                  120000), so no test leaves one running
//   WEVELINK_STUB_SNAPSHOT=PATH    once embedded, save a picture of the page
//                                  with the session in it (stub_snapshot.h)
#ifndef WEVELINK_TOOLS_SESSION_STUB_SETTINGS_H
#define WEVELINK_TOOLS_SESSION_STUB_SETTINGS_H

struct StubSettings {
  unsigned long windowDelayMs;
  bool noWindow;
  bool ignoreClose;
  bool keepSlot;
  unsigned long exitAfterMs;
};

enum { kStubDefaultExitAfterMs = 120000, kStubNoWindowExitMs = 3000 };

void ReadStubSettings(StubSettings* out);

#endif
