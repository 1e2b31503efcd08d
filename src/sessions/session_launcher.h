// The last step of a deployment: the sessions of the session list started,
// or re-shown in the page when they run embedded and are running already.
#ifndef WEVELINK_SESSIONS_SESSION_LAUNCHER_H
#define WEVELINK_SESSIONS_SESSION_LAUNCHER_H

// Launches every entry of the session list in order. iniName: the
// initialization file, read once more first; null for a local launch. A
// failure is shown and logged and the next entry follows. On NT 5 and later
// a session started in its own window is brought to the front once its
// window appears (at most kForegroundWaitMs). Web mode ends with the
// browser shortcuts (when a kind wants one) and the custom shortcuts.
void LaunchSessions(const char* iniName);

enum { kForegroundWaitMs = 10000 };

#endif
