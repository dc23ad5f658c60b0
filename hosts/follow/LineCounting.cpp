#include "hosts/follow/LineBytes.h"
#include "hosts/follow/LineMatcher.h"

#include <algorithm>
#include <vector>

namespace linetext
{
// Where only some lines' matches are wanted and the walk or the common
// head and tail matched each of them, or the walk gave up and each has a
// text that occurs once on each side or in no line of b, the rules would
// match those as they stand, and of the rest only how many lines of a are
// left without a match is needed: counting each text's copies tells, with
// one table of the texts instead of a record for each line, and no pairing.
// False, with nothing changed, where the rules must run: a wanted line's
// text twice on a side, or a line of b whose hash agrees in the table with a
// wanted line's but not its bytes. Texts no wanted line holds are told
// apart by their hash alone (its high half, in the run of slots of its low
// half): a clash there shifts only the count.
bool CLineMatcher::CountOnly(bool bWalked, uint32_t nLeftA)
{
    if (m_nA >= CLineTally::kValue)
        return false;
    std::vector<bool> isWanted(m_nA, false);  // the wanted lines without a match, in the middle
    bool bAnyWanted = false;
    for (uint32_t nRow : *m_pWanted)
        if (m_match[nRow] == kNoLine)
            isWanted[nRow - m_nBase] = bAnyWanted = true;
    if (bWalked && bAnyWanted)
        return false;
    // With the walk undone no line of b is matched, and what b's lines were
    // matched to is not needed while they are counted.
    if (!bWalked)
        std::vector<uint32_t>().swap(m_y);
    CLineTally tally;
    tally.Size(nLeftA);
    std::vector<CLineTally::CRepeated>& repeated = tally.Repeated();
    bool bRules = false;
    auto rules = [&] { return !(bRules = true); };

    // Each line of a puts its text in, or counts one more copy.
    auto lineA = [&](uint32_t n, CLineText& text) {
        if (IsMatchedA(n))
            return false;
        text = LineA(n);
        return true;
    };
    tally.Pass(m_nA, lineA, [&](uint32_t i, const CLineText&, bool bFree, uint32_t& nValue) {
        if (bFree)
        {
            nValue = i + 1;
            return true;
        }
        if (nValue & CLineTally::kRepeated)
        {
            if (isWanted[i])
                return rules();
            ++repeated[nValue & CLineTally::kValue].nLeft;
            return true;
        }
        const uint32_t nOther = (nValue & CLineTally::kValue) - 1;
        if (isWanted[i] || isWanted[nOther])
            return rules();
        nValue = CLineTally::kRepeated | static_cast<uint32_t>(repeated.size());
        repeated.push_back(CLineTally::CRepeated{2});
        return true;
    });

    // Each line of b takes a copy of its text where one is left; a wanted
    // line's only copy in b is its match.
    uint32_t nTaken = 0;
    auto lineB = [&](uint32_t n, CLineText& text) {
        if (bWalked && IsMatchedB(n))
            return false;
        text = LineB(n);
        return true;
    };
    if (!bRules)
        tally.Pass(m_nB, lineB, [&](uint32_t j, const CLineText& text, bool bFree, uint32_t& nValue) {
            if (bFree)
                return true;
            if (nValue & CLineTally::kRepeated)
            {
                CLineTally::CRepeated& entry = repeated[nValue & CLineTally::kValue];
                if (entry.nLeft > 0)
                    --entry.nLeft, ++nTaken;
                return true;
            }
            const uint32_t i = (nValue & CLineTally::kValue) - 1;
            if (isWanted[i] && !SameText(text, LineA(i)))
                return rules();
            if (nValue & CLineTally::kTaken)
                return isWanted[i] ? rules() : true;
            nValue |= CLineTally::kTaken;
            ++nTaken;
            if (isWanted[i])
                m_match[m_nBase + i] = static_cast<uint32_t>(m_nBase + j);
            return true;
        });
    if (bRules)
    {
        for (uint32_t i = 0; i < m_nA; ++i)
            if (isWanted[i])
                m_match[m_nBase + i] = kNoLine;
        if (!bWalked)
            m_y.assign(m_nB, kNoText);
        return false;
    }
    m_nUnmatched = nLeftA - nTaken;
    m_bCounted = true;
    return true;
}
}
