// When another program's change takes so many of the host names the hosts
// file mapped that the file as it was is kept in a backup before the list
// follows; and counting those names.
//
// The names counted are those the file's active entry lines mapped, or,
// where no entry line was active, those its commented entry lines mapped (as
// Windows' default file and a list switched off hold them). A name is
// removed when no entry line of the new version, active or commented, maps
// it, at any address. Names are compared with ASCII letters in either case,
// as Windows resolves them.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/follow/LineDiff.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct CNameCount
{
    // The names counted; where the change is no wipe, possibly only the
    // first of them, enough to tell (always at least twice the removed).
    size_t nNames = 0;
    size_t nRemoved = 0;
};

// Whether the change is a wipe: it removed at least half of the names
// counted, and at least one.
inline bool IsWipe(const CNameCount& count)
{
    return count.nRemoved >= 1 && count.nRemoved * 2 >= count.nNames;
}

// Counts the names of base that now no longer maps. matchOfA and nUnmatched
// are the line matching's (hosts/follow/LineDiff.h) of base with now: a name
// can only go with a line of base that has no match, so where every line has
// one nothing is read. Names are told apart by a 64-bit hash of their
// letters. False when there is not enough memory.
bool CountRemovedNames(const CLineSequence& base, const CLineSequence& now, const std::vector<uint32_t>& matchOfA,
                       size_t nUnmatched, CNameCount& count);
