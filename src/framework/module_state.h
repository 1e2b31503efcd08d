// Module-wide state of an in-process COM server built on this framework:
// the module's instance handle, its path, and the counts of live objects
// and container locks behind DllCanUnloadNow. One set per loaded module;
// every control and property page object in the process shares it.
#ifndef WEVELINK_FRAMEWORK_MODULE_STATE_H
#define WEVELINK_FRAMEWORK_MODULE_STATE_H

#include <windows.h>

#include <stddef.h>

// Recorded by DllMain at process attach; everything that loads the module's
// own resources or names its file reads it from here.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE GetModuleInstance();

// The module's full path into path (capacity bytes, terminator included).
// False, with an empty text, when the path does not fit or is unknown.
bool GetModulePath(char* path, size_t capacity);

// Every COM object of the module counts itself from construction to
// destruction; IClassFactory::LockServer adds container locks.
void AddModuleObject();
void ReleaseModuleObject();
void LockModule(bool lock);

// S_OK when no object lives and no lock is held, S_FALSE otherwise.
HRESULT CanUnloadModule();

// The framework's part of module start and exit: start registers the
// window class of windowed controls, exit unregisters it. Start may run
// again after exit; both are cheap when there is nothing to do.
bool StartFramework();
void EndFramework();

#endif
