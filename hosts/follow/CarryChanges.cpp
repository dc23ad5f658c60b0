#include "hosts/follow/CarryChanges.h"

#include "hosts/follow/LineDiff.h"

#include <new>
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

// How many more lines of theirs than of the base hold each of some texts
// (the results of the changes whose lines are gone), each text once,
// however many changes share it. A filter of theirs' lines first leaves out
// the texts theirs holds no line of: most of them, where another program
// rewrote the file.
class CResultCopies
{
public:
    // text(k) gives text k of nTexts.
    template <typename Text>
    CResultCopies(const CLineSequence& base, const CLineSequence& now, size_t nTexts, Text text)
    {
        size_t nBits = 64;
        while (nBits < nTexts * 8 && nBits < (size_t(1) << 31))
            nBits <<= 1;
        m_filter.assign(nBits, false);
        for (size_t j = 0; j < now.Count(); ++j)
            Mark(HashLine(now.Line(j)));
        size_t nThere = 0;
        for (size_t k = 0; k < nTexts; ++k)
            nThere += Marked(HashLine(text(k))) ? 1 : 0;
        m_nSlots = static_cast<uint32_t>(nThere + nThere / 2 + 1);
        m_slots.assign(m_nSlots, 0);
        for (size_t k = 0; k < nTexts; ++k)
        {
            const CLineText line = text(k);
            const uint64_t nHash = HashLine(line);
            if (!Marked(nHash))
                continue;
            uint32_t& nSlot = Find(nHash, line);
            if (nSlot == 0)
            {
                m_texts.push_back(CText{nHash, line, 0});
                nSlot = static_cast<uint32_t>(m_texts.size());
            }
        }
        if (m_texts.empty())
            return;
        auto count = [&](const CLineSequence& lines, int nStep) {
            for (size_t n = 0; n < lines.Count(); ++n)
            {
                const CLineText line = lines.Line(n);
                const uint64_t nHash = HashLine(line);
                if (!Marked(nHash))
                    continue;
                const uint32_t nSlot = Find(nHash, line);
                if (nSlot != 0)
                    m_texts[nSlot - 1].nMore += nStep;
            }
        };
        count(base, -1);
        count(now, 1);
    }

    // Whether theirs holds a copy of the text more than the base did that
    // no change has taken yet; if so, the change takes it.
    bool Take(const CLineText& text)
    {
        const uint64_t nHash = HashLine(text);
        if (m_texts.empty() || !Marked(nHash))
            return false;
        const uint32_t nSlot = Find(nHash, text);
        if (nSlot == 0 || m_texts[nSlot - 1].nMore <= 0)
            return false;
        --m_texts[nSlot - 1].nMore;
        return true;
    }

private:
    struct CText
    {
        uint64_t nHash;
        CLineText text;
        long long nMore;
    };

    void Mark(uint64_t nHash)
    {
        m_filter[nHash & (m_filter.size() - 1)] = true;
        m_filter[(nHash >> 32) & (m_filter.size() - 1)] = true;
    }
    bool Marked(uint64_t nHash) const
    {
        return m_filter[nHash & (m_filter.size() - 1)] && m_filter[(nHash >> 32) & (m_filter.size() - 1)];
    }
    // The slot of the text with these bytes, or the free one where it goes.
    uint32_t& Find(uint64_t nHash, const CLineText& text)
    {
        uint32_t n = static_cast<uint32_t>(((nHash >> 32) * m_nSlots) >> 32);
        while (m_slots[n] != 0 &&
               !(m_texts[m_slots[n] - 1].nHash == nHash && SameLine(m_texts[m_slots[n] - 1].text, text)))
            n = n + 1 == m_nSlots ? 0 : n + 1;
        return m_slots[n];
    }

    std::vector<bool> m_filter;
    std::vector<CText> m_texts;
    std::vector<uint32_t> m_slots;  // a text's index plus one; 0 is free
    uint32_t m_nSlots = 1;
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
                 std::vector<CCarriedChange>* pOutcomes, CNameCount* pNames)
{
    try
    {
        CSavedLines base(ours);
        CRowLines now(theirs);
        // Only the changed rows' matches are needed, in theirs as it came,
        // before any change is made to it.
        const int nSaved = ours.GetSavedCount();
        std::vector<uint32_t> changedRows;
        for (int nRow = 0; nRow < nSaved; ++nRow)
            if (ours.IsChanged(nRow))
                changedRows.push_back(static_cast<uint32_t>(nRow));
        CMatchRequest request;
        request.pWanted = &changedRows;
        CMatchResult match;
        if (!MatchLines(base, now, request, match))
            return -1;
        if (pNames && !CountRemovedNames(base, now, match.matchOfA, match.nUnmatched, *pNames))
            return -1;
        if (pOutcomes)
            pOutcomes->clear();
        auto tell = [&](int nRow, CCarriedChange::Outcome outcome, int nTheirRow) {
            if (pOutcomes)
                pOutcomes->push_back(CCarriedChange{nRow, outcome, nTheirRow});
        };

        // A change whose line theirs still holds is carried, the two lines'
        // bytes compared first, as a match is found by hash. The others are
        // told as lost until their results are counted, in theirs as it
        // came: the carried ones are made after that.
        std::vector<uint32_t> left;
        for (uint32_t nRow : changedRows)
        {
            uint32_t& nTheirRow = match.matchOfA[nRow];
            if (nTheirRow != kNoLine && !SameLine(base.Line(nRow), now.Line(nTheirRow)))
                nTheirRow = kNoLine;
            if (nTheirRow == kNoLine)
                left.push_back(nRow);
            tell(static_cast<int>(nRow), nTheirRow == kNoLine ? CCarriedChange::lost : CCarriedChange::carried,
                 nTheirRow == kNoLine ? -1 : static_cast<int>(nTheirRow));
        }

        // One whose line is gone was made there too when theirs holds its
        // result more often than the base did: each extra copy answers one
        // change.
        int nLost = 0;
        if (!left.empty())
        {
            auto result = [&](size_t k) { return LineOf(ours.GetText(static_cast<int>(left[k]))); };
            CResultCopies copies(base, now, left.size(), result);
            size_t nOutcome = 0;
            for (size_t k = 0; k < left.size(); ++k)
            {
                const bool bThere = copies.Take(result(k));
                nLost += bThere ? 0 : 1;
                if (!pOutcomes)
                    continue;
                while ((*pOutcomes)[nOutcome].nOurRow != static_cast<int>(left[k]))
                    ++nOutcome;
                if (bThere)
                    (*pOutcomes)[nOutcome].outcome = CCarriedChange::madeThere;
            }
        }
        std::vector<uint32_t>().swap(left);
        for (uint32_t nRow : changedRows)
            if (match.matchOfA[nRow] != kNoLine)
                theirs.ApplyChange(static_cast<int>(match.matchOfA[nRow]), ours.GetChange(static_cast<int>(nRow)));
        std::vector<uint32_t>().swap(match.matchOfA);

        // Added rows in theirs' encoding: the file stays in one. A version
        // in plain ASCII reads the same in either, and takes ours'.
        if (ours.IsUtf8() && theirs.IsAscii())
            theirs.TakeUtf8();
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

bool CountRemovedNames(const CEntryList& ours, const CEntryList& theirs, CNameCount& count)
{
    // Of the lines' matches only those without one are read.
    CSavedLines base(ours);
    CRowLines now(theirs);
    const std::vector<uint32_t> noRows;
    CMatchRequest request;
    request.pWanted = &noRows;
    CMatchResult match;
    return MatchLines(base, now, request, match) &&
           CountRemovedNames(base, now, match.matchOfA, match.nUnmatched, count);
}
