#include "hosts/follow/WipeRule.h"

#include "hosts/follow/LineTextIndex.h"
#include "hosts/lines/CommentRules.h"
#include "hosts/lines/LineParts.h"

#include <new>
#include <vector>

namespace
{
// The words of a line after its comment mark, when it is commented.
CLineWord Uncommented(const CLineText& line, bool& bCommented)
{
    // The mark put in front here, or the text's own.
    bCommented = line.nHead > 0 || IsCommented(line.pch, line.nLength);
    return UncommentedPiece(line.pch, line.nLength, line.nHead > 0, bCommented);
}

// Gives each name of an entry line to name, where the line is commented
// (or active) as *pbCommented says, or either with null; false when the
// line is no such entry. *pbWasCommented (may be null) tells which it is.
template <typename Name>
bool ForEachName(const CLineText& line, const bool* pbCommented, Name name, bool* pbWasCommented = nullptr)
{
    bool bCommented = false;
    const CLineWord text = Uncommented(line, bCommented);
    if (pbWasCommented)
        *pbWasCommented = bCommented;
    if (pbCommented && *pbCommented != bCommented)
        return false;
    CLineWords words(text.pch, text.nLength);
    CLineWord word;
    if (!words.Next(&word) || !IsHostsAddress(word.pch, word.nLength))
        return false;
    while (words.Next(&word))
        name(word);
    return true;
}

// A name's hash, ASCII letters folded to lower case; never 0 or 1, and even:
// the lowest bit marks a name found in a set.
uint64_t HashName(const CLineWord& word)
{
    uint64_t nHash = 0xcbf29ce484222325ull;
    for (size_t n = 0; n < word.nLength; ++n)
    {
        unsigned char ch = static_cast<unsigned char>(word.pch[n]);
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<unsigned char>(ch - 'A' + 'a');
        nHash = (nHash ^ ch) * 0x100000001b3ull;
    }
    nHash ^= nHash >> 29;
    nHash *= 0xbf58476d1ce4e5b9ull;
    nHash ^= nHash >> 32;
    nHash &= ~1ull;
    return nHash == 0 ? 2 : nHash;
}

// Names by hash, open addressing: each once, and whether it was found. The
// names go in, or are looked up, in batches: their slots are asked for
// ahead, as a large set's slots are far away for every name.
class CNameSet
{
public:
    explicit CNameSet(size_t nNames)
    {
        m_nSlots = static_cast<uint32_t>(nNames + nNames / 4 + 1);
        m_slots.assign(m_nSlots, 0);
    }
    // The names put in so far, and those found.
    size_t Count()
    {
        Flush();
        return m_nCount;
    }
    size_t Found()
    {
        Flush();
        return m_nFound;
    }
    // Puts a name in (once); or, bFind, marks it found when it is in and was
    // not found before.
    void Queue(uint64_t nHash, bool bFind)
    {
        m_bFind = bFind;
        m_queued[m_nQueued] = nHash;
        m_homes[m_nQueued] = static_cast<uint32_t>(((nHash >> 32) * m_nSlots) >> 32);
        linetext::Prefetch(&m_slots[m_homes[m_nQueued]]);
        if (++m_nQueued == kBatch)
            Flush();
    }

private:
    static const size_t kBatch = 16;

    void Flush()
    {
        for (size_t k = 0; k < m_nQueued; ++k)
        {
            const uint64_t nHash = m_queued[k];
            uint32_t n = m_homes[k];
            while (m_slots[n] != 0 && (m_slots[n] & ~1ull) != nHash)
                n = n + 1 == m_nSlots ? 0 : n + 1;
            uint64_t& nSlot = m_slots[n];
            // A slot stays free: the look-ups end there. A full set takes no
            // more names (its count then tells only that it is full).
            if (!m_bFind && nSlot == 0 && m_nCount + 1 < m_nSlots)
                nSlot = nHash, ++m_nCount;
            else if (m_bFind && nSlot == nHash)
                nSlot |= 1, ++m_nFound;
        }
        m_nQueued = 0;
    }

    std::vector<uint64_t> m_slots;
    uint32_t m_nSlots = 1;
    size_t m_nCount = 0;
    size_t m_nFound = 0;
    uint64_t m_queued[kBatch];
    uint32_t m_homes[kBatch];
    size_t m_nQueued = 0;
    bool m_bFind = false;
};
}

bool CountRemovedNames(const CLineSequence& base, const CLineSequence& now, const std::vector<uint32_t>& matchOfA,
                       size_t nUnmatched, CNameCount& count)
{
    count = CNameCount();
    // Every line of base is still there: so is every name.
    if (nUnmatched == 0)
        return true;
    try
    {
        const size_t nBase = base.Count();
        // Active entry lines count where there is one, else commented ones.
        bool bAnyActive = false;
        for (size_t i = 0; i < nBase && !bAnyActive; ++i)
        {
            bool bWas = false;
            bAnyActive = ForEachName(base.Line(i), nullptr, [](const CLineWord&) {}, &bWas) && !bWas;
        }
        const bool bCommented = !bAnyActive;
        // The names of a line of base, when it is of the kind that counts.
        auto counted = [&](size_t i, auto name) {
            ForEachName(base.Line(i), &bCommented, [&](const CLineWord& word) { name(HashName(word)); });
        };

        // The names that may have gone: those of the lines without a match.
        size_t nUpper = 0;
        for (size_t i = 0; i < nBase; ++i)
            if (matchOfA[i] == kNoLine)
                counted(i, [&](uint64_t) { ++nUpper; });
        if (nUpper == 0)
            return true;
        CNameSet gone(nUpper);
        for (size_t i = 0; i < nBase; ++i)
            if (matchOfA[i] == kNoLine)
                counted(i, [&](uint64_t nHash) { gone.Queue(nHash, false); });

        // Each found in now, in any entry line: first in the lines that no
        // line of base is (where a changed line's names went), then in the
        // rest, until every one is found.
        const size_t nNow = now.Count();
        std::vector<bool> isMatched(nNow, false);
        for (uint32_t j : matchOfA)
            if (j != kNoLine)
                isMatched[j] = true;
        const size_t nGone = gone.Count();
        for (int nRound = 0; nRound < 2 && gone.Found() < nGone; ++nRound)
            for (size_t j = 0; j < nNow && (j % 1024 != 0 || gone.Found() < nGone); ++j)
                if (isMatched[j] == (nRound == 1))
                    ForEachName(now.Line(j), nullptr,
                                [&](const CLineWord& word) { gone.Queue(HashName(word), true); });
        count.nRemoved = nGone - gone.Found();
        if (count.nRemoved == 0)
            return true;

        // The names counted, each once, until there are more than twice the
        // removed: then it is no wipe, whatever else there is.
        const size_t nEnough = count.nRemoved * 2 + 1;
        CNameSet names(nEnough);
        for (size_t i = 0; i < nBase && names.Count() < nEnough; ++i)
            counted(i, [&](uint64_t nHash) {
                names.Queue(nHash, false);
            });
        count.nNames = names.Count();
        return true;
    }
    catch (const std::bad_alloc&)
    {
        count = CNameCount();
        return false;
    }
}
