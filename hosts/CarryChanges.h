// Carrying the user's unsaved changes onto what another program made of the
// hosts file meanwhile.
//
// ours is the list the user works on: its rows as the file held them when
// last loaded or saved (the base), changed since (rows commented or
// uncommented, rows added). theirs is the file as it is now, freshly loaded.
// A line diff of the base against theirs finds the lines that theirs left
// alone; a change of ours made on such a line is made again on theirs' row.
// Where theirs changed or removed a line that ours changed too, theirs'
// version stays and the change counts as lost, unless theirs holds ours'
// new text there already (both made the same change). Added rows follow
// theirs' last row, in their order. Every line of theirs stays.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/EntryList.h"

// The number of ours' changes that could not be kept; -1 when there was not
// enough memory (theirs may then hold some of the changes).
int CarryChanges(const CEntryList& ours, CEntryList& theirs);
