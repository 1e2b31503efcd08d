// The length check every page parameter passes before it is copied.
#ifndef WEVELINK_BASE_CHECK_PARAMETER_H
#define WEVELINK_BASE_CHECK_PARAMETER_H

#include <stddef.h>

// True when value is too long for a buffer of capacity bytes (terminator
// included). Then it has logged and shown "Buffer Overrun Check Failure:
// NAME ... operation aborted." and the caller ends the deployment.
bool CheckParameterLength(const char* value, size_t capacity, const char* name);

#endif
