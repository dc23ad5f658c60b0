// Compacting the entries for Windows' name resolution: Windows reads a name
// and 8 aliases on a line, and its DNS Client is slow on files of many
// lines, so lines of one address that follow each other can share lines.
//
// A run is two or more active entry lines in a row, with no blank line and
// no other row between them, of the same address (compared by value), each
// with 1 to 9 names and no comment. Compacting rewrites a run as lines of 9
// names (the last one the rest): the run's address as its first line spells
// it, one space, the names in their order separated by one space. A name
// already on an earlier line of the run goes, as Windows would never read
// it. Each line written takes the place of one of the run's lines, keeping
// that line's indentation and line end; the run's lines left over go. A run
// that would keep its count of lines is left alone. Every other row stays.
//
// Made for a million rows: finding reads each row once, plus once more for
// the rows of a run, whose names a table of 8 bytes a slot tells apart; the
// table goes when the run is read. Compacting writes each line once.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CEntryList;

class CCompaction
{
public:
    // Finds the runs of the list's rows that compacting shortens; false
    // without memory (then there are none).
    bool Find(const CEntryList& list);
    bool IsEmpty() const { return m_runs.empty(); }
    // The runs' lines now, and after compacting.
    int GetLinesBefore() const { return m_nBefore; }
    int GetLinesAfter() const { return m_nAfter; }

    // Compacts the runs found, on the rows as Find read them, in the list's
    // open step; false without memory (what was done stays in the step, to
    // be cancelled).
    bool Apply(CEntryList& list) const;

private:
    struct Run
    {
        int nFirst;
        int nEnd;     // one past its last line
        int nLines;   // after compacting
    };
    // Finds which names of the rows nFirst to nEnd are already on an earlier
    // line of them, and keeps the run when it gets fewer lines.
    void Consider(const CEntryList& list, int nFirst, int nEnd, size_t nNames);

    std::vector<Run> m_runs;
    std::vector<uint32_t> m_dropped;  // ascending: row << 4 | name, for each name that goes
    int m_nBefore = 0;
    int m_nAfter = 0;
};
