// The desktop installation, run by the driver in desktop mode after the
// component updates: the preferred connection type and the support texts
// in the registry, the program group when something was installed (the
// progress dialog is open) and the group is wanted, the program and custom
// shortcuts. The overall progress always advances by 23.
#ifndef WEVELINK_DESKTOP_DESKTOP_INSTALLATION_H
#define WEVELINK_DESKTOP_DESKTOP_INSTALLATION_H

void RunDesktopInstallation();

#endif
