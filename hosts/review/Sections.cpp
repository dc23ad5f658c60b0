#include "hosts/review/Sections.h"

#include "hosts/lines/CommentRules.h"

#include <new>

bool CSections::Find(const CEntryList& list)
{
    m_sections.clear();
    m_entries.clear();
    const int nRows = list.GetCount();
    try
    {
        m_entries.assign(static_cast<size_t>(nRows), false);
        // The section being read; a heading without entries yet is none.
        Section current{-1, 0, 0, 0};
        auto close = [&] {
            if (current.nEntries > 0)
                m_sections.push_back(current);
            current = Section{-1, 0, 0, 0};
        };
        for (int nRow = 0; nRow < nRows; ++nRow)
        {
            if (list.FollowsBlankLine(nRow))
                close();
            const CRowKind kind = ReadRowKind(list, nRow);
            switch (kind)
            {
            case CRowKind::heading:
            case CRowKind::windowsNote:  // Windows' own samples follow: in no section
                close();
                if (kind == CRowKind::heading)
                    current.nHeading = nRow;
                break;
            case CRowKind::entry:
                if (current.nHeading >= 0)
                {
                    m_entries[static_cast<size_t>(nRow)] = true;
                    current.nEnd = nRow + 1;
                    ++current.nEntries;
                    if (list.IsCommented(nRow))
                        ++current.nCommented;
                }
                break;
            case CRowKind::other:
                break;
            }
        }
        close();
    }
    catch (const std::bad_alloc&)
    {
        m_sections.clear();
        m_entries.clear();
        return false;
    }
    return true;
}

CSections::Status CSections::GetStatus(int nSection) const
{
    const Section& section = GetSection(nSection);
    if (section.nCommented == 0)
        return active;
    return section.nCommented == section.nEntries ? commented : mixed;
}

const char* CSections::StatusText(Status status)
{
    switch (status)
    {
    case active:
        return StatusWordFor(false);
    case commented:
        return StatusWordFor(true);
    default:
        return "Mixed";
    }
}

bool CSections::Switch(CEntryList& list, int nSection, bool bOn, bool* pbChanged)
{
    *pbChanged = false;
    Section& section = m_sections[static_cast<size_t>(nSection)];
    if (section.nCommented == (bOn ? 0 : section.nEntries))
        return true;  // nothing to do: spares a walk over its rows
    for (int nRow = section.nHeading + 1; nRow < section.nEnd; ++nRow)
    {
        if (!m_entries[static_cast<size_t>(nRow)] || list.IsCommented(nRow) != bOn)
            continue;
        bool bChanged = false;
        if (!(bOn ? list.Uncomment(nRow, &bChanged) : list.Comment(nRow, &bChanged)))
            return false;
        *pbChanged = *pbChanged || bChanged;
        // Uncommented once, "## 10.0.0.1 a" is commented still.
        if (bChanged && list.IsCommented(nRow) != bOn)
            section.nCommented += bOn ? -1 : 1;
    }
    return true;
}
