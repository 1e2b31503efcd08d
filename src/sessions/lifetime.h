// Start and end of sessions: the shared session window table is opened at
// start (absent is allowed: its users test for it) and closed at the end,
// after the container hook is taken off the browser's window, which must
// not call into a module that is gone.
#ifndef WEVELINK_SESSIONS_LIFETIME_H
#define WEVELINK_SESSIONS_LIFETIME_H

void StartSessions();
void EndSessions();

#endif
