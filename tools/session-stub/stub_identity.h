// Who the stand-in is, from its own file name: one program is installed
// under every session program's name, so the name gives the session kind
// ("KVMD" ... "KVVT") and the extension the mode (".PRO" web mode, ".EXE"
// desktop mode), both compared without regard to case. Platform-free.
#ifndef WEVELINK_TOOLS_SESSION_STUB_IDENTITY_H
#define WEVELINK_TOOLS_SESSION_STUB_IDENTITY_H

// path may hold folders (either slash). False when the name is not one of
// the twelve program names.
bool StubIdentityFromPath(const char* path, int* kind, bool* desktopMode);

#endif
