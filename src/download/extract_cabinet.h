// Cabinet extraction. A cabinet's own section of the initialization file
// says where it goes ("DestDir"), which sibling client it installs
// ("Version", with the cabinet's first letter) and which of its programs to
// run afterwards ("Run"). The folders chosen live for the process and are
// set afresh by every cabinet, so the sibling folders always describe the
// most recent one.
#ifndef WEVELINK_DOWNLOAD_EXTRACT_CABINET_H
#define WEVELINK_DOWNLOAD_EXTRACT_CABINET_H

#include <windows.h>

// Extracts cabinetName (a name part, read from the ActiveX cache folder)
// for kind: into DestDir (created) when the section names one; otherwise,
// with a Run entry, into a new folder "wevlnkXXXX" of the temporary folder,
// which is emptied and removed afterwards; otherwise into the kind's component folder (web
// mode) or the installation folder (desktop mode). With DestDir and a
// Version, an "O..." or "Z..." cabinet's client settings are written and
// its folder recorded. After a successful extraction the Run program is
// run (RunProgram) with the extraction folder as its working folder. A
// DestDir or Run that does not fit 259 characters, or a Run that leaves
// the extraction folder, is refused with a log line. Returns whether the
// platform's cabinet iteration succeeded.
bool ExtractCabinet(const char* cabinetName, int kind);

// A new folder "wevlnkXXXX" in the temporary folder, for one Run cabinet
// or one program's check (another window's deployment may be using the
// one before); leftovers of it are removed by a later load.
bool CreateRunFolder(char* folder, size_t capacity);

// Empties a temporary extraction folder and removes it; what is still in
// use stays.
void RemoveTemporaryFolder(const char* folder);

// The cabinet iteration's callback: places each file (see the .cpp) and
// registers the two COM libraries once they are extracted without error.
UINT CALLBACK OnCabinetNotify(PVOID context, UINT notification, UINT_PTR param1,
                              UINT_PTR param2);

// The folders of the sibling clients recorded by the last cabinet; empty
// when it was not theirs. SiblingFolder takes 'O' or 'Z'.
const char* OrvenaFolder();
const char* ZelvicFolder();
const char* SiblingFolder(char letter);

#endif
