// Folder creation shared by the module start, the event log and the
// desktop installation.
#ifndef WEVELINK_BASE_FOLDER_PATH_H
#define WEVELINK_BASE_FOLDER_PATH_H

// Creates the folder and every missing parent: one create call for the text
// before each backslash from the left, then one for the whole path.
// Failures (the drive itself, a folder that exists) are ignored.
void CreateFolderPath(const char* path);

#endif
