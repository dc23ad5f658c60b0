// The file's own groups of entries: a section is a heading (a comment that
// names something, in any script) and the entries after it, up to the next
// heading, a blank or all-white line in the file, or the end of the rows.
// Other rows between them (punctuation comments, active lines that are no
// entries) do not end it. A heading with no entry after it is no section;
// entries before the first heading, or after a blank line that no heading
// follows, are in none.
//
// The notes above the sample lines of Windows' own hosts file ("For
// example:", "localhost name resolution is handled within DNS itself.") end
// a section and start none: the samples, and entries a user appends after
// them, are in no section until the user writes a heading. What a heading, a
// note and an entry are, the line reader says (hosts/lines/LineParts.h).
//
// Switching a section on or off uncomments or comments its entries with the
// entry list's own comment rules; its heading and other rows stay as they
// are. Nothing is stored anywhere but in the rows themselves.
//
// Made for a million rows: finding the sections reads each row once; each
// section keeps its counts, so that its status costs nothing, and switching
// touches only its own rows. The list must not change in between but
// through Switch.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"

#include <cstddef>
#include <vector>

class CSections
{
public:
    struct Section
    {
        int nHeading;    // the heading's row
        int nEnd;        // one past the section's last entry
        int nEntries;
        int nCommented;  // of those, the ones commented out
    };
    enum Status
    {
        active,     // every entry is active
        commented,  // every entry is commented out
        mixed
    };

    // Finds the sections of the list's rows, in file order; false without
    // memory (then there are none).
    bool Find(const CEntryList& list);

    int GetCount() const { return static_cast<int>(m_sections.size()); }
    const Section& GetSection(int nSection) const { return m_sections[static_cast<size_t>(nSection)]; }
    Status GetStatus(int nSection) const;
    // "Active", "Commented" or "Mixed".
    static const char* StatusText(Status status);
    // Whether a row is one of a section's entries.
    bool IsEntry(int nRow) const
    {
        return nRow >= 0 && static_cast<size_t>(nRow) < m_entries.size() && m_entries[static_cast<size_t>(nRow)];
    }

    // The heading's text without its comment mark (the leading "#"s) and
    // the white space around it: nLength bytes at pch, valid until the list
    // next changes.
    using Heading = CLineWord;
    static Heading HeadingText(const CEntryList& list, int nRow) { return CommentText(list, nRow); }

    // Comments (bOn false) or uncomments (bOn true) every entry of the
    // section that needs it. *pbChanged tells whether a row changed. False
    // when there was no memory for a row: the rows switched before it stay
    // switched, and the counts say so.
    bool Switch(CEntryList& list, int nSection, bool bOn, bool* pbChanged);

private:
    std::vector<Section> m_sections;
    std::vector<bool> m_entries;  // per row: an entry of a section
};
