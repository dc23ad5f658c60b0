#include "hosts/follow/CarryChanges.h"

#include "hosts/follow/LineDiff.h"

#include <algorithm>
#include <new>
#include <string>
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
        const size_t nLines = base.Count();
        const size_t nTheirs = now.Count();
        // Each line of the base: the row of ours it is now, if any. A line
        // no row is was removed.
        std::vector<uint32_t> rowOf(nLines, kNoLine);
        for (int nRow = 0; nRow < ours.GetCount(); ++nRow)
            if (ours.GetLine(nRow) >= 0)
                rowOf[static_cast<size_t>(ours.GetLine(nRow))] = static_cast<uint32_t>(nRow);
        // Only the changed lines' matches are needed, in theirs as it came,
        // before any change is made to it.
        std::vector<uint32_t> changedLines;
        for (size_t nLine = 0; nLine < nLines; ++nLine)
            if (rowOf[nLine] == kNoLine || ours.IsChanged(static_cast<int>(rowOf[nLine])))
                changedLines.push_back(static_cast<uint32_t>(nLine));
        CMatchRequest request;
        request.pWanted = &changedLines;
        CMatchResult match;
        if (!MatchLines(base, now, request, match))
            return -1;
        if (pNames && !CountRemovedNames(base, now, match.matchOfA, match.nUnmatched, *pNames))
            return -1;

        int nLastLineRow = -1;
        for (int nRow = 0; nRow < ours.GetCount(); ++nRow)
            if (ours.GetLine(nRow) >= 0)
                nLastLineRow = nRow;
        bool bInside = false;  // a row the base does not hold before ours' last row with a line
        for (int nRow = 0; nRow < nLastLineRow && !bInside; ++nRow)
            bInside = ours.GetLine(nRow) < 0;
        // Of the lines the user left alone the matching may only have
        // counted how many go without a match: where a row is put in after
        // such lines, the whole matching tells where they are (in theirs as
        // it came, before any change is made to it).
        if (bInside && static_cast<size_t>(std::count(match.matchOfA.begin(), match.matchOfA.end(), kNoLine)) >
                           match.nUnmatched)
        {
            CMatchResult all;
            if (!MatchLines(base, now, CMatchRequest(), all))
                return -1;
            for (size_t nLine = 0; nLine < nLines; ++nLine)
                if (match.matchOfA[nLine] == kNoLine && rowOf[nLine] != kNoLine &&
                    !ours.IsChanged(static_cast<int>(rowOf[nLine])))
                    match.matchOfA[nLine] = all.matchOfA[nLine];
        }
        if (pOutcomes)
            pOutcomes->clear();
        auto tell = [&](uint32_t nLine, CCarriedChange::Outcome outcome, int nTheirRow) {
            if (pOutcomes)
                pOutcomes->push_back(CCarriedChange{static_cast<int>(nLine),
                                                    rowOf[nLine] == kNoLine ? -1 : static_cast<int>(rowOf[nLine]),
                                                    outcome, nTheirRow});
        };

        // A change whose line theirs still holds is carried, the two lines'
        // bytes compared first, as a match is found by hash. A removal whose
        // line is gone was made there too. The others are told as lost
        // until their results are counted, in theirs as it came: the carried
        // ones are made after that.
        std::vector<uint32_t> left;
        std::vector<uint32_t> carried;
        for (uint32_t nLine : changedLines)
        {
            uint32_t nTheirRow = match.matchOfA[nLine];
            if (nTheirRow != kNoLine && !SameLine(base.Line(nLine), now.Line(nTheirRow)))
                nTheirRow = kNoLine;
            CCarriedChange::Outcome outcome = CCarriedChange::carried;
            if (nTheirRow != kNoLine)
                carried.push_back(nLine);
            else if (rowOf[nLine] == kNoLine)
                outcome = CCarriedChange::madeThere;
            else
            {
                outcome = CCarriedChange::lost;
                left.push_back(nLine);
            }
            tell(nLine, outcome, nTheirRow == kNoLine ? -1 : static_cast<int>(nTheirRow));
        }
        std::vector<uint32_t>().swap(changedLines);

        // One whose line is gone was made there too when theirs holds its
        // result more often than the base did: each extra copy answers one
        // change.
        int nLost = 0;
        if (!left.empty())
        {
            auto result = [&](size_t k) { return LineOf(ours.GetText(static_cast<int>(rowOf[left[k]]))); };
            CResultCopies copies(base, now, left.size(), result);
            size_t nOutcome = 0;
            for (size_t k = 0; k < left.size(); ++k)
            {
                const bool bThere = copies.Take(result(k));
                nLost += bThere ? 0 : 1;
                if (!pOutcomes)
                    continue;
                while ((*pOutcomes)[nOutcome].nLine != static_cast<int>(left[k]))
                    ++nOutcome;
                if (bThere)
                    (*pOutcomes)[nOutcome].outcome = CCarriedChange::madeThere;
            }
        }
        std::vector<uint32_t>().swap(left);

        // Texts in theirs' encoding: the file stays in one. A version in
        // plain ASCII reads the same in either, and takes ours'.
        if (ours.IsUtf8() && theirs.IsAscii())
            theirs.TakeUtf8();
        const bool bRecode = recode && ours.IsUtf8() != theirs.IsUtf8();
        std::string recoded;
        // A text of ours as theirs spells it: the same bytes, or recoded;
        // false when theirs' encoding cannot spell it.
        auto spell = [&](const CEntryList::Text& text) {
            if (!bRecode || !HasHighBytes(text.pch, text.nLength))
            {
                recoded.assign(text.pchMark, text.nMark);
                recoded.append(text.pch, text.nLength);
                return true;
            }
            std::string body;
            if (!recode(text.pch, text.nLength, theirs.IsUtf8(), body))
                return false;
            recoded.assign(text.pchMark, text.nMark);
            recoded += body;
            return true;
        };

        // Carried: commenting and uncommenting are made again on theirs'
        // own bytes, an edit takes ours' text, a removal takes the row out.
        std::vector<bool> gone(nTheirs, false);
        size_t nOutcome = 0;
        for (uint32_t nLine : carried)
        {
            const int nTheirRow = static_cast<int>(match.matchOfA[nLine]);
            const int nOurRow = rowOf[nLine] == kNoLine ? -1 : static_cast<int>(rowOf[nLine]);
            CEntryList::Change change;
            if (nOurRow < 0)
                gone[static_cast<size_t>(nTheirRow)] = true;
            else if (ours.GetChange(nOurRow, change))
                theirs.ApplyChange(nTheirRow, change);
            else if (!spell(ours.GetText(nOurRow)))
            {
                ++nLost;
                if (pOutcomes)
                {
                    while ((*pOutcomes)[nOutcome].nLine != static_cast<int>(nLine))
                        ++nOutcome;
                    (*pOutcomes)[nOutcome].outcome = CCarriedChange::lost;
                    (*pOutcomes)[nOutcome].nTheirRow = -1;
                }
            }
            else if (!theirs.SetText(nTheirRow, recoded.data(), recoded.size()))
                return -1;
        }

        // Added rows go after the row of theirs that the last row of ours
        // before them that has a line matched (or after a later one, so
        // that they keep their order); those after ours' last such row
        // follow theirs' last row.
        std::vector<uint32_t> at;
        uint32_t nAfter = 0;  // the rows of theirs as it came that go before the next added row
        for (int nRow = 0; nRow < ours.GetCount(); ++nRow)
        {
            const int nLine = ours.GetLine(nRow);
            if (nLine >= 0)
            {
                const uint32_t nMatch = match.matchOfA[static_cast<size_t>(nLine)];
                if (nMatch != kNoLine && nMatch + 1 > nAfter)
                    nAfter = nMatch + 1;
                continue;
            }
            if (nRow > nLastLineRow)
                nAfter = static_cast<uint32_t>(nTheirs);
            if (!spell(ours.GetText(nRow)))
            {
                ++nLost;
                if (pOutcomes)
                    pOutcomes->push_back(CCarriedChange{-1, nRow, CCarriedChange::lost, -1});
                continue;
            }
            const size_t nMark = ours.GetText(nRow).nMark;
            if (!theirs.AppendCopy(ours, nRow, recoded.data() + nMark, recoded.size() - nMark))
                return -1;
            at.push_back(static_cast<uint32_t>(nAfter + at.size()));
            if (pOutcomes)
                pOutcomes->push_back(CCarriedChange{-1, nRow, CCarriedChange::added, -1});
        }
        std::vector<uint32_t>().swap(match.matchOfA);
        if (!theirs.PlaceLastRows(at))
            return -1;
        std::vector<uint32_t> removed;

        // The rows removed, in order, where they are now that the added ones
        // are in; an added row's place, now that they are out.
        removed.clear();
        size_t k = 0;
        for (uint32_t nRow = 0; nRow < nTheirs; ++nRow)
        {
            if (!gone[nRow])
                continue;
            while (k < at.size() && at[k] - k <= nRow)
                ++k;
            removed.push_back(nRow + static_cast<uint32_t>(k));
        }
        if (pOutcomes)
        {
            size_t nTaken = 0;
            size_t nAdded = 0;
            for (CCarriedChange& outcome : *pOutcomes)
            {
                if (outcome.outcome != CCarriedChange::added)
                    continue;
                const uint32_t nAt = at[nAdded++];
                while (nTaken < removed.size() && removed[nTaken] < nAt)
                    ++nTaken;
                outcome.nTheirRow = static_cast<int>(nAt - nTaken);
            }
        }
        std::vector<bool>().swap(gone);
        if (!theirs.RemoveRows(removed))
            return -1;
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
