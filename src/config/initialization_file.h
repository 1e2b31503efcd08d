// The initialization file: general settings for the emulator programs, the
// configuration lock, a URL shortcut per session kind, nine custom
// shortcuts and one section per distribution file. It lies in the download
// folder under the last component of the name the page gave ("IniFile").
//
// Order the deployment driver follows, each step after the file named in
// it is in the download folder:
//   1. ReadInitializationFile(iniName) once the initialization file is
//      cached; it switches desktop mode on when the file names a desktop
//      initialization file (g_DeploymentSettings.DesktopIniName).
//   2. Desktop mode: cache that file, then ReadDesktopInitializationFile()
//      and CreateFolderTree(). Web mode: WriteSupportInfo() with the
//      initialization file's local path (ComposeLocalIniPath).
//   3. ReadCustomShortcuts(iniName), after step 2 so that the installation
//      folder is known, and before the component updates, which ask
//      GetDistFileSetupKind.
// The session launcher calls ReadInitializationFile again before it
// launches, unless the page asked for a local launch.
#ifndef WEVELINK_CONFIG_INITIALIZATION_FILE_H
#define WEVELINK_CONFIG_INITIALIZATION_FILE_H

// Reads every setting of the initialization file except the support and
// about texts, the custom shortcuts and the distribution-file sections;
// creates the personal working folder tree when that is asked for; writes
// the emulator settings. A kind's shortcut that an earlier reading wanted
// stays wanted when this reading finds no URL for it.
void ReadInitializationFile(const char* iniName);

// Reads the nine custom shortcuts and expands their folder macros: the base
// folder is the installation folder in desktop mode, the temporary folder
// plus "Kestrava\" in web mode. Targets are cleared first; a label only
// when its target is non-empty.
void ReadCustomShortcuts(const char* iniName);

// The name the last ReadInitializationFile was given; empty before.
const char* LastInitializationFileName();

// What the distribution file's own section asks for: 1 when "DestDir" is
// non-empty, else 2 when "Run" is non-empty, else 0.
int GetDistFileSetupKind(const char* iniName, const char* distFileName);

#endif
