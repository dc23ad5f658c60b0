#include "hosts/CarryChanges.h"

#include "hosts/LineDiff.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace
{
CLineText LineOf(const CEntryList::Text& text)
{
    return CLineText{text.pchMark, text.nMark, text.pch, text.nLength};
}

// Ours' rows as the file held them.
class CSavedLines : public CLineSequence
{
public:
    explicit CSavedLines(const CEntryList& list) : m_list(list) {}
    size_t Count() const override { return static_cast<size_t>(m_list.GetSavedCount()); }
    CLineText Line(size_t n) const override { return LineOf(m_list.GetSavedText(static_cast<int>(n))); }

private:
    const CEntryList& m_list;
};

// Theirs' rows, as loaded.
class CRowLines : public CLineSequence
{
public:
    explicit CRowLines(const CEntryList& list) : m_list(list) {}
    size_t Count() const override { return static_cast<size_t>(m_list.GetCount()); }
    CLineText Line(size_t n) const override { return LineOf(m_list.GetText(static_cast<int>(n))); }

private:
    const CEntryList& m_list;
};

// The lines theirs put where ours had a run of lines that it changed or
// removed: does one of them hold a given text already? Sorted by hash on
// the first question, for a stretch long enough to need it.
class CStretch
{
public:
    CStretch(const CEntryList& theirs, size_t nBegin, size_t nEnd) : m_theirs(theirs), m_nBegin(nBegin), m_nEnd(nEnd)
    {
    }

    bool Holds(const CLineText& text)
    {
        const size_t kLinear = 64;
        if (m_nEnd - m_nBegin <= kLinear)
        {
            for (size_t n = m_nBegin; n < m_nEnd; ++n)
                if (SameLine(text, Line(n)))
                    return true;
            return false;
        }
        if (m_hashes.empty())
        {
            m_hashes.reserve(m_nEnd - m_nBegin);
            for (size_t n = m_nBegin; n < m_nEnd; ++n)
                m_hashes.emplace_back(HashLine(Line(n)), n);
            std::sort(m_hashes.begin(), m_hashes.end());
        }
        uint64_t nHash = HashLine(text);
        for (auto it = std::lower_bound(m_hashes.begin(), m_hashes.end(), std::make_pair(nHash, size_t(0)));
             it != m_hashes.end() && it->first == nHash; ++it)
            if (SameLine(text, Line(it->second)))
                return true;
        return false;
    }

private:
    CLineText Line(size_t n) const { return LineOf(m_theirs.GetText(static_cast<int>(n))); }

    const CEntryList& m_theirs;
    size_t m_nBegin;
    size_t m_nEnd;
    std::vector<std::pair<uint64_t, size_t>> m_hashes;
};
}

int CarryChanges(const CEntryList& ours, CEntryList& theirs)
{
    try
    {
        std::vector<CLineMatch> matches;
        CSavedLines base(ours);
        CRowLines now(theirs);
        if (!DiffLines(base, now, matches))
            return -1;
        const int nTheirRows = theirs.GetCount();

        int nLost = 0;
        // The changed lines of ours in [a0, a1), where theirs has [b0, b1).
        auto lost = [&](size_t a0, size_t a1, size_t b0, size_t b1) {
            CStretch stretch(theirs, b0, b1);
            for (size_t a = a0; a < a1; ++a)
                if (ours.IsChanged(static_cast<int>(a)) && !stretch.Holds(LineOf(ours.GetText(static_cast<int>(a)))))
                    ++nLost;
        };
        size_t a = 0, b = 0;
        for (const CLineMatch& match : matches)
        {
            lost(a, match.nA, b, match.nB);
            for (size_t n = 0; n < match.nLength; ++n)
            {
                int nOurs = static_cast<int>(match.nA + n);
                if (ours.IsChanged(nOurs))
                    theirs.ApplyChange(static_cast<int>(match.nB + n), ours.GetChange(nOurs));
            }
            a = match.nA + match.nLength;
            b = match.nB + match.nLength;
        }
        lost(a, static_cast<size_t>(ours.GetSavedCount()), b, static_cast<size_t>(nTheirRows));

        for (int nRow = ours.GetSavedCount(); nRow < ours.GetCount(); ++nRow)
            if (!theirs.AppendCopy(ours, nRow))
                return -1;
        return nLost;
    }
    catch (const std::bad_alloc&)
    {
        return -1;
    }
}
