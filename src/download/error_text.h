// The platform's own words for an error code, for the boxes that show the
// code: an administrator reading "Error 12029" over the telephone learns
// nothing from the number alone.
#ifndef WEVELINK_DOWNLOAD_ERROR_TEXT_H
#define WEVELINK_DOWNLOAD_ERROR_TEXT_H

#include <windows.h>

#include <stddef.h>

// Appends "\r\n" and the platform's text for code to message (WinINet's
// for its codes 12000 to 12999, the system's for the others), without its
// line end; message is left as it is for code 0, when the platform has no
// text, or when it does not fit whole.
void AppendErrorText(char* message, size_t capacity, DWORD code);

#endif
