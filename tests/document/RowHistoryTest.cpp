#include "hosts/document/EntryList.h"

#include "tests/document/EntryListHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{
// The file as last loaded or saved, as the list holds it.
std::string SavedFile(const CEntryList& list)
{
    std::string bytes;
    list.ForEachSavedPiece([&](const char* pch, size_t nLength) {
        bytes.append(pch, nLength);
        return true;
    });
    return bytes;
}

// A save's bytes, loaded, give the rows the list shows, with blank lines
// where it shows them.
void ExpectSavedAsShown(const CEntryList& list)
{
    CEntryList reloaded;
    ASSERT_EQ(CEntryList::loaded, LoadBytes(reloaded, Saved(list)));
    ASSERT_EQ(Texts(list), Texts(reloaded));
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        EXPECT_EQ(reloaded.FollowsBlankLine(nRow), list.FollowsBlankLine(nRow)) << "row " << nRow;
}

// Runs commands on the list, separated by "|": "#n" comments row n, "!n"
// uncomments it, "=n text" gives it that text, "+n text" puts in a row
// before row n, "-n,m" removes rows n and m; "S" saves, "U" undoes, "R"
// redoes. The commands between two of those are one step. The pick of the
// last undo or redo.
CRowHistory::Pick Perform(CEntryList& list, const std::string& script)
{
    CRowHistory::Pick pick;
    list.BeginStep();
    for (size_t nStart = 0; nStart < script.size();)
    {
        const size_t nEnd = std::min(script.find('|', nStart), script.size());
        const std::string op = script.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        char* pEnd;
        const int nRow = static_cast<int>(std::strtol(op.c_str() + 1, &pEnd, 10));
        const std::string text = *pEnd ? pEnd + 1 : "";
        std::vector<uint32_t> rows{static_cast<uint32_t>(nRow)};
        while (*pEnd == ',')
            rows.push_back(static_cast<uint32_t>(std::strtol(pEnd + 1, &pEnd, 10)));
        bool bChanged = true;
        bool bDone;
        switch (op[0])
        {
        case '#': bDone = list.Comment(nRow, &bChanged); break;
        case '!': bDone = list.Uncomment(nRow, &bChanged); break;
        case '=': bDone = list.SetText(nRow, text.data(), text.size()); break;
        case '+': bDone = list.InsertRow(nRow, text.data(), text.size()); break;
        case '-': bDone = list.RemoveRows(rows); break;
        default:
            list.EndStep();
            bDone = op == "S" ? list.MarkSaved() : op == "U" ? list.Undo(pick) : list.Redo(pick);
            list.BeginStep();
        }
        EXPECT_TRUE(bDone && bChanged) << op;
    }
    list.EndStep();
    return pick;
}

// One random command on random rows; whether it changed any.
bool RandomCommand(CEntryList& list, std::mt19937& random, int& nNew)
{
    const unsigned nCount = static_cast<unsigned>(list.GetCount());
    const unsigned nOp = nCount == 0 ? 0 : random() % 6;
    const int nRow = static_cast<int>(nCount == 0 ? 0 : random() % nCount);
    // Texts no row had before, some of them comments.
    const std::string text = (random() % 2 ? "# " : "") + "0.0.0.0 new"s + std::to_string(nNew++);
    bool bChanged = true;
    if (nOp == 0)
        EXPECT_TRUE(list.InsertRow(static_cast<int>(random() % (nCount + 1)), text.data(), text.size()));
    else if (nOp == 1)
        EXPECT_TRUE(list.SetText(nRow, text.data(), text.size()));
    else if (nOp == 2 || nOp == 3)
        EXPECT_TRUE(nOp == 2 ? list.Comment(nRow, &bChanged) : list.Uncomment(nRow, &bChanged));
    else if (nOp == 4)
    {
        std::vector<uint32_t> rows;
        for (unsigned n = 0; n < nCount; ++n)
            if (n == static_cast<unsigned>(nRow) || random() % 4 == 0)
                rows.push_back(n);
        EXPECT_TRUE(list.RemoveRows(rows));
    }
    else
    {
        // Every row, as "Comment Selected" with all selected does.
        const bool bComment = random() % 2 != 0;
        bChanged = false;
        for (int n = 0; n < list.GetCount(); ++n)
        {
            bool bThis = false;
            EXPECT_TRUE(bComment ? list.Comment(n, &bThis) : list.Uncomment(n, &bThis));
            bChanged = bChanged || bThis;
        }
    }
    return bChanged;
}
}

TEST(RowHistory, UndoingEveryStepGivesTheFileBackAndRedoDoesEachStepAgain)
{
    // Blank lines, CR LF and LF ends, no final line end, a byte-order mark,
    // a Ctrl-Z tail, blank lines first and last, a NUL and the rest of its
    // line, a lone CR, nothing at all.
    const std::string files[] = {
        "# hosts\r\n127.0.0.1 localhost\n\n0.0.0.0 ads.example\r\n\r\n#0.0.0.0 off.example\n0.0.0.0 last",
        "\xEF\xBB\xBF" "a.example\n#  b.example\r\n\r\n\r\n\t  c.example\r\n\x1A" "after\r\n",
        "\r\n\none\0rest\n\n\ntwo\rthree\r\n\n  "s,
        ""};
    std::mt19937 random(20240611);
    int nNew = 0;
    for (int nRun = 0; nRun < 240; ++nRun)
    {
        const std::string& file = files[nRun % 4];
        SCOPED_TRACE("run " + std::to_string(nRun));
        CEntryList list;
        ASSERT_EQ(CEntryList::loaded, LoadBytes(list, file));
        std::vector<Lines> rows{Texts(list)};  // before each step, and after the last
        // Every third run saves once on the way.
        const size_t nSaveAt = nRun % 3 == 0 ? random() % 8 : static_cast<size_t>(-1);
        size_t nSaved = 0;  // steps before the save
        std::string saved = file;
        for (int nCommand = 0; nCommand < 8; ++nCommand)
        {
            if (rows.size() - 1 == nSaveAt && saved == file)
            {
                nSaved = nSaveAt;
                saved = Saved(list);
                ASSERT_TRUE(list.MarkSaved());
                EXPECT_EQ(saved, SavedFile(list));
                EXPECT_EQ(saved, Saved(list));
                EXPECT_FALSE(list.HasChanges());
            }
            // Now and then the last step undone first: a new step drops it,
            // no step leaves it to be redone.
            CRowHistory::Pick pick;
            Lines undone;
            const bool bUndone = rows.size() - 1 > nSaved && random() % 4 == 0;
            if (bUndone)
            {
                ASSERT_TRUE(list.Undo(pick));
                undone = rows.back();
                rows.pop_back();
            }
            // A command of one to three parts; some are given up.
            list.BeginStep();
            bool bChanged = false;
            for (unsigned nPart = 1 + random() % 3; nPart-- > 0;)
                bChanged = RandomCommand(list, random, nNew) || bChanged;
            const bool bGivenUp = random() % 8 == 0;
            if (bGivenUp)
            {
                list.CancelStep();
                ASSERT_EQ(rows.back(), Texts(list)) << "a step given up leaves the rows as they were";
            }
            else
            {
                list.EndStep();
            }
            if (bGivenUp || !bChanged)
            {
                if (bUndone)
                {
                    ASSERT_TRUE(list.Redo(pick));
                    ASSERT_EQ(undone, Texts(list));
                    rows.push_back(undone);
                }
                continue;
            }
            const Lines now = Texts(list);
            const std::string bytes = Saved(list);
            EXPECT_EQ(now != rows[nSaved], list.HasChanges());
            ExpectSavedAsShown(list);
            EXPECT_FALSE(list.CanRedo()) << "a new step leaves nothing to redo";
            ASSERT_TRUE(list.Undo(pick));
            ASSERT_EQ(rows.back(), Texts(list));
            ASSERT_EQ(static_cast<size_t>(list.GetCount()), pick.rows.size());
            ASSERT_TRUE(list.Redo(pick));
            ASSERT_EQ(now, Texts(list));
            EXPECT_EQ(bytes, Saved(list)) << "redone, the rows are those the step made";
            rows.push_back(now);
        }
        const Lines last = rows.back();
        CRowHistory::Pick pick;
        for (size_t n = rows.size() - 1; n-- > 0;)
        {
            ASSERT_TRUE(list.Undo(pick));
            ASSERT_EQ(rows[n], Texts(list)) << "undone back to step " << n;
            if (n == nSaved)
            {
                EXPECT_FALSE(list.HasChanges());
                EXPECT_EQ(saved, Saved(list));
            }
        }
        EXPECT_FALSE(list.CanUndo());
        EXPECT_EQ(rows[0] != rows[nSaved], list.HasChanges());
        // Saved again: a file of the rows as loaded, the list's file now.
        const std::string again = Saved(list);
        ExpectSavedAsShown(list);
        ASSERT_TRUE(list.MarkSaved());
        EXPECT_EQ(again, SavedFile(list));
        EXPECT_FALSE(list.HasChanges());
        while (list.CanRedo())
            ASSERT_TRUE(list.Redo(pick));
        EXPECT_EQ(last, Texts(list));
        ExpectSavedAsShown(list);
        while (list.CanUndo())
            ASSERT_TRUE(list.Undo(pick));
        EXPECT_FALSE(list.HasChanges());
        EXPECT_EQ(again, Saved(list));
        if (nSaveAt == static_cast<size_t>(-1))
        {
            EXPECT_EQ(file, again);
        }
    }
}

TEST(RowHistory, ASaveWritesEditsWhereTheLinesWereAndNewRowsWhereTheyStand)
{
    const struct
    {
        std::string file;
        const char* pszScript;
        std::string expected;
    } cases[] = {
        // Three lines go with their line ends; the blank lines and the rest
        // stay as they were.
        {"a\r\n\r\nb\n  c\r\n\n\td\r\ne\n\nf", "-1,2,5", "a\r\n\r\n\n\td\r\ne\n\n"},
        {"\xEF\xBB\xBF" "# a\r\n\r\nb\r\n", "-0", "\xEF\xBB\xBF\r\nb\r\n"},
        {"\xEF\xBB\xBF" " a\r\n\r\nb", "-0,1", "\xEF\xBB\xBF\r\n"},
        {"a\0rest\r\nb\n"s, "-0", "b\n"},
        {"a\0rest\r\nb\n"s, "=0 x", "x\0rest\r\nb\n"s},
        // An edit keeps the indentation, the line end and the blank lines.
        {"a\n\t b  \r\n\r\nc", "=1 x", "a\n\t x\r\n\r\nc"},
        {"a\r\nb", "=1 z|#0", "# a\r\nz"},
        // A new row right after the line before it, ended as that line is.
        {"a\r\nb\n\r\nc\r\n", "+2 n", "a\r\nb\nn\n\r\nc\r\n"},
        {"a\nb\r\nc\n", "-1|+1 n", "a\nn\nc\n"},
        {"\xEF\xBB\xBF\na\n", "+0 n", "\xEF\xBB\xBF" "n\r\n\na\n"},
        // After the last line: after the blank lines there, before a Ctrl-Z.
        {"a\nb", "+2 n", "a\nb\r\nn\r\n"},
        {"a\n\r\n\x1A" "t", "+1 n|+2 m", "a\n\r\nn\nm\n\x1A" "t"},
        {"a\r\nb\n\nc", "-1,2|+1 n", "a\r\n\nn\r\n"},
        {"a\nb", "=1 |+2 n", "a\n\r\nn\r\n"},  // the last line emptied stays a line
        {"a\nb", "=1 |S|+2 n", "a\n\r\nn\r\n"},
        // Undone after a save: a row put back is a new row, one taken out
        // goes whole, an old text replaces the saved one.
        {"a\r\nb\nc\r\n", "-1|S|U", "a\r\nb\r\nc\r\n"},
        {"a\nb\n", "+1 n|S|U", "a\nb\n"},
        {"a\r\n  b\r\n", "=1 x|#0|S|U", "a\r\n  b\r\n"},
        {"a\r\nb\nc", "-1|S|U|S|-2", "a\r\nb\r\n"},
    };
    for (const auto& c : cases)
    {
        CEntryList list;
        ASSERT_EQ(CEntryList::loaded, LoadBytes(list, c.file));
        Perform(list, c.pszScript);
        EXPECT_EQ(c.expected, Saved(list)) << c.pszScript << " on '" << c.file << "'";
    }
}

TEST(RowHistory, UndoAndRedoPickTheRowsTheyTouched)
{
    // On rows a to e: what an undo of the step picks ("x" for a row
    // selected) and focuses, then what a redo does.
    const struct
    {
        const char* pszStep;
        const char* pszUndone;
        int nUndoneFocus;
        const char* pszRedone;
        int nRedoneFocus;
    } cases[] = {
        {"#3|#1", ".x.x.", 1, ".x.x.", 1},
        {"-1,2", ".xx..", 1, ".x.", 1},              // then the row after them
        {"-0,2", "x.x..", 0, ".x.", 1},
        {"-3,4", "...xx", 3, "..x", 2},              // or the new last row
        {"+2 n|+3 m", ".x...", 1, "..xx...", 2},     // the row before rows put in
        {"+0 n", "x....", 0, "x.....", 0},           // or the first
        {"+5 n|=5 m", "....x", 4, ".....x", 5},
        {"=4 x|-0", "x...x", 0, "...x", 3},
        {"=1 x|-1", ".x...", 1, ".x..", 1},
        {"-0,1,2,3,4", "xxxxx", 0, "", -1},
    };
    auto shown = [](const CRowHistory::Pick& pick) {
        std::string rows;
        for (uint8_t nPicked : pick.rows)
            rows += nPicked ? 'x' : '.';
        return rows;
    };
    for (const auto& c : cases)
    {
        CEntryList list;
        ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "a\nb\nc\nd\ne\n"));
        Perform(list, c.pszStep);
        CRowHistory::Pick pick = Perform(list, "U");
        EXPECT_EQ(c.pszUndone, shown(pick)) << c.pszStep;
        EXPECT_EQ(c.nUndoneFocus, pick.nFocus) << c.pszStep;
        pick = Perform(list, "R");
        EXPECT_EQ(c.pszRedone, shown(pick)) << c.pszStep;
        EXPECT_EQ(c.nRedoneFocus, pick.nFocus) << c.pszStep;
    }
}

TEST(RowHistory, AStepCostsTwelveBytesARowChangedAndMemoryShortDropsTheOldestSteps)
{
    std::string file;
    const int nRows = 3000;
    for (int n = 0; n < nRows; ++n)
        file += "0.0.0.0 host" + std::to_string(n) + ".example\r\n";
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, file));
    auto step = [&](bool bComment) {
        list.BeginStep();
        for (int nRow = 0; nRow < nRows; ++nRow)
        {
            bool bChanged;
            if (!(bComment ? list.Comment(nRow, &bChanged) : list.Uncomment(nRow, &bChanged)))
            {
                list.CancelStep();
                return false;
            }
        }
        list.EndStep();
        return true;
    };
    ASSERT_TRUE(step(true));
    const size_t nStep = list.GetHistorySize();
    EXPECT_LE(nStep, 12u * nRows);
    EXPECT_GT(nStep, 0u);
    ASSERT_TRUE(step(false));
    EXPECT_EQ(2 * nStep, list.GetHistorySize());

    // Room for two such steps: a third drops the first, and no row goes.
    struct CLimit
    {
        explicit CLimit(size_t nBytes) { CRowHistory::s_nByteLimitForTesting = nBytes; }
        ~CLimit() { CRowHistory::s_nByteLimitForTesting = static_cast<size_t>(-1); }
    } limit(2 * nStep + nStep / 2);
    ASSERT_TRUE(step(true));
    const Lines commented = Texts(list);
    CRowHistory::Pick pick;
    ASSERT_TRUE(list.Undo(pick));
    ASSERT_TRUE(list.Undo(pick));
    EXPECT_EQ(commented, Texts(list));
    EXPECT_FALSE(list.CanUndo()) << "the first step went to make room";
    ASSERT_TRUE(list.Redo(pick));
    ASSERT_TRUE(list.Redo(pick));

    // A step too big for the room left even alone fails; given up, it
    // leaves every row as it was.
    CRowHistory::s_nByteLimitForTesting = nStep / 2;
    EXPECT_FALSE(step(false));
    EXPECT_EQ(commented, Texts(list));
    EXPECT_EQ(0u, list.GetHistorySize());
    // Another file's rows start a history of their own.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, file));
    EXPECT_FALSE(list.CanUndo() || list.CanRedo());
    EXPECT_EQ(0u, list.GetHistorySize());
}
