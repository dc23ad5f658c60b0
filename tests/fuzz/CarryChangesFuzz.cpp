// A file as loaded (the base) made of a few distinct lines repeated in
// stretches of up to 30,000 lines, and now and then stored twice; random
// changes of the user's (ours), now and then on every row, so that tens of
// thousands of changed rows share a text (a table that slows with copies of
// one key runs past the time allowed an input); and another program's
// version of it (theirs): stretches kept, dropped, added or changed, and now
// and then the whole file reversed, rotated, stored twice or once where the
// base held it twice, with lines added at the top and the end.
//
// Carrying ours onto theirs obeys, for every text, by counting:
// - each change is carried, made there too, or lost, exactly one of them;
// - a carried change goes to a row of theirs that held its line's text, one
//   change a row, and that row then shows the change's result;
// - at most as many changes on lines of text t go uncarried as ours changed
//   more lines of text t than theirs holds;
// - at most as many changes with result r count as made there too as theirs
//   holds more copies of r than the base, and one with result r is lost only
//   once those are used up;
// - every other row of theirs stays as it was; ours' added rows follow.
// Where theirs is the base with lines only added at the top and the end (or
// stored twice between them), every change is carried to its own line (in
// either copy).
#include "FuzzCheck.h"
#include "hosts/document/EntryList.h"
#include "hosts/follow/CarryChanges.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

class CBytes
{
public:
    CBytes(const uint8_t* pData, size_t nSize) : m_p(pData), m_pEnd(pData + nSize) {}
    unsigned Next() { return m_p < m_pEnd ? *m_p++ : 0; }

private:
    const uint8_t* m_p;
    const uint8_t* m_pEnd;
};

Lines Texts(const CEntryList& list)
{
    Lines texts;
    for (int n = 0; n < list.GetCount(); ++n)
        texts.push_back(Bytes(list.GetTextString(n)));
    return texts;
}

std::string File(const Lines& lines)
{
    std::string file;
    for (const std::string& line : lines)
        file += line + "\r\n";
    return file;
}

void Load(CEntryList& list, const std::string& file)
{
    if (file.empty())
    {
        list.Empty();
        return;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
        fmemopen(const_cast<char*>(file.data()), file.size(), "rb"), std::fclose);
    FUZZ_CHECK(stream && list.Load(stream.get()) == CEntryList::loaded, "a file loads", Shown(file));
}

// A few distinct lines, some commented, so that changes can turn one into
// another: "# L1" commented again is "# # L1", uncommented "L1".
std::string Distinct(unsigned n)
{
    static const char* const kLines[] = {"L0", "# L1", "L1", "#L2", "L2", "# # L0", "L3", "# L3"};
    return kLines[n % 8];
}

// Stretches of one line repeated, or of lines taken in turn from a few.
Lines Stretches(CBytes& bytes, unsigned nStretches)
{
    Lines lines;
    for (unsigned n = 0; n < nStretches; ++n)
    {
        unsigned nLength = bytes.Next();
        if (nLength > 250)
            nLength = (nLength - 250) * 6000;  // up to 30,000
        unsigned nFirst = bytes.Next(), nKinds = 1 + bytes.Next() % 3;
        for (unsigned k = 0; k < nLength; ++k)
            lines.push_back(Distinct(nFirst + k % nKinds));
    }
    return lines;
}

std::map<std::string, int> Counts(const Lines& lines)
{
    std::map<std::string, int> counts;
    for (const std::string& line : lines)
        ++counts[line];
    return counts;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CBytes bytes(pData, nSize);
    Lines base = Stretches(bytes, bytes.Next() % 6);
    const bool bTwice = bytes.Next() % 4 == 0;
    if (bTwice)
    {
        const Lines once = base;
        base.insert(base.end(), once.begin(), once.end());
    }
    CEntryList ours;
    Load(ours, File(base));

    // Ours: rows commented or uncommented, singly or every k-th in a range,
    // and a few rows added.
    for (unsigned nEdits = bytes.Next() % 8; nEdits > 0 && ours.GetCount() > 0; --nEdits)
    {
        unsigned nFirst = (bytes.Next() << 8 | bytes.Next()) % static_cast<unsigned>(ours.GetCount());
        unsigned nStep = 1 + bytes.Next() % 50, nTimes = 1 + bytes.Next() % 40;
        bool bComment = bytes.Next() % 2 == 0, bChanged;
        for (unsigned nRow = nFirst, k = 0; nRow < static_cast<unsigned>(ours.GetCount()) && k < nTimes;
             nRow += nStep, ++k)
            FUZZ_CHECK(bComment ? ours.Comment(static_cast<int>(nRow), &bChanged)
                                : ours.Uncomment(static_cast<int>(nRow), &bChanged),
                       "a change is stored", "");
    }
    const unsigned nEveryRow = bytes.Next() % 4;
    for (int nRow = 0; nEveryRow >= 2 && nRow < ours.GetCount(); ++nRow)
    {
        bool bChanged;
        FUZZ_CHECK(nEveryRow == 2 ? ours.Comment(nRow, &bChanged) : ours.Uncomment(nRow, &bChanged),
                   "a change is stored", "");
    }
    for (unsigned n = bytes.Next() % 3; n > 0; --n)
        FUZZ_CHECK(ours.Append(CString(("A" + std::to_string(n)).c_str())), "an append succeeds", "");

    // Theirs.
    Lines theirs;
    const unsigned nShape = bytes.Next() % 8;
    const unsigned nTop = bytes.Next() % 3, nEnd = bytes.Next() % 3;
    bool bOwnLines = false;  // each line of the base is in theirs at its place + nTop
    if (nShape <= 1)
    {
        theirs.assign(nTop, "N top");
        theirs.insert(theirs.end(), base.begin(), base.end());
        if (nShape == 1)
            theirs.insert(theirs.end(), base.begin(), base.end());
        theirs.insert(theirs.end(), nEnd, "N end");
        bOwnLines = true;
    }
    else if (nShape == 2 && bTwice)
    {
        // Written once where the base held it twice.
        theirs.assign(nTop, "N top");
        theirs.insert(theirs.end(), base.begin(), base.begin() + static_cast<long>(base.size() / 2));
        theirs.insert(theirs.end(), nEnd, "N end");
    }
    else
    {
        // The base's stretches, each kept, dropped, changed or given new
        // lines before it.
        for (size_t n = 0; n < base.size();)
        {
            size_t nLength = std::min(base.size() - n, size_t(1) + bytes.Next() * 12u);
            unsigned nWhat = bytes.Next() % 6;
            if (nWhat == 0)
            {
                Lines more = Stretches(bytes, 1);
                theirs.insert(theirs.end(), more.begin(), more.end());
            }
            for (size_t k = n; k < n + nLength; ++k)
                if (nWhat == 1)
                    continue;
                else if (nWhat == 2)
                    theirs.push_back(Distinct(bytes.Next()));
                else
                    theirs.push_back(base[k]);
            n += nLength;
        }
        if (nShape == 3)
            std::reverse(theirs.begin(), theirs.end());
        else if (nShape == 4 && !theirs.empty())
            std::rotate(theirs.begin(), theirs.begin() + bytes.Next() % theirs.size(), theirs.end());
    }
    CEntryList result;
    Load(result, File(theirs));

    const Lines ourTexts = Texts(ours);
    std::vector<CCarriedChange> outcomes;
    const int nLost = CarryChanges(ours, result, nullptr, &outcomes);
    const Lines after = Texts(result);
    const std::string where = "base " + Shown(base) + "\nours " + Shown(ourTexts) + "\ntheirs " + Shown(theirs);

    // One outcome for each changed or added row, in order.
    std::vector<int> changed;
    for (int nRow = 0; nRow < ours.GetCount(); ++nRow)
        if (ours.IsChanged(nRow))
            changed.push_back(nRow);
    FUZZ_CHECK(outcomes.size() == changed.size(), "one outcome a change", where);
    std::map<std::string, int> uncarried, madeThere, lostWith;
    std::vector<bool> received(theirs.size(), false);
    int nCountedLost = 0;
    for (size_t n = 0; n < outcomes.size() && n < changed.size(); ++n)
    {
        const CCarriedChange& change = outcomes[n];
        FUZZ_CHECK(change.nOurRow == changed[n], "outcomes in ours' order", where);
        const bool bAdded = change.nOurRow >= ours.GetSavedCount();
        FUZZ_CHECK(bAdded == (change.outcome == CCarriedChange::added), "added rows, and only they, are added",
                   where);
        if (bAdded)
        {
            FUZZ_CHECK(change.nTheirRow >= static_cast<int>(theirs.size()) &&
                           after[static_cast<size_t>(change.nTheirRow)] == ourTexts[static_cast<size_t>(change.nOurRow)],
                       "an added row follows theirs' rows", where);
            continue;
        }
        const std::string& t = base[static_cast<size_t>(change.nOurRow)];
        const std::string& r = ourTexts[static_cast<size_t>(change.nOurRow)];
        if (change.outcome == CCarriedChange::carried)
        {
            size_t j = static_cast<size_t>(change.nTheirRow);
            FUZZ_CHECK(j < theirs.size() && !received[j], "a carried change goes to its own row of theirs", where);
            received[j] = true;
            FUZZ_CHECK(theirs[j] == t, "a change is carried to a line of its text", where + "\nrow " + std::to_string(j));
            FUZZ_CHECK(after[j] == r, "the row then shows the change", where + "\nrow " + std::to_string(j));
            // Stored twice, either copy of a line is its own.
            const size_t nOwn = static_cast<size_t>(change.nOurRow) + nTop;
            if (bOwnLines)
                FUZZ_CHECK(j == nOwn || (nShape == 1 && j == nOwn + base.size()), "a line left in place is its own line",
                           where + "\nrow " + std::to_string(change.nOurRow) + " to " + std::to_string(j));
            continue;
        }
        FUZZ_CHECK(!bOwnLines, "every line is still there: every change is carried", where);
        ++uncarried[t];
        if (change.outcome == CCarriedChange::madeThere)
        {
            FUZZ_CHECK(lostWith.count(r) == 0, "made there too before any with its result is lost", where);
            ++madeThere[r];
        }
        else
        {
            FUZZ_CHECK(change.outcome == CCarriedChange::lost, "carried, made there too, or lost", where);
            ++lostWith[r];
            ++nCountedLost;
        }
    }
    FUZZ_CHECK(nLost == nCountedLost, "the count returned is the changes lost", where);

    std::map<std::string, int> inBase = Counts(base), inTheirs = Counts(theirs), changedOf;
    for (int nRow : changed)
        if (nRow < ours.GetSavedCount())
            ++changedOf[base[static_cast<size_t>(nRow)]];
    for (const auto& text : uncarried)
        FUZZ_CHECK(text.second <= std::max(0, changedOf[text.first] - inTheirs[text.first]),
                   "no more changes on a text go uncarried than ours changed more lines of it than theirs holds",
                   where + "\ntext " + text.first);
    for (const auto& text : madeThere)
        FUZZ_CHECK(text.second <= std::max(0, inTheirs[text.first] - inBase[text.first]),
                   "each extra copy of a result answers one change", where + "\ntext " + text.first);
    for (const auto& text : lostWith)
        FUZZ_CHECK(madeThere[text.first] == std::max(0, inTheirs[text.first] - inBase[text.first]),
                   "a change is lost only once the extra copies of its result are used up",
                   where + "\ntext " + text.first);

    FUZZ_CHECK(after.size() == theirs.size() + (ourTexts.size() - base.size()), "theirs' rows and ours' added ones",
               where);
    for (size_t j = 0; j < theirs.size() && j < after.size(); ++j)
        FUZZ_CHECK(received[j] || after[j] == theirs[j], "a row of theirs no change reached stays as it was",
                   where + "\nrow " + std::to_string(j));
    return 0;
}
