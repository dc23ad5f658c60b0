#include "hosts/follow/LineMatcher.h"

#include <vector>

namespace linetext
{
// Gives every unmatched line its text's representative (kNoText for a
// line of b whose text is in no unmatched line of a), and counts each
// text's unmatched lines on both sides.
void CLineMatcher::Classify()
{
    m_index.Size(m_nA);
    ClassifySide(true, [&](uint32_t n, uint32_t r, uint32_t nLow) {
        m_x[n].nLow = nLow;
        m_x[n].nText = r == kNoText ? kRepresentative : r;
        CountInA(r == kNoText ? n : r);
    });
    // Each line of b: its text's representative; the text's last line
    // of b is kept with it for the pairing of texts once on each side.
    ClassifySide(false, [&](uint32_t n, uint32_t r, uint32_t) {
        m_y[n] = r;
        if (r != kNoText)
        {
            CountInB(r);
            m_x[r].nLastB = n;
        }
    });
    m_index.Free();
}

// The unmatched lines of a (put into the index) or of b (looked up in
// it).
template <typename Done>
void CLineMatcher::ClassifySide(bool bA, Done done)
{
    auto line = [&](uint32_t n, CLineText& text) {
        if (bA ? IsMatchedA(n) : IsMatchedB(n))
            return false;
        text = bA ? LineA(n) : LineB(n);
        return true;
    };
    m_index.Pass(bA ? m_nA : m_nB, bA, line, done);
}

// Matches the unmatched lines of a[a0, a1) with those of b[b0, b1):
// the rarest texts that occur equally often on both sides here are
// paired in order, the longest chain of those pairs that is in order on both
// sides is kept, and each stretch between two links is matched the same
// way. At the top, a text that occurs once on each side is matched even
// off the chain: it is the same line moved. bWhole: the stretch is
// every line of the middle, whose texts Classify has counted already,
// and whose head and tail Run has matched.
void CLineMatcher::Region(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, int nDepth, bool bWhole)
{
    const bool bTop = nDepth == 0;
    m_nWork += uint64_t(a1 - a0) + (b1 - b0);
    if (!bWhole)
        CountStretch(a0, a1, b0, b1);
    // The texts paired here: those that occur equally often on both
    // sides, and of them the rarest, as a line that occurs once on each
    // side says more about where it stands than one of many.
    uint32_t nRarest = kCountMax;
    for (uint32_t i = a0; i < a1; ++i)
    {
        uint32_t r = IsMatchedA(i) ? kEnd : TextOfA(i);
        if (r != kEnd && CountA(r) == CountB(r) && CountA(r) < nRarest)
            nRarest = CountA(r);
        if (nRarest == 1)
            break;  // none is rarer
    }
    if (nRarest == kCountMax)
    {
        PairInOrder(a0, a1, b0, b1);
        return;
    }
    // The chain: the longest run of pairs rising on both sides (see
    // Extend). The texts once on each side of the whole middle are
    // paired in a's order, each with the line of b that Classify found
    // for it; the others in b's order.
    std::vector<uint32_t> keys, tops;
    const bool bOnce = bWhole && nRarest == 1;
    if (bOnce)
        PairTextsOnce(keys, tops);
    else
        PairTexts(a0, a1, b0, b1, nRarest, keys, tops);
    if (tops.empty())
        return;
    for (uint32_t i = tops.back(); i != kEnd;)
    {
        uint32_t nBefore = m_next[i];
        m_next[i] = kLink;
        m_y[PartnerOf(i)] |= kMatched;
        i = nBefore;
    }
    std::vector<uint32_t>().swap(tops);
    std::vector<uint32_t>().swap(keys);
    // The other pairs are undone, but for a text once on each side at
    // the top.
    for (uint32_t i = a0; i < a1 && !bOnce; ++i)
    {
        if (!IsMatchedA(i) || IsMatchedB(PartnerOf(i)))
            continue;
        uint32_t r = TextOfA(i);
        if (bTop && CountA(r) == 1 && CountB(r) == 1)
            m_y[PartnerOf(i)] |= kMatched;
        else
            m_match[m_nBase + i] = kNoLine;
    }

    // The stretches between the links, each matched the same way while
    // there is depth and work left; what is left then is matched last.
    if (nDepth + 1 >= kMaxDepth)
        return;
    uint32_t i0 = a0, j0 = b0;
    for (uint32_t i = a0; i <= a1; ++i)
    {
        bool bLink = i < a1 && IsMatchedA(i) && m_next[i] == kLink;
        if (i < a1 && !bLink)
            continue;
        uint32_t j = i < a1 ? PartnerOf(i) : b1;
        if (i > i0 && j > j0 && m_nWork < m_nBudget && HasUnmatched(i0, i, j0, j))
            Region(i0, i, j0, j, nDepth + 1);
        if (i < a1)
        {
            m_next[i] = kEnd;
            i0 = i + 1;
            j0 = j + 1;
        }
    }
}

// Pairs the texts that occur nRarest times on each side of a stretch,
// in order: each text's lines of a in a list, taken by its lines of b.
// A pair's line of b is kept in m_match until the chain is known.
void CLineMatcher::PairTexts(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, uint32_t nRarest,
                             std::vector<uint32_t>& keys, std::vector<uint32_t>& tops)
{
    auto paired = [&](uint32_t r) { return CountA(r) == nRarest && CountB(r) == nRarest; };
    for (uint32_t i = a1; i-- > a0;)
    {
        if (IsMatchedA(i))
            continue;
        uint32_t r = TextOfA(i);
        if (!paired(r))
            continue;
        m_next[i] = m_heads[r];
        m_heads[r] = i;
    }
    for (uint32_t j = b0; j < b1; ++j)
    {
        if (IsMatchedB(j) || TextOfB(j) == kNoText || !paired(TextOfB(j)))
            continue;
        uint32_t r = TextOfB(j);
        uint32_t i = m_heads[r];
        m_heads[r] = m_next[i];
        m_match[m_nBase + i] = static_cast<uint32_t>(m_nBase + j);
        Extend(keys, tops, i, i);
    }
}

// The texts once on each side of the whole middle, each line of a with
// the line of b that Classify found for its text; every pair
// stays, so the lines of b are marked at once, and the chain (in
// keys, by the lines of b) only splits the rest.
void CLineMatcher::PairTextsOnce(std::vector<uint32_t>& keys, std::vector<uint32_t>& tops)
{
    for (uint32_t i = 0; i < m_nA; ++i)
    {
        const uint32_t r = TextOfA(i);
        if (CountA(r) != 1 || CountB(r) != 1)
            continue;
        uint32_t j = m_x[r].nLastB;
        m_match[m_nBase + i] = static_cast<uint32_t>(m_nBase + j);
        m_y[j] = r | kMatched;
        Extend(keys, tops, j, i);
    }
}

// Patience sorting, a pair at a time: keys[k] is the smallest key (the
// pair's line of a or of b, whichever side the pairs do not come in the
// order of) that ends a chain of k + 1 rising pairs so far, and tops[k]
// that pair's line of a; m_next keeps each pair's link to the one
// before it.
void CLineMatcher::Extend(std::vector<uint32_t>& keys, std::vector<uint32_t>& tops, uint32_t nKey, uint32_t i)
{
    // The first key not below nKey, found without branches, which the
    // keys of a reordered file would mispredict at every step.
    size_t k = 0;
    if (!keys.empty())
    {
        const uint32_t* pBase = keys.data();
        for (size_t n = keys.size(); n > 1; n -= n / 2)
            pBase = pBase[n / 2] < nKey ? pBase + n / 2 : pBase;
        k = static_cast<size_t>(pBase - keys.data()) + (*pBase < nKey ? 1 : 0);
    }
    m_next[i] = k == 0 ? kEnd : tops[k - 1];
    if (k == keys.size())
    {
        keys.push_back(nKey);
        tops.push_back(i);
    }
    else
    {
        keys[k] = nKey;
        tops[k] = i;
    }
}

// A stretch's own head and tail, where a line of the same text comes
// first (last) on both sides, are the same lines; then each text's
// unmatched lines in the rest are counted, on each side.
void CLineMatcher::CountStretch(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1)
{
    for (uint32_t i = a0, j = b0;;)
    {
        while (i < a1 && IsMatchedA(i))
            ++i;
        while (j < b1 && IsMatchedB(j))
            ++j;
        if (i == a1 || j == b1 || TextOfA(i) != TextOfB(j))
            break;
        Pair(i++, j++);
    }
    for (uint32_t i = a1, j = b1;;)
    {
        while (i > a0 && IsMatchedA(i - 1))
            --i;
        while (j > b0 && IsMatchedB(j - 1))
            --j;
        if (i == a0 || j == b0 || TextOfA(i - 1) != TextOfB(j - 1))
            break;
        Pair(--i, --j);
    }

    // Count each text's unmatched lines here, on each side.
    for (uint32_t i = a0; i < a1; ++i)
    {
        if (IsMatchedA(i))
            continue;
        ClearCounts(TextOfA(i));
        m_heads[TextOfA(i)] = kEnd;
    }
    for (uint32_t j = b0; j < b1; ++j)
        if (!IsMatchedB(j) && TextOfB(j) != kNoText)
            ClearCounts(TextOfB(j));
    for (uint32_t i = a0; i < a1; ++i)
        if (!IsMatchedA(i))
            CountInA(TextOfA(i));
    for (uint32_t j = b0; j < b1; ++j)
        if (!IsMatchedB(j) && TextOfB(j) != kNoText)
            CountInB(TextOfB(j));
}

// Each text's unmatched lines of a[a0, a1), in order, with its unmatched
// lines of b[b0, b1), in order, as many as the side with fewer holds.
void CLineMatcher::PairInOrder(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1)
{
    for (uint32_t i = a1; i-- > a0;)
    {
        if (IsMatchedA(i))
            continue;
        uint32_t r = TextOfA(i);
        m_next[i] = m_heads[r];
        m_heads[r] = i;
    }
    for (uint32_t j = b0; j < b1; ++j)
    {
        uint32_t r = IsMatchedB(j) ? kNoText : TextOfB(j);
        if (r == kNoText || CountA(r) == 0 || m_heads[r] == kEnd)
            continue;
        uint32_t i = m_heads[r];
        m_heads[r] = m_next[i];
        Pair(i, j);
    }
}

bool CLineMatcher::HasUnmatched(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1) const
{
    bool bA = false, bB = false;
    for (uint32_t i = a0; i < a1 && !bA; ++i)
        bA = !IsMatchedA(i);
    for (uint32_t j = b0; j < b1 && !bB; ++j)
        bB = !IsMatchedB(j) && TextOfB(j) != kNoText;
    return bA && bB;
}

// Every text's unmatched lines of a, in order, with its unmatched lines
// of b, in order.
void CLineMatcher::MatchWhatIsLeft()
{
    for (uint32_t i = 0; i < m_nA; ++i)
        if (!IsMatchedA(i))
            m_heads[TextOfA(i)] = kEnd;
    for (uint32_t i = m_nA; i-- > 0;)
    {
        if (IsMatchedA(i))
            continue;
        uint32_t r = TextOfA(i);
        m_next[i] = m_heads[r];
        m_heads[r] = i;
    }
    for (uint32_t j = 0; j < m_nB; ++j)
    {
        if (IsMatchedB(j) || TextOfB(j) == kNoText)
            continue;
        uint32_t r = TextOfB(j);
        uint32_t i = m_heads[r];
        if (i == kEnd)
            continue;
        m_heads[r] = m_next[i];
        Pair(i, j);
    }
}
}
