// Where the container gets its controls from: the registration
// (CoCreateInstance, in-process servers only) or, with --module, one module
// file loaded once with LoadLibrary and asked through DllGetClassObject.
// Either way the module stays loaded from page to page, as in a browser:
// nothing here ever calls CoFreeUnusedLibraries. After each load or
// creation the message-box recorder patches the modules that came in.
#ifndef WEVELINK_TOOLS_HOST_CONTROL_FACTORY_H
#define WEVELINK_TOOLS_HOST_CONTROL_FACTORY_H

#include <windows.h>
#include <ole2.h>

// Loads the module file for every later CreateControl. Traced as
// "module PATH hr=0x...". Returns the failure, S_OK when loaded.
HRESULT LoadControlModule(const wchar_t* path);

// Creates one control of class clsid; *control receives its IUnknown
// (released by the caller). Traced as "create hr=0x...".
HRESULT CreateControl(REFCLSID clsid, IUnknown** control);

// Frees the module loaded by LoadControlModule, after every control is
// gone and OLE is shut down.
void UnloadControlModule();

#endif
