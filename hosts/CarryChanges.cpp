#include "hosts/CarryChanges.h"

#include "hosts/LineDiff.h"

#include <algorithm>
#include <new>
#include <unordered_map>
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

// How often each of a few texts occurs in the base and in theirs: the
// results of the changes that found no line to be carried to. Found by hash,
// compared by bytes.
class CResultCounts
{
public:
    void Want(const CLineText& text)
    {
        if (Find(text))
            return;
        m_counts.emplace(HashLine(text),
                         Counts{std::string(text.pchHead, text.nHead) + std::string(text.pch, text.nLength)});
        m_sieve[Sieve(text)] = true;
    }
    bool Empty() const { return m_counts.empty(); }

    void CountIn(const CLineSequence& lines, bool bBase)
    {
        // Most lines are none of the texts, which their length and last
        // byte tell without hashing them.
        for (size_t n = 0; n < lines.Count(); ++n)
        {
            CLineText line = lines.Line(n);
            if (!m_sieve[Sieve(line)])
                continue;
            if (Counts* pCounts = Find(line))
                ++(bBase ? pCounts->nBase : pCounts->nTheirs);
        }
    }

    // Takes one of theirs' extra copies of the text, when there is one left.
    bool TakeExtra(const CLineText& text)
    {
        Counts* pCounts = Find(text);
        if (!pCounts || pCounts->nTheirs <= pCounts->nBase)
            return false;
        --pCounts->nTheirs;
        return true;
    }

private:
    struct Counts
    {
        std::string text;
        size_t nBase = 0;
        size_t nTheirs = 0;
    };

    Counts* Find(const CLineText& text)
    {
        auto range = m_counts.equal_range(HashLine(text));
        for (auto it = range.first; it != range.second; ++it)
            if (SameLine(text, CLineText{"", 0, it->second.text.data(), it->second.text.size()}))
                return &it->second;
        return nullptr;
    }

    static size_t Sieve(const CLineText& text)
    {
        const unsigned char chLast = text.nLength ? static_cast<unsigned char>(text.pch[text.nLength - 1]) : 0;
        return (text.Length() * 31 + chLast) & 0xFFFF;
    }

    std::unordered_multimap<uint64_t, Counts> m_counts;
    std::vector<bool> m_sieve = std::vector<bool>(0x10000, false);
};

bool HasHighBytes(const char* pch, size_t nLength)
{
    for (size_t n = 0; n < nLength; ++n)
        if (static_cast<unsigned char>(pch[n]) > 0x7F)
            return true;
    return false;
}
}

int CarryChanges(const CEntryList& ours, CEntryList& theirs, const CRecodeText& recode,
                 std::vector<CCarriedChange>* pOutcomes, size_t* pnRemoved)
{
    try
    {
        CSavedLines base(ours);
        CRowLines now(theirs);
        std::vector<uint32_t> matchOf;
        if (!MatchLines(base, now, matchOf))
            return -1;
        if (pOutcomes)
            pOutcomes->clear();
        if (pnRemoved)
            *pnRemoved = static_cast<size_t>(std::count(matchOf.begin(), matchOf.end(), kNoLine));
        auto tell = [&](int nRow, CCarriedChange::Outcome outcome, int nTheirRow) {
            if (pOutcomes)
                pOutcomes->push_back(CCarriedChange{nRow, outcome, nTheirRow});
        };

        // The changes whose line theirs no longer holds are settled by the
        // counts of their results, in theirs as it came, before any change
        // is made to it.
        const int nSaved = ours.GetSavedCount();
        CResultCounts results;
        for (int nRow = 0; nRow < nSaved; ++nRow)
        {
            if (!ours.IsChanged(nRow))
                continue;
            // A match found by hash is only taken with the bytes the same.
            uint32_t& nTheirRow = matchOf[static_cast<size_t>(nRow)];
            if (nTheirRow != kNoLine && !SameLine(base.Line(static_cast<size_t>(nRow)), now.Line(nTheirRow)))
                nTheirRow = kNoLine;
            if (nTheirRow == kNoLine)
                results.Want(LineOf(ours.GetText(nRow)));
        }
        if (!results.Empty())
        {
            results.CountIn(base, true);
            results.CountIn(now, false);
        }
        int nLost = 0;
        for (int nRow = 0; nRow < nSaved; ++nRow)
        {
            if (!ours.IsChanged(nRow))
                continue;
            uint32_t nTheirRow = matchOf[static_cast<size_t>(nRow)];
            if (nTheirRow != kNoLine)
            {
                theirs.ApplyChange(static_cast<int>(nTheirRow), ours.GetChange(nRow));
                tell(nRow, CCarriedChange::carried, static_cast<int>(nTheirRow));
            }
            else if (results.TakeExtra(LineOf(ours.GetText(nRow))))
            {
                tell(nRow, CCarriedChange::madeThere, -1);
            }
            else
            {
                ++nLost;
                tell(nRow, CCarriedChange::lost, -1);
            }
        }
        std::vector<uint32_t>().swap(matchOf);

        // Added rows in theirs' encoding: the file stays in one.
        const bool bRecode = recode && ours.IsUtf8() != theirs.IsUtf8();
        std::string recoded;
        for (int nRow = nSaved; nRow < ours.GetCount(); ++nRow)
        {
            CEntryList::Text text = ours.GetText(nRow);
            bool bStored;
            if (bRecode && HasHighBytes(text.pch, text.nLength))
            {
                if (!recode(text.pch, text.nLength, theirs.IsUtf8(), recoded))
                {
                    ++nLost;
                    tell(nRow, CCarriedChange::lost, -1);
                    continue;
                }
                bStored = theirs.AppendCopy(ours, nRow, recoded.data(), recoded.size());
            }
            else
            {
                bStored = theirs.AppendCopy(ours, nRow);
            }
            if (!bStored)
                return -1;
            tell(nRow, CCarriedChange::added, theirs.GetCount() - 1);
        }
        return nLost;
    }
    catch (const std::bad_alloc&)
    {
        return -1;
    }
}

size_t CountRemovedLines(const CEntryList& ours, const CEntryList& theirs)
{
    // The base's lines that the matching finds no line of theirs for: it
    // matches as many lines of each text as the side with fewer holds.
    CSavedLines base(ours);
    CRowLines now(theirs);
    std::vector<uint32_t> matchOf;
    if (!MatchLines(base, now, matchOf))
        return 0;
    return static_cast<size_t>(std::count(matchOf.begin(), matchOf.end(), kNoLine));
}
