// The component update of one session kind: fetch its distribution list,
// download every listed file that is missing or older than the version
// installed, install it and record its version.
#ifndef WEVELINK_DOWNLOAD_UPDATE_COMPONENT_H
#define WEVELINK_DOWNLOAD_UPDATE_COMPONENT_H

#include <windows.h>

#include <stddef.h>

// Runs on the user-interface thread and returns early, leaving
// CancelRequested set, when the user cancels (before the list is parsed,
// before each entry and right after each download). A list that cannot be
// fetched is skipped. Each due file is downloaded into a temporary file
// beside its target and replaces the target only when it arrived whole, so
// a failed or cancelled download leaves the installed file and its
// recorded version as they were. So does a download whose size or SHA-256
// digest differs from the list's integrity field (a log line and a box); an
// entry whose field is malformed is refused with a log line and not
// fetched. Failures to create or replace the local
// file are logged and shown ("Error %d caching to %s." in web mode, "Error
// %d writing to %s." in desktop mode); the next entry follows.
void UpdateComponent(const char* listName, int kind);

// Deletes the temporary download files ("wvl*.tmp") of the download folder
// that were last written more than an hour ago (left by a browser that died
// during a download), with a log line when there were any.
void RemoveLeftoverDownloads();

// A new temporary file "wvlXXXX.tmp" in folder (which ends in a
// separator), opened for reading and writing with no sharing; its path
// goes to path. INVALID_HANDLE_VALUE with the error set when none could be
// made.
HANDLE CreateTemporaryFile(const char* folder, char* path, size_t capacity);

// Moves the closed temporary file over target. Another window's deployment
// may be reading target for a moment: a sharing failure is tried again for
// up to two seconds, dispatching messages meanwhile. False with the error
// set (the temporary file is then deleted).
bool ReplaceWithTemporary(const char* temporary, const char* target);

#endif
