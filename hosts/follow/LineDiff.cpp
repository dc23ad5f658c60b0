#include "hosts/follow/LineDiff.h"
#include "hosts/follow/LineTextIndex.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace
{
using namespace linetext;

// Ends of the lists of a text's lines, and chain links (see Region).
const uint32_t kEnd = 0xFFFFFFFFu;
const uint32_t kLink = 0xFFFFFFFEu;

const int kMaxDepth = 48;
const uint32_t kLinesLookedAt = 65536;
const uint64_t kWorkPerLine = 24;

// Whether n bytes are the same, eight at a time, the last eight (or four)
// overlapping the ones before: lines are short, and the C library's memcmp
// costs more to call than to run on them.
inline bool SameBytes(const char* p, const char* q, size_t n)
{
    if (n >= 8)
    {
        uint64_t x, y;
        for (; n > 8; p += 8, q += 8, n -= 8)
        {
            std::memcpy(&x, p, 8);
            std::memcpy(&y, q, 8);
            if (x != y)
                return false;
        }
        std::memcpy(&x, p + n - 8, 8);
        std::memcpy(&y, q + n - 8, 8);
        return x == y;
    }
    if (n >= 4)
    {
        uint32_t x, y, u, v;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, q, 4);
        std::memcpy(&u, p + n - 4, 4);
        std::memcpy(&v, q + n - 4, 4);
        return x == y && u == v;
    }
    for (; n > 0; ++p, ++q, --n)
        if (*p != *q)
            return false;
    return true;
}

// A 64-bit hash of a run of bytes, eight at a time.
uint64_t HashBytes(const char* p, size_t n)
{
    const uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const bool bLong = n >= 8;
    uint64_t nHash = 0x243F6A8885A308D3ULL ^ n;
    for (; n >= 8; p += 8, n -= 8)
    {
        uint64_t nWord;
        std::memcpy(&nWord, p, 8);
        nHash = (nHash ^ nWord) * kMultiplier;
        nHash ^= nHash >> 29;
    }
    // The last few bytes: in a line of eight or more, the eight that end it,
    // shifted down to them; else one at a time.
    uint64_t nLast = 0;
    if (n > 0 && bLong)
    {
        std::memcpy(&nLast, p + n - 8, 8);
        nLast >>= 8 * (8 - n);
    }
    else
    {
        for (size_t k = 0; k < n; ++k)
            nLast |= uint64_t(static_cast<unsigned char>(p[k])) << (8 * k);
    }
    nHash = (nHash ^ nLast) * kMultiplier;
    nHash ^= nHash >> 29;
    nHash *= kMultiplier;
    return nHash ^ (nHash >> 32);
}

// The byte at n of a line in two pieces.
char At(const CLineText& line, size_t n)
{
    return n < line.nHead ? line.pchHead[n] : line.pch[n - line.nHead];
}

class CMatcher
{
public:
    // pRows: the lines of a whose matches are wanted, when not all are.
    CMatcher(const CLineSequence& a, const CLineSequence& b, std::vector<uint32_t>& match, CTextTally* pTally,
             const std::vector<uint32_t>* pRows)
        : m_a(a), m_b(b), m_match(match), m_pTally(pTally), m_pRows(pRows)
    {
    }

    // How many lines of a are left without a match.
    size_t Unmatched() const
    {
        return m_bCounted ? m_nUnmatched : static_cast<size_t>(std::count(m_match.begin(), m_match.end(), kNoLine));
    }

    void Run()
    {
        const size_t nA = m_a.Count(), nB = m_b.Count();
        m_match.assign(nA, kNoLine);
        // The common head and tail by their bytes, without hashing: after a
        // small change they are nearly everything.
        size_t nHead = 0;
        while (nHead < nA && nHead < nB && SameLine(m_a.Line(nHead), m_b.Line(nHead)))
        {
            m_match[nHead] = static_cast<uint32_t>(nHead);
            ++nHead;
        }
        size_t nTail = 0;
        while (nTail < nA - nHead && nTail < nB - nHead &&
               SameLine(m_a.Line(nA - 1 - nTail), m_b.Line(nB - 1 - nTail)))
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
        if (m_pRows && CountOnly(bWalked, nLeftA))
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

private:
    CLineText LineA(uint32_t i) const { return m_a.Line(m_nBase + i); }
    CLineText LineB(uint32_t j) const { return m_b.Line(m_nBase + j); }

    uint32_t TextOfA(uint32_t i) const { return (m_x[i].nText & kRepresentative) ? i : m_x[i].nText; }
    uint32_t TextOfB(uint32_t j) const { return m_y[j] & ~kMatched; }
    uint32_t CountA(uint32_t r) const { return m_x[r].nText & kCountMax; }
    uint32_t CountB(uint32_t r) const { return (m_x[r].nText >> 15) & kCountMax; }
    void ClearCounts(uint32_t r) { m_x[r].nText = kRepresentative; }
    void CountInA(uint32_t r)
    {
        if (CountA(r) < kCountMax)
            ++m_x[r].nText;
    }
    void CountInB(uint32_t r)
    {
        if (CountB(r) < kCountMax)
            m_x[r].nText += 1u << 15;
    }

    bool IsMatchedA(uint32_t i) const { return m_match[m_nBase + i] != kNoLine; }
    bool IsMatchedB(uint32_t j) const { return (m_y[j] & kMatched) != 0; }
    uint32_t PartnerOf(uint32_t i) const { return m_match[m_nBase + i] - static_cast<uint32_t>(m_nBase); }
    void Pair(uint32_t i, uint32_t j)
    {
        m_match[m_nBase + i] = static_cast<uint32_t>(m_nBase + j);
        m_y[j] |= kMatched;
    }

    // Walks both sides in step, matching equal lines; at a pair that
    // differs, looks a few lines ahead on either side (or both) for the
    // place where three lines in a row agree again, and steps on diagonally
    // where there is none. False, with nothing matched, once it has stepped
    // on without finding such a place more than a few hundred times and one
    // line in 256: the versions are too far apart for a walk.
    bool Walk()
    {
        const uint32_t kAhead = 8, kRun = 3;
        uint64_t nLost = 0;
        const uint64_t nLimit = 256 + (uint64_t(m_nA) + m_nB) / 256;
        auto same = [&](uint32_t i, uint32_t j) { return SameLine(LineA(i), LineB(j)); };
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

    // Where only some lines' matches are wanted and the walk or the common
    // head and tail matched each of them, or the walk gave up and each has a
    // text that occurs once on each side or in no line of b, the rules
    // would match those as they stand, and of the rest only how many lines
    // of a are left without a match is needed: counting each text's copies
    // tells, with a table of counts instead of a record for each line, and
    // no pairing. False, with nothing changed, where the rules must run.
    bool CountOnly(bool bWalked, uint32_t nLeftA)
    {
        std::vector<uint32_t> rows;  // the wanted lines without a match, in the middle
        std::vector<CLineText> texts;
        for (uint32_t nRow : *m_pRows)
            if (m_match[nRow] == kNoLine)
            {
                rows.push_back(static_cast<uint32_t>(nRow - m_nBase));
                texts.push_back(LineA(rows.back()));
            }
        if (bWalked && !rows.empty())
            return false;
        // A wanted line whose text has a second line on either side needs
        // the rules, and so does a text with more lines than the table
        // counts: the passes end as soon as one shows. Texts repeat mostly
        // near the top of a file (headings, separators), so a look at the
        // first lines of each side first sends most versions that need the
        // rules there before anything is made.
        CTextTally wanted(texts);
        auto repeats = [&](bool bB) {
            const uint32_t nEnd = std::min(bB ? m_nB : m_nA, kLinesLookedAt);
            for (uint32_t n = 0; n < nEnd && !rows.empty(); ++n)
            {
                CLineText text = bB ? LineB(n) : LineA(n);
                if (wanted.Count(HashLine(text), text, bB, n))
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
                if (m_pTally)
                    m_pTally->Count(nHash, text, bB, n);
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
            if (m_pTally)
                m_pTally->Clear();
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

    // Gives every unmatched line its text's representative (kNoText for a
    // line of b whose text is in no unmatched line of a), and counts each
    // text's unmatched lines on both sides, and the texts the tally wants.
    void Classify()
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
    // it), each also counted for the tally.
    template <typename Done>
    void ClassifySide(bool bA, Done done)
    {
        auto line = [&](uint32_t n, CLineText& text) {
            if (bA ? IsMatchedA(n) : IsMatchedB(n))
                return false;
            text = bA ? LineA(n) : LineB(n);
            return true;
        };
        auto hashed = [&](uint64_t nHash, const CLineText& text) {
            if (m_pTally)
                m_pTally->Count(nHash, text, !bA, 0);
        };
        m_index.Pass(bA ? m_nA : m_nB, bA, line, hashed, done);
    }

    // Matches the unmatched lines of a[a0, a1) with those of b[b0, b1):
    // the rarest texts that occur equally often on both sides here are
    // paired in order, the longest chain of those pairs that is in order on both
    // sides is kept, and each stretch between two links is matched the same
    // way. At the top, a text that occurs once on each side is matched even
    // off the chain: it is the same line moved. bWhole: the stretch is
    // every line of the middle, whose texts Classify has counted already,
    // and whose head and tail Run has matched.
    void Region(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, int nDepth, bool bWhole = false)
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
    void PairTexts(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, uint32_t nRarest,
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
    void PairTextsOnce(std::vector<uint32_t>& keys, std::vector<uint32_t>& tops)
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
    void Extend(std::vector<uint32_t>& keys, std::vector<uint32_t>& tops, uint32_t nKey, uint32_t i)
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
    void CountStretch(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1)
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
    void PairInOrder(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1)
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

    bool HasUnmatched(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1) const
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
    void MatchWhatIsLeft()
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

    const CLineSequence& m_a;
    const CLineSequence& m_b;
    std::vector<uint32_t>& m_match;
    CTextTally* m_pTally;
    const std::vector<uint32_t>* m_pRows;
    bool m_bCounted = false;  // m_nUnmatched is known without the matches
    size_t m_nUnmatched = 0;
    size_t m_nBase = 0;      // the head's length: the middle's first line on both sides
    uint32_t m_nA = 0;       // the middle's lines on each side
    uint32_t m_nB = 0;
    CTextIndex m_index;           // the unmatched lines of a by text
    std::vector<ALine>& m_x = m_index.x;
    std::vector<uint32_t> m_y;      // per line of b: representative, matched
    std::vector<uint32_t> m_heads;  // per representative: its list's first line
    std::vector<uint32_t> m_next;   // per line of a: the next in its list
    uint64_t m_nWork = 0;
    uint64_t m_nBudget = 0;
};
}

bool SameLine(const CLineText& a, const CLineText& b)
{
    if (a.Length() != b.Length())
        return false;
    if (a.nHead == b.nHead)
        return SameBytes(a.pchHead, b.pchHead, a.nHead) && SameBytes(a.pch, b.pch, a.nLength);
    for (size_t n = 0; n < a.Length(); ++n)
        if (At(a, n) != At(b, n))
            return false;
    return true;
}

uint64_t HashLine(const CLineText& line)
{
    if (line.nHead == 0)
        return HashBytes(line.pch, line.nLength);
    // A row commented here: its mark and its text as one run of bytes.
    char buffer[256];
    if (line.Length() <= sizeof(buffer))
    {
        for (size_t n = 0; n < line.Length(); ++n)
            buffer[n] = At(line, n);
        return HashBytes(buffer, line.Length());
    }
    std::string joined(line.pchHead, line.nHead);
    joined.append(line.pch, line.nLength);
    return HashBytes(joined.data(), joined.size());
}

bool MatchLines(const CLineSequence& a, const CLineSequence& b, std::vector<uint32_t>& matchOfA,
                const std::vector<CLineText>* pTexts, std::vector<long long>* pMore,
                const std::vector<uint32_t>* pRows, size_t* pnUnmatched)
{
    matchOfA.clear();
    if (a.Count() >= kNoText || b.Count() >= kNoText)
        return false;
    try
    {
        std::unique_ptr<CTextTally> pTally;
        if (pTexts && pMore)
            pTally.reset(new CTextTally(*pTexts));
        CMatcher matcher(a, b, matchOfA, pTally.get(), pRows);
        matcher.Run();
        if (pTally)
        {
            pMore->assign(pTexts->size(), 0);
            for (size_t n = 0; n < pTexts->size(); ++n)
                (*pMore)[n] = static_cast<long long>(pTally->Counts(n).nB) - pTally->Counts(n).nA;
        }
        if (pnUnmatched)
            *pnUnmatched = matcher.Unmatched();
        return true;
    }
    catch (const std::bad_alloc&)
    {
        std::vector<uint32_t>().swap(matchOfA);
        return false;
    }
}
