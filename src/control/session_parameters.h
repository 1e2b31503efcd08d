// The driver's side of the session-list builder: page parameters through the
// property exchange with their length checks, the event log, the embedding
// through the client site, the cookie through the cacher and the control's
// own message box.
#ifndef WEVELINK_CONTROL_SESSION_PARAMETERS_H
#define WEVELINK_CONTROL_SESSION_PARAMETERS_H

class COleControl;
class CPropExchange;

// Builds the session list from the "Sessions" value; sets CancelRequested when
// a session parameter fails its length check.
void BuildSessionListFromPage(COleControl* control, CPropExchange* exchange,
                              const char* sessions);

#endif
