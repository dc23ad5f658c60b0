// Mends for what the entry check finds (hosts/review/EntryCheck.h), where a
// problem has one obvious mend. Each mend changes only the words it is
// about; the separators, the indentation and a trailing comment stay:
// - an IPv4 address with a port loses the port;
// - a name written before the address trades places with it;
// - a web address becomes its host part, a name with a port the part
//   before the ':';
// - a line of more than 9 names keeps its first 9 and its comment, and the
//   rest follow in new lines right after it, 9 names a line;
// - a name an earlier row already maps to the same address goes, with the
//   white space before it; a line left with no name goes.
// The other problems (no address, no name, a wildcard, an invalid name, a
// name mapped before to another address) have no mend.
//
// A mend never changes what Windows resolves: a row whose mends would make
// a name live that a later row maps to another address is left as it is,
// since that name resolves to the later row's address today.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CEntryCheck;
class CEntryList;

class CEntryFix
{
public:
    enum Result
    {
        nothingMended,  // no chosen problem has a mend that could be made
        mended,
        noMemory        // what was done stays in the open step, to be cancelled
    };

    // Whether a problem of the check, run on the list's rows as they are,
    // has a mend.
    static bool HasMend(const CEntryList& list, const CEntryCheck& check, size_t nProblem);

    // Mends the chosen problems (ascending indices of the check's problems,
    // run on the rows as they are) in the list's open step.
    static Result Mend(CEntryList& list, const CEntryCheck& check, const std::vector<uint32_t>& chosen);
};
