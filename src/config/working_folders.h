// The installation and working folder trees, and the folder in which an
// installed file belongs.
//
// The working folder gets seven subfolders, always created in this order:
// Config, Certs, Macros, Scripts, Transfer, Spool, Traces. In desktop mode
// the installation folder is created with its parents and gets a Certs
// subfolder too. Creation failures are ignored: a later file operation in a
// missing folder fails and reports in its own place.
#ifndef WEVELINK_CONFIG_WORKING_FOLDERS_H
#define WEVELINK_CONFIG_WORKING_FOLDERS_H

#include <stddef.h>

// The personal folder plus "\Kestrava" into folder. Returns false, folder
// untouched, when the personal folder cannot be found or the result would
// not fit (a cut path would name some other folder).
bool FindPersonalWorkingFolder(char* folder, size_t capacity);

// Creates workingFolder and its seven subfolders, one plain create call
// each (the working folder's parent must exist).
void CreateWorkingFolderTree(const char* workingFolder);

// Desktop mode, right after ReadDesktopInitializationFile: creates the
// installation folder with its parents and its Certs subfolder, the working
// folder tree, then writes the installation keys (WriteInstallationKeys).
void CreateFolderTree();

// Fills folder (capacity bytes) with the folder, ending in a backslash, in
// which the installed file fileName belongs: shortcuts on the desktop,
// type codes of configurations, macros and scripts in the working folder's
// subfolders, everything else in the installation folder. Returns false
// when the folder could not be found or was cut to fit.
bool GetInstallFolderFor(char* folder, size_t capacity, const char* fileName);

#endif
