#include "hosts/follow/CarryChanges.h"

#include "tests/support/TempFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

Lines Texts(const CEntryList& list)
{
    Lines texts;
    for (int n = 0; n < list.GetCount(); ++n)
        texts.emplace_back(list.GetTextString(n).c_str());
    return texts;
}

void Load(CEntryList& list, const std::string& bytes)
{
    CTempFile file(bytes);
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path()));
}

void Set(CEntryList& list, int nRow, bool bComment)
{
    bool bChanged;
    ASSERT_TRUE(bComment ? list.Comment(nRow, &bChanged) : list.Uncomment(nRow, &bChanged));
    ASSERT_TRUE(bChanged);
}
}

TEST(CarryChanges, KeepsTheUsersChangesWhereTheOtherProgramLeftTheLinesAlone)
{
    CEntryList ours;
    Load(ours, "127.0.0.1 a\r\n127.0.0.1 b\r\n# 127.0.0.1 c\r\n127.0.0.1 d\r\n");
    Set(ours, 0, true);   // their line too
    Set(ours, 1, true);   // they change it
    Set(ours, 2, false);  // they remove it
    Set(ours, 3, true);   // they make the same change
    ASSERT_TRUE(ours.Append(CString("0.0.0.0 added.example")));

    CEntryList theirs;
    Load(theirs, "10.0.0.1 vpn.example\n127.0.0.1 a\n127.0.0.1 b2\n# 127.0.0.1 d\n");
    EXPECT_EQ(2, CarryChanges(ours, theirs));
    EXPECT_EQ((Lines{"10.0.0.1 vpn.example", "# 127.0.0.1 a", "127.0.0.1 b2", "# 127.0.0.1 d",
                     "0.0.0.0 added.example"}),
              Texts(theirs));
    EXPECT_TRUE(theirs.HasChanges());

    // With nothing of ours left to carry, the list is what the file holds.
    CEntryList clean;
    Load(clean, "127.0.0.1 a\r\n");
    CEntryList again;
    Load(again, "127.0.0.1 a\r\n# 127.0.0.1 e\r\n");
    EXPECT_EQ(0, CarryChanges(clean, again));
    EXPECT_FALSE(again.HasChanges());
}

TEST(CarryChanges, CarriesEditsRemovalsAndRowsPutInWhereTheirLinesStillAre)
{
    // The user's steps on the file "a b c" (or longer), in order, then
    // another program's version: what the list holds after carrying, how
    // many changes were lost, and what became of each.
    struct CStep
    {
        char chWhat;  // 'e' edit to pszText, 'r' remove, 'i' put pszText in before the row
        int nRow;
        const char* pszText;
    };
    using Told = std::tuple<int, int, CCarriedChange::Outcome, int>;  // nLine, nOurRow, outcome, nTheirRow
    const CCarriedChange::Outcome carried = CCarriedChange::carried, there = CCarriedChange::madeThere,
                                  lost = CCarriedChange::lost, added = CCarriedChange::added;
    const struct
    {
        const char* pszName;
        Lines base;
        std::vector<CStep> steps;
        Lines theirs;
        int nLost;
        Lines after;
        std::vector<Told> told;
    } kCases[] = {
        {"a line of theirs at the top: an edit and a removal are carried",
         {"a", "b", "c"}, {{'e', 0, "a2"}, {'r', 2, ""}}, {"top", "a", "b", "c"},
         0, {"top", "a2", "b"}, {Told{0, 0, carried, 1}, Told{2, -1, carried, 3}}},
        {"a removal theirs made too",
         {"a", "b", "c"}, {{'r', 1, ""}}, {"a", "c", "d"},
         0, {"a", "c", "d"}, {Told{1, -1, there, -1}}},
        {"an edit of a line theirs changed",
         {"a", "b", "c"}, {{'e', 1, "b2"}}, {"a", "bX", "c"},
         1, {"a", "bX", "c"}, {Told{1, 1, lost, -1}}},
        {"an edit of a line theirs changed into its result",
         {"a", "b", "c"}, {{'e', 1, "b2"}}, {"a", "b2", "c"},
         0, {"a", "b2", "c"}, {Told{1, 1, there, -1}}},
        {"rows put in at the top, after a removed row's neighbour and at the end",
         {"a", "b", "c"}, {{'r', 1, ""}, {'i', 1, "n"}, {'i', 0, "first"}, {'i', 4, "z"}},
         {"top", "a", "b", "c", "end"},
         0, {"first", "top", "a", "n", "c", "end", "z"},
         {Told{1, -1, carried, 2}, Told{-1, 0, added, 0}, Told{-1, 2, added, 3}, Told{-1, 4, added, 6}}},
        {"a row put in after a line that another program moved",
         {"a", "b", "c", "d"}, {{'i', 1, "n"}}, {"b", "c", "a", "d"},
         0, {"b", "c", "a", "n", "d"}, {Told{-1, 1, added, 3}}},
    };
    auto file = [](const Lines& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        return bytes;
    };
    for (const auto& test : kCases)
    {
        SCOPED_TRACE(test.pszName);
        CEntryList ours, theirs;
        Load(ours, file(test.base));
        for (const CStep& step : test.steps)
            if (step.chWhat == 'e')
                ASSERT_TRUE(ours.SetText(step.nRow, step.pszText, std::strlen(step.pszText)));
            else if (step.chWhat == 'r')
                ASSERT_TRUE(ours.RemoveRows({static_cast<uint32_t>(step.nRow)}));
            else
                ASSERT_TRUE(ours.InsertRow(step.nRow, step.pszText, std::strlen(step.pszText)));
        Load(theirs, file(test.theirs));
        std::vector<CCarriedChange> outcomes;
        EXPECT_EQ(test.nLost, CarryChanges(ours, theirs, nullptr, &outcomes));
        EXPECT_EQ(test.after, Texts(theirs));
        std::vector<Told> told;
        for (const CCarriedChange& outcome : outcomes)
            told.emplace_back(outcome.nLine, outcome.nOurRow, outcome.outcome, outcome.nTheirRow);
        EXPECT_EQ(test.told, told);
    }
}

TEST(CarryChanges, AfterASaveTheBaseIsWhatWasSaved)
{
    // Commented and saved, then uncommented: the change to carry is the
    // uncommenting, made on the line as saved.
    CEntryList ours;
    Load(ours, "127.0.0.1 a\r\n127.0.0.1 b\r\n");
    Set(ours, 0, true);
    ours.MarkSaved();
    EXPECT_FALSE(ours.HasChanges());
    Set(ours, 0, false);
    EXPECT_TRUE(ours.IsChanged(0));
    EXPECT_FALSE(ours.IsChanged(1));

    CEntryList theirs;
    Load(theirs, "# 127.0.0.1 a\r\n127.0.0.1 b\r\n10.0.0.1 vpn.example\r\n");
    EXPECT_EQ(0, CarryChanges(ours, theirs));
    EXPECT_EQ((Lines{"127.0.0.1 a", "127.0.0.1 b", "10.0.0.1 vpn.example"}), Texts(theirs));
}

namespace
{
std::string ReadBlocklist()
{
    std::string bytes;
    std::FILE* pFile = std::fopen(TARNWICK_TEST_DATA "/real-blocklist-hosts.txt", "rb");
    EXPECT_NE(nullptr, pFile);
    if (!pFile)
        return bytes;
    char buffer[4096];
    for (size_t nRead; (nRead = std::fread(buffer, 1, sizeof(buffer), pFile)) > 0;)
        bytes.append(buffer, nRead);
    std::fclose(pFile);
    return bytes;
}

std::string SavedBytes(const CEntryList& list)
{
    std::string bytes;
    list.ForEachSavedPiece([&](const char* pch, size_t nLength) {
        bytes.append(pch, nLength);
        return true;
    });
    return bytes;
}
}

TEST(CarryChanges, KeepsEveryChangeInAListStoredTwiceWhileItsLineIsThere)
{
    // The real blocklist stored twice, and the user comments every 40th
    // entry of one copy; another program writes it twice again with a line
    // at the top and one at the end, or once with a line at the top or at
    // the end. Each changed line is still there: every change is carried,
    // onto a line of its text, and nothing went.
    std::string list = ReadBlocklist();
    ASSERT_GT(list.size(), 1000u);
    if (list.back() != '\n')
        list += "\n";
    const std::string top = "10.8.0.1 vpn.example\r\n", end = "192.168.65.2 host.docker.internal\r\n";
    const struct
    {
        const char* pszName;
        std::string theirs;
    } kVersions[] = {
        {"twice, a line at the top and one at the end", top + list + list + end},
        {"once, a line at the top", top + list},
        {"once, a line at the end", list + end},
    };
    for (const auto& version : kVersions)
        for (int nCopy : {0, 1})
        {
            SCOPED_TRACE(std::string(version.pszName) + (nCopy == 0 ? ", the first copy changed" : ", the second"));
            CEntryList ours;
            Load(ours, list + list);
            const int nRows = ours.GetCount() / 2;
            int nChanged = 0;
            for (int nRow = nCopy * nRows; nRow < (nCopy + 1) * nRows; nRow += 40)
                if (!ours.IsCommented(nRow))
                    Set(ours, nRow, true), ++nChanged;
            ASSERT_GT(nChanged, 10);
            CEntryList theirs;
            Load(theirs, version.theirs);
            const Lines before = Texts(theirs);
            std::vector<CCarriedChange> outcomes;
            CNameCount names;
            EXPECT_EQ(0, CarryChanges(ours, theirs, nullptr, &outcomes, &names));
            EXPECT_EQ(0u, names.nRemoved);
            ASSERT_EQ(static_cast<size_t>(nChanged), outcomes.size());
            for (const CCarriedChange& outcome : outcomes)
            {
                ASSERT_EQ(CCarriedChange::carried, outcome.outcome);
                const std::string line = Texts(ours)[static_cast<size_t>(outcome.nOurRow)].substr(2);
                EXPECT_EQ(line, before[static_cast<size_t>(outcome.nTheirRow)]);
                EXPECT_EQ("# " + line, Texts(theirs)[static_cast<size_t>(outcome.nTheirRow)]);
            }
            // The bytes as loaded are still there, to be kept in a backup.
            EXPECT_EQ(list + list, SavedBytes(ours));
        }
}

TEST(CarryChanges, AddedRowsTakeTheEncodingOfTheNewContent)
{
    // An entry added in the ANSI code page, carried onto content another
    // program made UTF-8; one the ANSI code page cannot spell is lost when
    // carried the other way.
    auto recode = [](const char* pch, size_t nLength, bool bToUtf8, std::string& out) {
        const std::string text(pch, nLength);
        if (bToUtf8 && text == "127.0.0.1 caf\xE9")
            out = "127.0.0.1 caf\xC3\xA9";
        else if (!bToUtf8 && text == "127.0.0.1 caf\xC3\xA9")
            out = "127.0.0.1 caf\xE9";
        else
            return false;
        return true;
    };
    CEntryList ansi;
    Load(ansi, "127.0.0.1 a\r\n");
    ASSERT_TRUE(ansi.Append(CString("127.0.0.1 caf\xE9")));
    ASSERT_TRUE(ansi.Append(CString("127.0.0.1 plain")));
    CEntryList utf8;
    Load(utf8, "# \xE6\x97\xA5\xE6\x9C\xAC\r\n127.0.0.1 a\r\n");
    ASSERT_TRUE(utf8.IsUtf8());
    EXPECT_EQ(0, CarryChanges(ansi, utf8, recode));
    EXPECT_EQ((Lines{"# \xE6\x97\xA5\xE6\x9C\xAC", "127.0.0.1 a", "127.0.0.1 caf\xC3\xA9", "127.0.0.1 plain"}),
              Texts(utf8));

    // Plain ASCII reads the same in either encoding: a UTF-8 list's added
    // rows keep their bytes on it, Cyrillic or not, and it becomes UTF-8.
    CEntryList cyrillic;
    Load(cyrillic, "# \xD0\xB4\xD0\xBE\xD0\xBC\r\n127.0.0.1 a\r\n");
    ASSERT_TRUE(cyrillic.Append(CString("127.0.0.1 \xD0\xBF\xD1\x80\xD0\xB8.example")));
    ASSERT_TRUE(cyrillic.Append(CString("127.0.0.1 b\xC3\xBC" "cher.example")));
    CEntryList ascii;
    Load(ascii, "127.0.0.1 a\r\n");
    ASSERT_FALSE(ascii.IsUtf8());
    EXPECT_EQ(0, CarryChanges(cyrillic, ascii, recode));
    EXPECT_EQ((Lines{"127.0.0.1 a", "127.0.0.1 \xD0\xBF\xD1\x80\xD0\xB8.example", "127.0.0.1 b\xC3\xBC" "cher.example"}),
              Texts(ascii));
    EXPECT_TRUE(ascii.IsUtf8());
    // An ANSI list's rows stay ANSI on it.
    CEntryList ansiAgain;
    Load(ansiAgain, "127.0.0.1 a\r\n");
    ASSERT_TRUE(ansiAgain.Append(CString("127.0.0.1 caf\xE9")));
    CEntryList ascii2;
    Load(ascii2, "127.0.0.1 z\r\n");
    EXPECT_EQ(0, CarryChanges(ansiAgain, ascii2, recode));
    EXPECT_EQ((Lines{"127.0.0.1 z", "127.0.0.1 caf\xE9"}), Texts(ascii2));
    EXPECT_FALSE(ascii2.IsUtf8());

    // Only ANSI text with bytes that are not UTF-8 makes a UTF-8 row
    // convert, and one it cannot spell is lost.
    CEntryList mine;
    Load(mine, "# \xC3\xA9t\xC3\xA9\r\n");
    ASSERT_TRUE(mine.Append(CString("127.0.0.1 \xE6\x97\xA5")));
    CEntryList theirs;
    Load(theirs, "# caf\xE9\r\n");
    EXPECT_EQ(1, CarryChanges(mine, theirs, recode));
    EXPECT_EQ((Lines{"# caf\xE9"}), Texts(theirs));

    // So it is with edits carried: converted, or lost with their line left
    // as theirs holds it.
    CEntryList edited;
    Load(edited, "# \xC3\xA9t\xC3\xA9\r\n127.0.0.1 a\r\n127.0.0.1 b\r\n");
    ASSERT_TRUE(edited.SetText(1, "127.0.0.1 caf\xC3\xA9", 15));
    ASSERT_TRUE(edited.SetText(2, "127.0.0.1 \xE6\x97\xA5", 13));
    CEntryList edits;
    Load(edits, "# caf\xE9\r\n127.0.0.1 a\r\n127.0.0.1 b\r\n");
    std::vector<CCarriedChange> outcomes;
    EXPECT_EQ(1, CarryChanges(edited, edits, recode, &outcomes));
    EXPECT_EQ((Lines{"# caf\xE9", "127.0.0.1 caf\xE9", "127.0.0.1 b"}), Texts(edits));
    ASSERT_EQ(2u, outcomes.size());
    EXPECT_EQ(CCarriedChange::carried, outcomes[0].outcome);
    EXPECT_EQ(1, outcomes[0].nTheirRow);
    EXPECT_EQ(CCarriedChange::lost, outcomes[1].outcome);
    EXPECT_EQ(-1, outcomes[1].nTheirRow);
}

TEST(CarryChanges, FindsTheChangedLinesOfAReorderedFileAndCountsWhatWentWithOrWithoutRepeats)
{
    // The real blocklist reversed by another program, which also removed
    // three entries. The user commented every 97th entry (each once in the
    // file), and in the second round also one copy of its one repeated entry.
    CEntryList probe;
    Load(probe, ReadBlocklist());
    const Lines lines = Texts(probe);
    std::map<std::string, int> copies;
    for (const std::string& line : lines)
        ++copies[line];
    std::vector<int> changed, removed;
    for (int nRow = 0; nRow < probe.GetCount(); ++nRow)
        if (!probe.IsCommented(nRow) && copies[lines[nRow]] == 1 && lines[nRow].compare(0, 8, "0.0.0.0 ") == 0)
            (nRow % 97 == 0 ? changed : removed).push_back(nRow);
    removed.resize(3);
    Lines after(lines.rbegin(), lines.rend());
    for (int nRow : removed)
        after.erase(std::find(after.begin(), after.end(), lines[nRow]));
    std::string afterBytes;
    for (const std::string& line : after)
        afterBytes += line + "\r\n";
    const int nRepeated = static_cast<int>(std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
                                               return copies[line] == 2 && !line.empty();
                                           }) - lines.begin());
    ASSERT_LT(nRepeated, probe.GetCount());
    ASSERT_GT(changed.size(), 10u);
    // The removed entries' names that no other entry line maps, active or
    // commented: every word after an address.
    std::map<std::string, int> mapped;
    for (const std::string& line : after)
    {
        std::istringstream words(line.substr(line.find_first_not_of("# \t") == std::string::npos
                                                  ? line.size()
                                                  : line.find_first_not_of("# \t")));
        std::string word;
        if (!(words >> word) || word.find_first_not_of("0123456789.:abcdef") != std::string::npos)
            continue;
        while (words >> word && word[0] != '#')
            ++mapped[word];
    }
    size_t nNamesGone = 0;
    for (int nRow : removed)
        nNamesGone += mapped.count(lines[nRow].substr(8)) ? 0 : 1;
    ASSERT_GT(nNamesGone, 0u);

    for (bool bRepeated : {false, true})
    {
        SCOPED_TRACE(bRepeated ? "with a repeated line" : "unique lines only");
        CEntryList ours, theirs;
        Load(ours, ReadBlocklist());
        for (int nRow : changed)
            Set(ours, nRow, true);
        if (bRepeated)
            Set(ours, nRepeated, true);
        Load(theirs, afterBytes);
        CNameCount names, carrying;
        ASSERT_TRUE(CountRemovedNames(ours, theirs, names));
        EXPECT_EQ(nNamesGone, names.nRemoved);
        std::vector<CCarriedChange> outcomes;
        EXPECT_EQ(0, CarryChanges(ours, theirs, nullptr, &outcomes, &carrying));
        EXPECT_EQ(nNamesGone, carrying.nRemoved);
        ASSERT_EQ(changed.size() + (bRepeated ? 1 : 0), outcomes.size());
        for (const CCarriedChange& outcome : outcomes)
        {
            const std::string& line = lines[static_cast<size_t>(outcome.nOurRow)];
            ASSERT_EQ(CCarriedChange::carried, outcome.outcome) << line;
            EXPECT_EQ(line, after[static_cast<size_t>(outcome.nTheirRow)]);
            EXPECT_EQ("# " + line, Texts(theirs)[static_cast<size_t>(outcome.nTheirRow)]);
        }
    }
}
