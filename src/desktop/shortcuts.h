// Shortcuts on the desktop (the desktop folder of the platform family):
// program shortcuts of the installed programs in desktop mode, browser
// shortcuts per session kind in web mode, and the nine custom shortcuts in
// both modes. Each link is named by its label; an existing link of that
// name is replaced. COM is initialised on the calling thread already.
#ifndef WEVELINK_DESKTOP_SHORTCUTS_H
#define WEVELINK_DESKTOP_SHORTCUTS_H

#include <windows.h>

// Writes the shell link at linkPath: target, description, the working
// folder of the mode (installation folder, or download folder in web
// mode) and, when not null, the arguments. The COM result of the first
// step that failed, else that of the save.
HRESULT CreateShortcut(const char* target, const char* linkPath, const char* description,
                       const char* arguments);

// The default browser's open command (the default value of HKLM
// "Software\Classes\Http\Shell\Open\Command"), a trailing quoted argument
// cut; false when it cannot be read. command holds 260 bytes.
bool FindDefaultBrowser(char* command);

// The program's full path from App Paths into path (260 bytes); false,
// path as it was, when it is not registered.
bool LookUpAppPath(const char* programName, char* path);

// Desktop mode: a link per installed program whose shortcut is wanted; the
// older AS/400 links go first when their program is there.
void CreateComponentShortcuts();

// Web mode: a link per kind whose shortcut is wanted, starting the default
// browser at the kind's URL. None without a recognised browser.
void CreateBrowserShortcuts();

// The custom shortcuts with a target: a URL through the browser, else a
// program with its arguments.
void CreateCustomShortcuts();

#endif
