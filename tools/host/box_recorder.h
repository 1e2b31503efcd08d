// Records every message box shown in this process and answers it.
//
// The recorder puts its own functions in the import address tables of the
// loaded modules in place of user32's MessageBoxA/W, MessageBoxExA/W and
// MessageBoxIndirectA/W (and of GetProcAddress, so that boxes reached
// through it are caught too). Each call appends one line to the record
// file, UTF-8, ended by "\n":
//     CAPTION<TAB>TEXT<TAB>0xSTYLE<TAB>ui|worker
// with CR, LF and TAB inside caption and text written as "\r", "\n", "\t",
// the style as the uType in upper-case hexadecimal, and "ui" when the
// thread named at start showed the box, "worker" for any other thread. A
// null caption is recorded as "Error", the caption the system shows then.
// The real box is then shown, modal loop and all; a thread-local CBT hook
// catches its window and a timer on that window presses the box's default
// button (WM_COMMAND with the default push button's id) after the delay. Windows of other
// processes are never touched.
//
// Modules loaded later are not covered until PatchLoadedModules runs again:
// call it after every LoadLibrary or CoCreateInstance.
#ifndef WEVELINK_TOOLS_HOST_BOX_RECORDER_H
#define WEVELINK_TOOLS_HOST_BOX_RECORDER_H

#include <windows.h>

// Starts recording into recordPath (appended to, created when missing),
// answering each box after delayMs; uiThreadId is the thread recorded as
// "ui". Patches the modules loaded now. Returns false (nothing changed)
// when already started or the path does not fit.
bool StartBoxRecorder(const wchar_t* recordPath, DWORD delayMs, DWORD uiThreadId);

// Patches the modules loaded since the last call. Returns the number of
// import slots newly patched, or -1 when a slot could not be patched or
// remembered (the record may then miss boxes).
int PatchLoadedModules();

// Puts the original functions back in every slot of a module that is still
// loaded and stops recording.
void StopBoxRecorder();

#endif
