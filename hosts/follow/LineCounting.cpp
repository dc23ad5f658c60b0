#include "hosts/follow/LineBytes.h"
#include "hosts/follow/LineMatcher.h"

#include <algorithm>
#include <vector>

namespace linetext
{
// The lines at the top of each side looked at for a wanted line's second
// copy before the tables are made.
const uint32_t kLinesLookedAt = 65536;

// Where only some lines' matches are wanted and the walk or the common
// head and tail matched each of them, or the walk gave up and each has a
// text that occurs once on each side or in no line of b, the rules
// would match those as they stand, and of the rest only how many lines
// of a are left without a match is needed: counting each text's copies
// tells, with a table of counts instead of a record for each line, and
// no pairing. False, with nothing changed, where the rules must run.
bool CLineMatcher::CountOnly(bool bWalked, uint32_t nLeftA)
{
    std::vector<uint32_t> rows;  // the wanted lines without a match, in the middle
    for (uint32_t nRow : *m_pWanted)
        if (m_match[nRow] == kNoLine)
            rows.push_back(static_cast<uint32_t>(nRow - m_nBase));
    if (bWalked && !rows.empty())
        return false;
    // A wanted line whose text has a second line on either side needs
    // the rules, and so does a text with more lines than the table
    // counts: the passes end as soon as one shows, and two wanted lines of
    // one text show it before any pass. Texts repeat mostly near the top
    // of a file (headings, separators), so a look at the first lines of
    // each side first sends most versions that need the rules there before
    // anything is made.
    CTextTally wanted(rows.size(), [&](size_t k) { return LineA(rows[k]); });
    if (wanted.Repeated())
        return false;
    auto repeats = [&](bool bB) {
        const uint32_t nEnd = std::min(bB ? m_nB : m_nA, kLinesLookedAt);
        for (uint32_t n = 0; n < nEnd && !rows.empty(); ++n)
        {
            CLineText text = bB ? LineB(n) : LineA(n);
            if (wanted.Count(HashText(text), text, bB, n))
                return true;
        }
        return false;
    };
    if (repeats(false) || repeats(true))
        return false;
    wanted.Clear();
    // With the walk undone, every line of the middle is counted, and
    // only the ends are matched: the per-line arrays wait meanwhile.
    const size_t nA = m_match.size();
    auto restore = [&] {
        m_match.assign(nA, kNoLine);
        for (size_t n = 0; n < m_nBase; ++n)
            m_match[n] = static_cast<uint32_t>(n);
        for (size_t n = m_nBase + m_nA; n < nA; ++n)
            m_match[n] = static_cast<uint32_t>(n - m_nA + m_nB);
    };
    if (!bWalked)
    {
        std::vector<uint32_t>().swap(m_match);
        std::vector<uint32_t>().swap(m_y);
    }
    bool bMany = false;
    auto count = [&](bool bB) {
        return [&, bB](uint32_t n, uint64_t nHash, const CLineText& text) {
            bMany |= wanted.Count(nHash, text, bB, n);
            return !bMany;
        };
    };
    auto line = [&](bool bB) {
        return [&, bB](uint32_t n, CLineText& text) {
            if (bWalked && (bB ? IsMatchedB(n) : IsMatchedA(n)))
                return false;
            text = bB ? LineB(n) : LineA(n);
            return true;
        };
    };
    CLineCounts counts;
    counts.Size(nLeftA);
    counts.Pass(m_nA, true, line(false), count(false));
    bMany |= counts.Overflowed();
    const uint32_t nTaken = bMany ? 0 : counts.Pass(m_nB, false, line(true), count(true));
    counts.Free();
    if (!bWalked)
        restore();
    if (bMany)
    {
        if (!bWalked)
            m_y.assign(m_nB, kNoText);
        return false;
    }
    for (size_t k = 0; k < rows.size(); ++k)
        if (wanted.Counts(k).nB == 1)
            m_match[m_nBase + rows[k]] = static_cast<uint32_t>(m_nBase + wanted.Counts(k).nLastB);
    m_nUnmatched = nLeftA - nTaken;
    m_bCounted = true;
    return true;
}
}
