// The deployment driver: one call runs one whole deployment with the
// parameters that the container's property exchange reports, on the
// browser's user-interface thread, before it returns.
#ifndef WEVELINK_CONTROL_DEPLOYMENT_DRIVER_H
#define WEVELINK_CONTROL_DEPLOYMENT_DRIVER_H

#include <windows.h>

class COleControl;
class CPropExchange;

// The deployment sequence. control gives the client site, the page's
// address and the owner of the driver's message boxes.
void RunDeployment(COleControl* control, CPropExchange* pPX);

// The hand-over to the sessions, once per page: closes the progress dialog,
// loads the kinds' verified flags, launches the session list and clears
// DeploymentBusy. The driver calls it at the end of a deployment that ran
// its course when sessions are not embedded.
void FinishDeployment();

// Whether the last deployment left its embedded sessions' launch to the
// control's first paint and no deployment runs now; true once per such
// deployment.
bool TakeDeferredLaunch();

// Body of the control's OnSetClientSite: logs, toggles ControlSited and
// hides the first embedded session window when the site goes away. Calls
// frameworkOnSetClientSite(control) where the framework's own must run.
void NoteClientSiteChange(COleControl* control, void (*frameworkOnSetClientSite)(COleControl*));

#endif
