// Which lines two versions of a file have in common: a line diff. It knows
// nothing of rows, comments or windows: two sequences of lines in, the runs
// of equal lines they share out, in order.
//
// Lines are compared by a hash first and by their bytes only when the hashes
// agree. The common head and tail go first; what is left in between is
// matched exactly (longest common subsequence) while it is small, and
// otherwise split at the lines that occur once on each side (as the
// "patience" diff does) and matched piece by piece. So a change of a few
// lines in a million costs little more than comparing the two files once,
// and no input costs more than a few sorts of its lines.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A line's bytes in two pieces (a head, which may be empty, then the rest),
// as the entry list hands out a row's text.
struct CLineText
{
    const char* pchHead;
    size_t nHead;
    const char* pch;
    size_t nLength;

    size_t Length() const { return nHead + nLength; }
};

// A sequence of lines the diff reads by index.
class CLineSequence
{
public:
    virtual ~CLineSequence() = default;
    virtual size_t Count() const = 0;
    virtual CLineText Line(size_t n) const = 0;
};

// Lines a[nA] .. a[nA + nLength - 1] equal b[nB] .. b[nB + nLength - 1].
struct CLineMatch
{
    size_t nA;
    size_t nB;
    size_t nLength;
};

// The runs of equal lines, in increasing order on both sides, never
// touching (two runs that would touch are one). False when there is not
// enough memory; matches is then empty.
bool DiffLines(const CLineSequence& a, const CLineSequence& b, std::vector<CLineMatch>& matches);

// Whether two lines hold the same bytes, however they are split.
bool SameLine(const CLineText& a, const CLineText& b);
// A 64-bit hash of a line's bytes, the same however they are split.
uint64_t HashLine(const CLineText& line);
