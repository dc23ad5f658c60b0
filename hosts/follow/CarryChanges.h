// Carrying the user's unsaved changes onto what another program made of the
// hosts file meanwhile.
//
// ours is the list the user works on: its rows as the file held them when
// last loaded or saved (the base), changed since (rows commented,
// uncommented, edited or removed, rows put in). theirs is the file as it is
// now, freshly loaded. The line matching (hosts/follow/LineDiff.h) finds, for
// each line of the base, the line of theirs it is. Say a change was made on
// a line whose text in the base is t, and its result is r (a text, or
// nothing when the row was removed):
// - where the line is still in theirs, the change is made again there
//   (carried): commented, uncommented, edited or removed;
// - where it is not, a removal was made there too (theirs removed or
//   changed the line as well, and keeps its own line); any other change was
//   made there too, and is no conflict, when theirs holds r more often than
//   the base did: each such extra copy answers one change;
// - otherwise it is lost, and counted.
// Changed lines are matched before the lines the user left alone of their
// text (hosts/follow/LineDiff.h), so at most as many changes on lines of
// text t go uncarried as the user changed more lines of text t than theirs
// holds. A row the base does not hold goes after the last row of theirs that
// the rows of ours before it with a line matched, so that such rows keep
// ours' order; those after ours' last row with a line follow theirs' last
// row. New texts go in theirs' encoding: where theirs is plain ASCII, in
// ours', so that they keep their bytes. Every other line of theirs stays.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/document/EntryList.h"
#include "hosts/follow/WipeRule.h"

#include <functional>
#include <string>
#include <vector>

// Converts an added row's text into theirs' encoding (bToUtf8: from the ANSI
// code page to UTF-8, else from UTF-8 to the ANSI code page); false when that
// encoding cannot spell it.
using CRecodeText = std::function<bool(const char* pch, size_t nLength, bool bToUtf8, std::string& out)>;

// What became of one change of ours.
struct CCarriedChange
{
    enum Outcome
    {
        carried,    // made again on theirs' row nTheirRow (as theirs came)
        madeThere,  // theirs holds its result already, or removed its line too
        lost,
        added       // a row the base does not hold, now theirs' row nTheirRow
    };
    int nLine;    // the line of the base it was made on; -1 for a row added
    int nOurRow;  // the row of ours it is; -1 for a line removed
    Outcome outcome;
    int nTheirRow;  // -1 unless carried or added
};

// The number of ours' changes that could not be kept, added rows that
// theirs' encoding cannot spell among them; -1 when there was not enough
// memory (theirs may then hold some of the changes). Without recode, added
// rows are copied as they are. pOutcomes, when given, gets one entry for
// each changed line of the base, in its order, then one for each row
// added, in the order they go into theirs; pNames, the count
// CountRemovedNames gives, without matching the lines a second time.
int CarryChanges(const CEntryList& ours, CEntryList& theirs, const CRecodeText& recode = nullptr,
                 std::vector<CCarriedChange>* pOutcomes = nullptr, CNameCount* pNames = nullptr);

// The host names that the file mapped when ours was last loaded or saved
// and theirs maps no more (hosts/follow/WipeRule.h); false without memory.
bool CountRemovedNames(const CEntryList& ours, const CEntryList& theirs, CNameCount& count);
