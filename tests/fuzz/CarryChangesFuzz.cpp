// A file as loaded (the base) made of a few distinct lines repeated in
// stretches of up to 30,000 lines, now and then with lines of their own
// among them, and now and then stored twice; random changes of the user's
// (ours): rows commented, uncommented, edited (to a text theirs may hold
// more copies of) or removed, singly, every k-th in a range or on every row,
// so that tens of thousands of changed rows share a text (a table that slows
// with copies of one key runs past the time allowed an input), and rows put
// in anywhere; and another program's version of it (theirs): stretches kept,
// dropped, added or changed, and now and then the whole file reversed,
// rotated, stored twice or once where the base held it twice, with lines
// added at the top and the end.
//
// Carrying ours onto theirs obeys, for every text, by counting:
// - each change is carried, made there too, or lost, exactly one of them; a
//   removal is never lost;
// - a carried change goes to a row of theirs that held its line's text, one
//   change a row, and that row then shows the change's result, or is gone;
// - at most as many changes on lines of text t go uncarried as ours changed
//   more lines of text t than theirs holds;
// - at most as many edits with result r count as made there too as theirs
//   holds more copies of r than the base, and one with result r is lost only
//   once those are used up;
// - every other row of theirs stays as it was, in its order; the rows ours
//   put in follow, in ours' order, each after the rows of theirs that the
//   rows of ours before it with a line matched (checked where those matches
//   are known here: a carried change's row, the one copy of a line held once
//   on each side), at the top without one, after theirs' last row when no
//   row of ours after it has a line.
// Where theirs is the base with lines only added at the top and the end (or
// stored twice between them), every change is carried to its own line (in
// either copy), and once, every row put in follows its neighbour's own line.
#include "FuzzCheck.h"
#include "hosts/document/EntryList.h"
#include "hosts/follow/CarryChanges.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
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

// What an edit makes of a row, and of a line of theirs: one of the lines
// above, a text of its own, or one of the first few lines held once.
std::string Result(unsigned n)
{
    return n % 12 < 8 ? Distinct(n) : n % 12 < 11 ? "E" + std::to_string(n % 4) : "U" + std::to_string(n / 12 % 8);
}

// Stretches of one line repeated, of lines taken in turn from a few, or
// (where a stretch's kinds are 4) of lines each held once, numbered on from
// nUnique.
Lines Stretches(CBytes& bytes, unsigned nStretches, unsigned& nUnique)
{
    Lines lines;
    for (unsigned n = 0; n < nStretches; ++n)
    {
        unsigned nLength = bytes.Next();
        if (nLength > 250)
            nLength = (nLength - 250) * 6000;  // up to 30,000
        unsigned nFirst = bytes.Next(), nKinds = 1 + bytes.Next() % 4;
        for (unsigned k = 0; k < nLength; ++k)
            lines.push_back(nKinds == 4 ? "U" + std::to_string(nUnique++) : Distinct(nFirst + k % nKinds));
    }
    return lines;
}

using Tally = std::unordered_map<std::string, int>;

Tally Counts(const Lines& lines)
{
    Tally counts;
    for (const std::string& line : lines)
        ++counts[line];
    return counts;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CBytes bytes(pData, nSize);
    unsigned nUnique = 0;
    Lines base = Stretches(bytes, bytes.Next() % 6, nUnique);
    const bool bTwice = bytes.Next() % 4 == 0;
    if (bTwice)
    {
        const Lines once = base;
        base.insert(base.end(), once.begin(), once.end());
    }
    CEntryList ours;
    Load(ours, File(base));

    // Ours: rows commented, uncommented, edited or removed, singly or every
    // k-th in a range, rows put in; then every row changed, now and then,
    // and a few rows appended.
    for (unsigned nEdits = bytes.Next() % 8; nEdits > 0; --nEdits)
    {
        const unsigned nWhat = bytes.Next() % 5, nCount = static_cast<unsigned>(ours.GetCount());
        const unsigned nFirst = (bytes.Next() << 8 | bytes.Next()) % (nCount + 1);
        const unsigned nStep = 1 + bytes.Next() % 50, nTimes = 1 + bytes.Next() % 40;
        const std::string text = nWhat == 4 ? "A" + std::to_string(nEdits) : Result(bytes.Next());
        if (nWhat == 4)
        {
            FUZZ_CHECK(ours.InsertRow(static_cast<int>(nFirst), text.data(), text.size()), "a row is put in", "");
            continue;
        }
        std::vector<uint32_t> rows;
        for (unsigned nRow = nFirst, k = 0; nRow < nCount && k < nTimes; nRow += nStep, ++k)
            rows.push_back(nRow);
        bool bChanged;
        for (uint32_t nRow : rows)
            FUZZ_CHECK(nWhat == 0   ? ours.Comment(static_cast<int>(nRow), &bChanged)
                       : nWhat == 1 ? ours.Uncomment(static_cast<int>(nRow), &bChanged)
                       : nWhat == 2 ? ours.SetText(static_cast<int>(nRow), text.data(), text.size())
                                    : true,
                       "a change is stored", "");
        if (nWhat == 3)
            FUZZ_CHECK(ours.RemoveRows(rows), "rows are removed", "");
    }
    const unsigned nEveryRow = bytes.Next() % 6;
    const std::string everyText = Result(bytes.Next());
    std::vector<uint32_t> everyOther;
    for (int nRow = 0; nEveryRow >= 2 && nRow < ours.GetCount(); ++nRow)
    {
        bool bChanged;
        FUZZ_CHECK(nEveryRow == 2   ? ours.Comment(nRow, &bChanged)
                   : nEveryRow == 3 ? ours.Uncomment(nRow, &bChanged)
                   : nEveryRow == 4 ? ours.SetText(nRow, everyText.data(), everyText.size())
                                    : true,
                   "a change is stored", "");
        if (nEveryRow == 5 && nRow % 2 == 0)
            everyOther.push_back(static_cast<uint32_t>(nRow));
    }
    FUZZ_CHECK(ours.RemoveRows(everyOther), "rows are removed", "");
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
                Lines more = Stretches(bytes, 1, nUnique);
                theirs.insert(theirs.end(), more.begin(), more.end());
            }
            for (size_t k = n; k < n + nLength; ++k)
                if (nWhat == 1)
                    continue;
                else if (nWhat == 2)
                    theirs.push_back(Result(bytes.Next()));
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

    // The changes: each line of the base that no row is any more, or whose
    // row holds another text, in the base's order; then the rows put in.
    std::vector<int> rowOf(base.size(), -1), changed, put;
    int nLastLineRow = -1;
    for (int nRow = 0; nRow < ours.GetCount(); ++nRow)
        if (ours.GetLine(nRow) >= 0)
            rowOf[static_cast<size_t>(ours.GetLine(nRow))] = nLastLineRow = nRow;
        else
            put.push_back(nRow);
    for (size_t nLine = 0; nLine < base.size(); ++nLine)
        if (rowOf[nLine] < 0 || ourTexts[static_cast<size_t>(rowOf[nLine])] != base[nLine])
            changed.push_back(static_cast<int>(nLine));
    FUZZ_CHECK(outcomes.size() == changed.size() + put.size(), "one outcome a change", where);

    std::map<std::string, int> uncarried, madeThere, lostWith;
    std::vector<int> carriedTo(base.size(), -1);  // per line of the base
    std::vector<bool> received(theirs.size(), false);
    int nCountedLost = 0;
    for (size_t n = 0; n < changed.size(); ++n)
    {
        const CCarriedChange& change = outcomes[n];
        const size_t nLine = static_cast<size_t>(changed[n]);
        FUZZ_CHECK(change.nLine == changed[n] && change.nOurRow == rowOf[nLine], "outcomes in the base's order",
                   where);
        const std::string& t = base[nLine];
        const bool bRemoved = change.nOurRow < 0;
        const std::string r = bRemoved ? std::string() : ourTexts[static_cast<size_t>(change.nOurRow)];
        FUZZ_CHECK((change.outcome == CCarriedChange::carried) == (change.nTheirRow >= 0),
                   "a row of theirs only for a change carried", where);
        if (change.outcome == CCarriedChange::carried)
        {
            size_t j = static_cast<size_t>(change.nTheirRow);
            FUZZ_CHECK(j < theirs.size() && !received[j], "a carried change goes to its own row of theirs", where);
            received[j] = true;
            carriedTo[nLine] = change.nTheirRow;
            FUZZ_CHECK(theirs[j] == t, "a change is carried to a line of its text", where + "\nrow " + std::to_string(j));
            // Stored twice, either copy of a line is its own.
            const size_t nOwn = nLine + nTop;
            if (bOwnLines)
                FUZZ_CHECK(j == nOwn || (nShape == 1 && j == nOwn + base.size()), "a line left in place is its own line",
                           where + "\nline " + std::to_string(nLine) + " to " + std::to_string(j));
            continue;
        }
        FUZZ_CHECK(!bOwnLines, "every line is still there: every change is carried", where);
        ++uncarried[t];
        if (bRemoved)
        {
            FUZZ_CHECK(change.outcome == CCarriedChange::madeThere, "a removal whose line is gone was made there too",
                       where);
        }
        else if (change.outcome == CCarriedChange::madeThere)
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

    Tally inBase = Counts(base), inTheirs = Counts(theirs), changedOf;
    for (int nLine : changed)
        ++changedOf[base[static_cast<size_t>(nLine)]];
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

    // Theirs' rows as they are now: each as it came or with the change
    // carried to it, those whose line ours removed gone.
    std::vector<std::string> fate(theirs);
    std::vector<bool> gone(theirs.size(), false);
    for (size_t nLine = 0; nLine < base.size(); ++nLine)
        if (carriedTo[nLine] >= 0)
        {
            const size_t j = static_cast<size_t>(carriedTo[nLine]);
            if (rowOf[nLine] < 0)
                gone[j] = true;
            else
                fate[j] = ourTexts[static_cast<size_t>(rowOf[nLine])];
        }
    std::vector<size_t> kept;  // the rows of theirs as it came that stay
    for (size_t j = 0; j < theirs.size(); ++j)
        if (!gone[j])
            kept.push_back(j);

    // Where each row put in goes, as far as known here: after how many rows
    // of theirs as it came at least, and whether exactly.
    std::unordered_map<std::string, size_t> onlyCopy;  // of each text theirs holds once
    for (size_t j = 0; j < theirs.size() && !put.empty(); ++j)
        if (inTheirs[theirs[j]] == 1)
            onlyCopy[theirs[j]] = j;
    // Those after ours' last row with a line follow theirs' last row.
    std::vector<std::pair<size_t, bool>> placeOf(ourTexts.size(), std::make_pair(theirs.size(), true));
    size_t nPlace = 0;
    bool bExact = true;
    for (int nRow = 0; nRow <= nLastLineRow && !put.empty(); ++nRow)
    {
        const int nLine = ours.GetLine(nRow);
        if (nLine < 0)
        {
            placeOf[static_cast<size_t>(nRow)] = std::make_pair(nPlace, bExact);
            continue;
        }
        const std::string& t = base[static_cast<size_t>(nLine)];
        long long nMatch = -1;
        if (carriedTo[static_cast<size_t>(nLine)] >= 0)
            nMatch = carriedTo[static_cast<size_t>(nLine)];
        else if (ourTexts[static_cast<size_t>(nRow)] != t)
            continue;  // a change not carried: its line is not there
        else if (bOwnLines && nShape == 0)
            nMatch = nLine + nTop;
        else if (inBase[t] == 1 && inTheirs[t] == 1)
            nMatch = static_cast<long long>(onlyCopy[t]);
        else
            bExact = false;
        nPlace = std::max(nPlace, static_cast<size_t>(nMatch + 1));
    }

    FUZZ_CHECK(after.size() == kept.size() + put.size(), "theirs' rows that stay and ours' rows put in", where);
    std::vector<int> putAt(after.size(), -1);  // the row of ours each row of the result is, if put in
    std::vector<bool> told(ourTexts.size(), false);
    for (size_t n = changed.size(); n < outcomes.size(); ++n)
    {
        const CCarriedChange& change = outcomes[n];
        FUZZ_CHECK(change.nLine == -1 && change.outcome == CCarriedChange::added && change.nOurRow >= 0 &&
                       static_cast<size_t>(change.nOurRow) < ourTexts.size() &&
                       ours.GetLine(change.nOurRow) < 0 && !told[static_cast<size_t>(change.nOurRow)],
                   "each row put in is told once, as added", where);
        FUZZ_CHECK(change.nTheirRow >= 0 && static_cast<size_t>(change.nTheirRow) < after.size() &&
                       (n == changed.size() || change.nTheirRow > outcomes[n - 1].nTheirRow),
                   "rows put in are told in the order they go into theirs", where);
        told[static_cast<size_t>(change.nOurRow)] = true;
        putAt[static_cast<size_t>(change.nTheirRow)] = change.nOurRow;
        FUZZ_CHECK(after[static_cast<size_t>(change.nTheirRow)] == ourTexts[static_cast<size_t>(change.nOurRow)],
                   "a row put in shows its text", where + "\nrow " + std::to_string(change.nOurRow));
    }
    size_t nKept = 0;
    int nLastRow = -1;
    for (size_t p = 0; p < after.size(); ++p)
    {
        const int nRow = putAt[p];
        if (nRow < 0)
        {
            FUZZ_CHECK(nKept < kept.size() && after[p] == fate[kept[nKept]],
                       "every other row of theirs stays as it was, in its order", where + "\nrow " + std::to_string(p));
            ++nKept;
            continue;
        }
        FUZZ_CHECK(nRow > nLastRow, "rows put in keep ours' order", where);
        nLastRow = nRow;
        const std::pair<size_t, bool> place = placeOf[static_cast<size_t>(nRow)];
        const size_t nBefore =
            static_cast<size_t>(std::lower_bound(kept.begin(), kept.end(), place.first) - kept.begin());
        FUZZ_CHECK(place.second ? nKept == nBefore : nKept >= nBefore,
                   "a row put in goes after the rows of theirs that ours' rows before it are",
                   where + "\nrow " + std::to_string(nRow) + " after " + std::to_string(place.first) + " at " +
                       std::to_string(p));
    }
    return 0;
}
