#include "hosts/follow/CarryChanges.h"

#include "hosts/follow/LineDiff.h"

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

// The results of ours' changes, each text once: the matching counts how
// many more copies of each theirs holds than the base.
class CResults
{
public:
    // The index of a change's result among the texts.
    size_t Add(const CLineText& text)
    {
        const uint64_t nHash = HashLine(text);
        auto range = m_byHash.equal_range(nHash);
        for (auto it = range.first; it != range.second; ++it)
            if (SameLine(text, m_texts[it->second]))
                return it->second;
        m_byHash.emplace(nHash, m_texts.size());
        m_texts.push_back(text);
        return m_texts.size() - 1;
    }
    const std::vector<CLineText>& Texts() const { return m_texts; }

private:
    std::vector<CLineText> m_texts;
    std::unordered_multimap<uint64_t, size_t> m_byHash;
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
        // The changes' results are counted while the lines are matched, in
        // theirs as it came, before any change is made to it.
        const int nSaved = ours.GetSavedCount();
        CResults results;
        std::vector<std::pair<int, size_t>> changes;  // each changed row, its result's index
        std::vector<uint32_t> changedRows;            // only their matches are needed
        for (int nRow = 0; nRow < nSaved; ++nRow)
            if (ours.IsChanged(nRow))
            {
                changes.emplace_back(nRow, results.Add(LineOf(ours.GetText(nRow))));
                changedRows.push_back(static_cast<uint32_t>(nRow));
            }
        CMatchRequest request;
        request.pCounted = &results.Texts();
        request.pWanted = &changedRows;
        CMatchResult match;
        if (!MatchLines(base, now, request, match))
            return -1;
        if (pOutcomes)
            pOutcomes->clear();
        if (pnRemoved)
            *pnRemoved = match.nUnmatched;
        auto tell = [&](int nRow, CCarriedChange::Outcome outcome, int nTheirRow) {
            if (pOutcomes)
                pOutcomes->push_back(CCarriedChange{nRow, outcome, nTheirRow});
        };

        // A change whose line theirs still holds is carried, the two lines'
        // bytes compared first, as a match is found by hash. One whose line
        // is gone was made there too when theirs holds its result more often
        // than the base did: each extra copy answers one change.
        int nLost = 0;
        for (const auto& change : changes)
        {
            const int nRow = change.first;
            long long& nMore = match.more[change.second];
            uint32_t nTheirRow = match.matchOfA[static_cast<size_t>(nRow)];
            if (nTheirRow != kNoLine && SameLine(base.Line(static_cast<size_t>(nRow)), now.Line(nTheirRow)))
            {
                theirs.ApplyChange(static_cast<int>(nTheirRow), ours.GetChange(nRow));
                tell(nRow, CCarriedChange::carried, static_cast<int>(nTheirRow));
            }
            else if (nMore > 0)
            {
                --nMore;
                tell(nRow, CCarriedChange::madeThere, -1);
            }
            else
            {
                ++nLost;
                tell(nRow, CCarriedChange::lost, -1);
            }
        }
        std::vector<uint32_t>().swap(match.matchOfA);

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
    const std::vector<uint32_t> noRows;
    CMatchRequest request;
    request.pWanted = &noRows;
    CMatchResult match;
    if (!MatchLines(base, now, request, match))
        return 0;
    return match.nUnmatched;
}
