// When another program's change takes so many of the hosts file's lines that
// the lines as they were are kept in a backup before the list follows.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>

// Whether removing nRemoved of the nLines lines the file held is such a
// change: at least half of them, and at least ten.
inline bool IsWipe(size_t nRemoved, size_t nLines)
{
    return nRemoved >= 10 && nRemoved * 2 >= nLines;
}
