// The folder macros of shortcut targets: "%qy%" (the older form) and
// "%kv%" stand for a local folder. A single backslash right after a token
// belongs to the token. Kind URLs and custom targets expand differently:
//
//   kind URL       the first token only ("%qy%" before any "%kv%"); the
//                  text before it is dropped and the result is the
//                  temporary folder, "\", "Kestrava\", then the text after
//                  the token.
//   custom target  every token of the value, each replaced by the base
//                  folder, "\", "Kestrava\" in web mode only, keeping the
//                  text around it.
//
// Only tokens of the configured value are expanded, never text that an
// expansion inserted: a base folder whose own path holds a token would
// otherwise be found again and again.
#ifndef WEVELINK_CONFIG_PORTABLE_FOLDER_MACROS_H
#define WEVELINK_CONFIG_PORTABLE_FOLDER_MACROS_H

#include <stddef.h>

// Expands a kind's "ShortCutURL" value into url (capacity bytes). Without a
// token the value is copied unchanged. Returns false when the result was
// cut to fit.
bool ExpandKindUrl(const char* value, const char* tempFolder, char* url, size_t capacity);

// Expands every token of a custom shortcut's target into target (capacity
// bytes); value and target must not overlap. baseFolder is the
// installation folder in desktop mode, the temporary folder in web mode,
// where addKestrava is true. Returns false when the result was cut.
bool ExpandCustomTarget(const char* value, const char* baseFolder, bool addKestrava,
                        char* target, size_t capacity);

#endif
