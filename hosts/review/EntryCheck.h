// Which active lines of a hosts file Windows ignores, in whole or in part,
// and why: the first word is no address (or has a port, or comes after the
// name), no name follows the address, a name Windows cannot match (a web
// address, a wildcard, a port, not a host name), more names than Windows
// reads on one line, and a name that an earlier entry of the same address
// family already maps, which wins. Commented rows are skipped, as Windows
// skips comments. Lines are read by hosts/lines/LineParts.h.
//
// Made for a million rows: a problem is 8 bytes (its row, its kind and
// which word or earlier row it names), its text is made only when asked
// for; a name mapped is remembered in an open-addressed table per family
// by its hash, its length, where its bytes and its row are and (IPv4) its
// address's value, so the check never copies a name nor reads an earlier
// row again.
//
// No windows.h: this builds natively too.
#pragma once

#include "framework/CString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CEntryList;

class CEntryCheck
{
public:
    // Each kind's text is in EntryCheck.cpp, in this order, which it checks
    // when it compiles; otherAddress stays the last kind, as the count of
    // texts is checked against it.
    enum Kind
    {
        addressWithPort,   // the first word is an IPv4 address with a port
        swapped,           // the second word is the address
        notAddress,        // the first word is no address
        noName,            // nothing follows the address
        webAddress,        // a name holds "://" or '/'
        wildcard,          // a name holds '*' or '?'
        nameWithPort,      // a name holds ':'
        invalidName,       // too long, an empty or long label, a byte no name has
        tooManyNames,      // more than 9 names
        sameAddress,       // an earlier entry maps the name to the same address
        otherAddress       // an earlier entry maps the name to another address
    };

    // Checks every active row of the list, in file order; false (with no
    // problems kept) when there is no memory for what the check remembers.
    bool Run(const CEntryList& list);

    // The first problem the check finds on one line taken alone (the rules
    // about one line, not those about a name mapped before), with the words
    // it quotes in the line's encoding; empty when there is none, the line
    // is commented, or there is no memory to check it.
    static CString CheckLine(const char* pch, size_t nLength, bool bUtf8);

    size_t GetCount() const { return m_problems.size(); }
    // The row a problem is on.
    int GetRow(size_t nProblem) const { return static_cast<int>(m_problems[nProblem].nRowKind >> 4); }
    Kind GetKind(size_t nProblem) const { return static_cast<Kind>(m_problems[nProblem].nRowKind & 15); }
    // Its text, with the words it quotes in the rows' encoding. The list must
    // hold the rows the check was run on.
    CString GetText(const CEntryList& list, size_t nProblem) const;
    // The word a problem is about: 0 for the address (or the first word),
    // n for name n; for too many names, the first name Windows ignores.
    uint32_t GetWord(size_t nProblem) const;
    // Active lines whose first word is an address, as of the last Run.
    int GetActiveEntryLines() const { return m_nActiveEntries; }
    // Whether a name is one Windows can match: none of the name problems.
    static bool IsMatchableName(const char* pch, size_t nLength);
    // Bytes held for the problems.
    size_t GetMemorySize() const { return m_problems.capacity() * sizeof(Problem); }

    // A quoted word longer than this many characters is cut to its first
    // kQuoteCut and "...".
    static const int kQuoteMax = 80;
    static const int kQuoteCut = 77;
    // Windows reads a line's first 9 names (the name and 8 aliases).
    static const int kNamesRead = 9;
    // Windows' DNS Client is reported to stall name resolution for minutes
    // on hosts files with this many active entry lines or more.
    static const int kStallingEntries = 50000;

private:
    struct Problem
    {
        uint32_t nRowKind;  // the row, shifted left 4 bits, and the kind
        uint32_t nInfo;     // the word it names; for the last two kinds, the earlier
                            // row shifted left 4 bits and the name's word
    };
    bool Add(int nRow, Kind kind, uint32_t nInfo);

    std::vector<Problem> m_problems;
    int m_nActiveEntries = 0;
};
