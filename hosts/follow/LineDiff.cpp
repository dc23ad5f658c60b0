#include "hosts/follow/LineBytes.h"
#include "hosts/follow/LineDiff.h"
#include "hosts/follow/LineMatcher.h"

#include <algorithm>
#include <new>

namespace linetext
{
size_t CLineMatcher::Unmatched() const
{
    return m_bCounted ? m_nUnmatched : static_cast<size_t>(std::count(m_match.begin(), m_match.end(), kNoLine));
}

void CLineMatcher::Run()
{
    const size_t nA = m_a.Count(), nB = m_b.Count();
    m_match.assign(nA, kNoLine);
    // The common head and tail by their bytes, without hashing: after a
    // small change they are nearly everything.
    size_t nHead = 0;
    while (nHead < nA && nHead < nB && SameText(m_a.Line(nHead), m_b.Line(nHead)))
    {
        m_match[nHead] = static_cast<uint32_t>(nHead);
        ++nHead;
    }
    size_t nTail = 0;
    while (nTail < nA - nHead && nTail < nB - nHead &&
           SameText(m_a.Line(nA - 1 - nTail), m_b.Line(nB - 1 - nTail)))
    {
        m_match[nA - 1 - nTail] = static_cast<uint32_t>(nB - 1 - nTail);
        ++nTail;
    }
    m_nBase = nHead;
    m_nA = static_cast<uint32_t>(nA - nHead - nTail);
    m_nB = static_cast<uint32_t>(nB - nHead - nTail);
    if (m_nA == 0 || m_nB == 0)
        return;
    m_y.assign(m_nB, kNoText);
    // Most versions another program writes are the file with a few
    // lines added, removed or changed: a walk along both sides finds
    // them without hashing a line, and what it leaves is matched in the
    // stretches between. Where the walk goes astray (a file reordered,
    // or changed throughout) it is undone and everything is matched.
    const bool bWalked = Walk();
    if (!bWalked)
        std::fill(m_y.begin(), m_y.end(), kNoText);
    uint32_t nLeftA = 0;
    for (uint32_t i = 0; i < m_nA; ++i)
        nLeftA += IsMatchedA(i) ? 0 : 1;
    if (nLeftA == 0 || std::count(m_y.begin(), m_y.end(), kNoText) == 0)
        return;
    if (m_pWanted && CountOnly(bWalked, nLeftA))
        return;
    // The lists come once the table of texts, which Classify frees, is
    // gone: the two are never held together.
    Classify();
    m_heads.assign(m_x.size(), kEnd);
    m_next.assign(m_nA, kEnd);
    m_nBudget = kWorkPerLine * (uint64_t(m_nA) + m_nB);
    if (!bWalked)
    {
        Region(0, m_nA, 0, m_nB, 0, true);
    }
    else
    {
        // The stretches between the lines the walk matched.
        uint32_t i0 = 0, j0 = 0;
        for (uint32_t i = 0; i <= m_nA; ++i)
        {
            if (i < m_nA && !IsMatchedA(i))
                continue;
            uint32_t j = i < m_nA ? PartnerOf(i) : m_nB;
            if (i > i0 && j > j0)
                Region(i0, i, j0, j, 0);
            i0 = i + 1;
            j0 = j + 1;
        }
    }
    MatchWhatIsLeft();
}

// Walks both sides in step, matching equal lines; at a pair that
// differs, looks a few lines ahead on either side (or both) for the
// place where three lines in a row agree again, and steps on diagonally
// where there is none. False, with nothing matched, once it has stepped
// on without finding such a place more than a few hundred times and one
// line in 256: the versions are too far apart for a walk.
bool CLineMatcher::Walk()
{
    const uint32_t kAhead = 8, kRun = 3;
    uint64_t nLost = 0;
    const uint64_t nLimit = 256 + (uint64_t(m_nA) + m_nB) / 256;
    auto same = [&](uint32_t i, uint32_t j) { return SameText(LineA(i), LineB(j)); };
    auto run = [&](uint32_t i, uint32_t j) {
        for (uint32_t k = 0; k < kRun && i + k < m_nA && j + k < m_nB; ++k)
            if (!same(i + k, j + k))
                return false;
        return true;
    };
    uint32_t i = 0, j = 0;
    while (i < m_nA && j < m_nB)
    {
        if (nLost > nLimit)
        {
            for (uint32_t n = 0; n < m_nA; ++n)
                m_match[m_nBase + n] = kNoLine;
            return false;
        }
        if (same(i, j))
        {
            Pair(i++, j++);
            continue;
        }
        bool bFound = false;
        for (uint32_t k = 1; k <= kAhead && !bFound; ++k)
        {
            if (j + k < m_nB && run(i, j + k))
                j += k, bFound = true;
            else if (i + k < m_nA && run(i + k, j))
                i += k, bFound = true;
            else if (i + k < m_nA && j + k < m_nB && run(i + k, j + k))
                i += k, j += k, bFound = true;
        }
        if (!bFound)
            ++i, ++j, ++nLost;
    }
    return true;
}
}

bool SameLine(const CLineText& a, const CLineText& b)
{
    return linetext::SameText(a, b);
}

uint64_t HashLine(const CLineText& line)
{
    return linetext::HashText(line);
}

bool MatchLines(const CLineSequence& a, const CLineSequence& b, const CMatchRequest& request, CMatchResult& result)
{
    using namespace linetext;
    std::vector<uint32_t>& matchOfA = result.matchOfA;
    matchOfA.clear();
    result.nUnmatched = 0;
    if (a.Count() >= kNoText || b.Count() >= kNoText)
        return false;
    try
    {
        CLineMatcher matcher(a, b, matchOfA, request.pWanted);
        matcher.Run();
        result.nUnmatched = matcher.Unmatched();
        if (request.pWanted)
            PreferWanted(a, *request.pWanted, matchOfA);
        return true;
    }
    catch (const std::bad_alloc&)
    {
        std::vector<uint32_t>().swap(matchOfA);
        return false;
    }
}
