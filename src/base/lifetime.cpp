// Start and end of the bottom layer; see lifetime.h.
#include "base/lifetime.h"

#include "base/event_log.h"
#include "base/message_pump.h"
#include "base/module_folders.h"

bool StartBase(HINSTANCE instance) { return InitializeModuleFolders(instance); }

void EndBase() {
  if (IsEventLogOpen()) {
    EndEventLog();
    PumpMessages(0, true);
  }
  CloseWakeEvent();
}

void EndBaseUnderLoaderLock() {
  EndEventLogAtProcessExit();
  CloseWakeEvent();
}
