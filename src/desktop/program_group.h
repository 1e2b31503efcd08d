// The program group of a desktop installation, made through the Program
// Manager's DDE interface (service and topic "PROGMAN"): the group named
// by the desktop initialization file, an item per installed program, the
// two items of an older release removed.
#ifndef WEVELINK_DESKTOP_PROGRAM_GROUP_H
#define WEVELINK_DESKTOP_PROGRAM_GROUP_H

// How long each command may take to be answered.
enum { kProgmanTimeoutMs = 10000 };

// Sends "[CreateGroup(%s)]" with the group name. 1 when the DDE library
// could be initialised (whether or not the command was answered), else 0
// after a beep.
int ProgmanGroup();

// Sends "[AddItem(%s,%s)]" for each present program of the item table and
// "[DeleteItem(%s)]" for the two older items, in the table's order. 1 or 0
// as ProgmanGroup.
int ProgmanItems();

#endif
