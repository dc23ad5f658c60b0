#include "hosts/LineDiff.h"

#include "hosts/ContentDigest.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace
{
// Regions up to this many cells (lines of one side times lines of the
// other) are matched exactly by dynamic programming.
const size_t kExactCells = 4u * 1024 * 1024;
// Splitting at unique lines goes no deeper than this.
const int kMaxDepth = 64;

// The byte at n of a line in two pieces.
char At(const CLineText& line, size_t n)
{
    return n < line.nHead ? line.pchHead[n] : line.pch[n - line.nHead];
}

class CDiff
{
public:
    CDiff(const CLineSequence& a, const CLineSequence& b, std::vector<CLineMatch>& matches)
        : m_a(a), m_b(b), m_matches(matches)
    {
    }

    void Run()
    {
        size_t nA = m_a.Count(), nB = m_b.Count();
        // The common head and tail by their bytes, without hashing: after a
        // small change they are nearly everything.
        size_t nHead = 0;
        while (nHead < nA && nHead < nB && SameLine(m_a.Line(nHead), m_b.Line(nHead)))
            ++nHead;
        size_t nTail = 0;
        while (nTail < nA - nHead && nTail < nB - nHead &&
               SameLine(m_a.Line(nA - 1 - nTail), m_b.Line(nB - 1 - nTail)))
            ++nTail;
        Add(0, 0, nHead);
        if (nA - nHead - nTail > 0 && nB - nHead - nTail > 0)
        {
            m_hashA.resize(nA - nHead - nTail);
            m_hashB.resize(nB - nHead - nTail);
            m_nBaseA = nHead;
            m_nBaseB = nHead;
            for (size_t n = 0; n < m_hashA.size(); ++n)
                m_hashA[n] = HashLine(m_a.Line(nHead + n));
            for (size_t n = 0; n < m_hashB.size(); ++n)
                m_hashB[n] = HashLine(m_b.Line(nHead + n));
            Region(0, m_hashA.size(), 0, m_hashB.size(), 0);
        }
        Add(nA - nTail, nB - nTail, nTail);
    }

private:
    // Positions within the hashed middle.
    bool Same(size_t i, size_t j) const
    {
        return m_hashA[i] == m_hashB[j] && SameLine(m_a.Line(m_nBaseA + i), m_b.Line(m_nBaseB + j));
    }

    // A run in the middle's positions.
    void AddMiddle(size_t i, size_t j, size_t nLength) { Add(m_nBaseA + i, m_nBaseB + j, nLength); }

    void Add(size_t nA, size_t nB, size_t nLength)
    {
        if (nLength == 0)
            return;
        if (!m_matches.empty())
        {
            CLineMatch& last = m_matches.back();
            if (last.nA + last.nLength == nA && last.nB + last.nLength == nB)
            {
                last.nLength += nLength;
                return;
            }
        }
        m_matches.push_back(CLineMatch{nA, nB, nLength});
    }

    // Matches a[a0, a1) with b[b0, b1), adding the runs in order.
    void Region(size_t a0, size_t a1, size_t b0, size_t b1, int nDepth)
    {
        size_t nHead = 0;
        while (a0 + nHead < a1 && b0 + nHead < b1 && Same(a0 + nHead, b0 + nHead))
            ++nHead;
        AddMiddle(a0, b0, nHead);
        a0 += nHead;
        b0 += nHead;
        size_t nTail = 0;
        while (a1 - nTail > a0 && b1 - nTail > b0 && Same(a1 - 1 - nTail, b1 - 1 - nTail))
            ++nTail;
        a1 -= nTail;
        b1 -= nTail;
        if (a0 < a1 && b0 < b1)
        {
            if (uint64_t(a1 - a0) * (b1 - b0) <= kExactCells)
                Exact(a0, a1, b0, b1);
            else if (nDepth < kMaxDepth)
                Split(a0, a1, b0, b1, nDepth);
            // else: left unmatched, which is never wrong, only less exact
        }
        AddMiddle(a1, b1, nTail);
    }

    // The longest common subsequence, by the table of its lengths kept as
    // one bit a cell: whether the best way from (i, j) skips a[i] or b[j].
    void Exact(size_t a0, size_t a1, size_t b0, size_t b1)
    {
        const size_t nA = a1 - a0, nB = b1 - b0;
        const size_t nRow = (nB + 1 + 63) / 64;
        std::vector<uint64_t> skipA(nRow * (nA + 1), 0);  // bit set: skip a[i] rather than b[j]
        std::vector<uint32_t> next(nB + 1, 0), here(nB + 1, 0);
        // Lengths from the end, so that the path can then be read forwards.
        for (size_t i = nA; i-- > 0;)
        {
            here[nB] = 0;
            for (size_t j = nB; j-- > 0;)
            {
                if (Same(a0 + i, b0 + j))
                {
                    here[j] = next[j + 1] + 1;
                }
                else if (next[j] >= here[j + 1])
                {
                    here[j] = next[j];
                    skipA[i * nRow + j / 64] |= uint64_t(1) << (j % 64);
                }
                else
                {
                    here[j] = here[j + 1];
                }
            }
            next.swap(here);
        }
        size_t i = 0, j = 0;
        while (i < nA && j < nB)
        {
            if (Same(a0 + i, b0 + j))
            {
                AddMiddle(a0 + i, b0 + j, 1);
                ++i;
                ++j;
            }
            else if (skipA[i * nRow + j / 64] >> (j % 64) & 1)
            {
                ++i;
            }
            else
            {
                ++j;
            }
        }
    }

    // Splits at the lines that occur exactly once on each side, in the
    // longest run of them that is in the same order on both sides, and
    // matches what lies between them.
    void Split(size_t a0, size_t a1, size_t b0, size_t b1, int nDepth)
    {
        // One sort serves both steps: (hash, index), then (index in a,
        // index in b).
        using Entry = std::pair<uint64_t, uint32_t>;
        auto uniques = [](const std::vector<uint64_t>& hashes, size_t n0, size_t n1) {
            std::vector<Entry> entries;
            entries.reserve(n1 - n0);
            for (size_t n = n0; n < n1; ++n)
                entries.emplace_back(hashes[n], static_cast<uint32_t>(n));
            std::sort(entries.begin(), entries.end());
            std::vector<Entry> once;
            for (size_t n = 0; n < entries.size(); ++n)
                if ((n == 0 || entries[n - 1].first != entries[n].first) &&
                    (n + 1 == entries.size() || entries[n + 1].first != entries[n].first))
                    once.push_back(entries[n]);
            return once;
        };
        std::vector<Entry> onceA = uniques(m_hashA, a0, a1);
        std::vector<Entry> onceB = uniques(m_hashB, b0, b1);
        // Pairs of the same unique line, in the order of a.
        std::vector<Entry> pairs;
        for (size_t x = 0, y = 0; x < onceA.size() && y < onceB.size();)
        {
            if (onceA[x].first < onceB[y].first)
                ++x;
            else if (onceB[y].first < onceA[x].first)
                ++y;
            else
            {
                if (Same(onceA[x].second, onceB[y].second))
                    pairs.emplace_back(onceA[x].second, onceB[y].second);
                ++x;
                ++y;
            }
        }
        std::vector<Entry>().swap(onceA);
        std::vector<Entry>().swap(onceB);
        if (pairs.empty())
            return;
        std::sort(pairs.begin(), pairs.end());
        // The longest run increasing in b too (patience sorting).
        std::vector<size_t> tops, back(pairs.size());
        for (size_t n = 0; n < pairs.size(); ++n)
        {
            auto pos = std::lower_bound(tops.begin(), tops.end(), pairs[n].second,
                                        [&](size_t k, uint32_t b) { return pairs[k].second < b; });
            back[n] = pos == tops.begin() ? SIZE_MAX : *(pos - 1);
            if (pos == tops.end())
                tops.push_back(n);
            else
                *pos = n;
        }
        std::vector<Entry> anchors;
        for (size_t n = tops.back(); n != SIZE_MAX; n = back[n])
            anchors.push_back(pairs[n]);
        std::reverse(anchors.begin(), anchors.end());
        std::vector<Entry>().swap(pairs);
        std::vector<size_t>().swap(back);

        size_t i = a0, j = b0;
        for (const Entry& anchor : anchors)
        {
            size_t nAnchorA = static_cast<size_t>(anchor.first);
            Region(i, nAnchorA, j, anchor.second, nDepth + 1);
            AddMiddle(nAnchorA, anchor.second, 1);
            i = nAnchorA + 1;
            j = anchor.second + 1;
        }
        Region(i, a1, j, b1, nDepth + 1);
    }

    const CLineSequence& m_a;
    const CLineSequence& m_b;
    std::vector<CLineMatch>& m_matches;
    std::vector<uint64_t> m_hashA;
    std::vector<uint64_t> m_hashB;
    size_t m_nBaseA = 0;
    size_t m_nBaseB = 0;
};
}

bool SameLine(const CLineText& a, const CLineText& b)
{
    if (a.Length() != b.Length())
        return false;
    if (a.nHead == b.nHead)
        return std::memcmp(a.pchHead, b.pchHead, a.nHead) == 0 && std::memcmp(a.pch, b.pch, a.nLength) == 0;
    for (size_t n = 0; n < a.Length(); ++n)
        if (At(a, n) != At(b, n))
            return false;
    return true;
}

uint64_t HashLine(const CLineText& line)
{
    CContentHash hash;
    hash.Add(line.pchHead, line.nHead);
    hash.Add(line.pch, line.nLength);
    return hash.Digest().nHash;
}

bool DiffLines(const CLineSequence& a, const CLineSequence& b, std::vector<CLineMatch>& matches)
{
    matches.clear();
    try
    {
        CDiff diff(a, b, matches);
        diff.Run();
        return true;
    }
    catch (const std::bad_alloc&)
    {
        matches.clear();
        return false;
    }
}
