#include "hosts/document/EntryList.h"

#include "tests/document/EntryListHelpers.h"
#include "tests/support/CodePage.h"
#include "tests/support/TempFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{
// A file of the tests' own data folder, by its path as this program sees it.
std::string DataPath(const char* pszName)
{
    std::string path = std::string(TARNWICK_TEST_DATA) + "/" + pszName;
#ifdef _WIN32
    // Under Wine the Linux root is drive Z:.
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    path = "Z:" + path;
#endif
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    if (std::FILE* pFile = std::fopen(path.c_str(), "rb"))
    {
        char buffer[4096];
        size_t nRead;
        while ((nRead = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
            bytes.append(buffer, nRead);
        std::fclose(pFile);
    }
    return bytes;
}
}

TEST(EntryList, LoadsTheLinesOfAFileWithTheirStatus)
{
    const std::string bytes = "first\n# second\r\n\r\n  \t#third  \r\nfourth\r\n\x1A" "after";
    CTempFile file(bytes);
    CEntryList list;
    CContentDigest digest;
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path(), &digest));
    EXPECT_EQ((Lines{"first", "# second", "#third  ", "fourth"}), Texts(list));
    EXPECT_EQ((std::vector<bool>{false, true, true, false}), Flags(list));
    EXPECT_TRUE(digest.bPresent);
    EXPECT_EQ(45u, digest.nSize);

    // The digest is of the bytes, however they are fed; one byte more or
    // another letter changes it.
    CContentHash hash;
    hash.Add(bytes.data(), 3);
    hash.Add(bytes.data() + 3, 20);
    hash.Add(bytes.data() + 23, 22);
    EXPECT_EQ(digest, hash.Digest());
    std::string changed = bytes;
    changed[35] = 'F';
    CContentHash other;
    other.Add(changed.data(), changed.size());
    EXPECT_NE(digest, other.Digest());
    other.Add("", 0);
    hash.Add("\n", 1);
    EXPECT_NE(digest, hash.Digest());

    // A second load replaces the rows.
    CTempFile second("only\r\n");
    ASSERT_EQ(CEntryList::loaded, list.Load(second.Path(), &digest));
    EXPECT_EQ((Lines{"only"}), Texts(list));
}

TEST(EntryList, ALoadThatFailsLeavesNoRowsAndAFileThatCannotBeOpenedLeavesThemAsTheyWere)
{
    CTempFile file("a\r\nb\r\nc\r\n");
    CEntryList list;
    CContentDigest digest;
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path(), &digest));

    CContentDigest other;
    EXPECT_EQ(CEntryList::notOpened, list.Load((std::string(file.Path()) + ".missing").c_str(), &other));
    EXPECT_EQ((Lines{"a", "b", "c"}), Texts(list));
    EXPECT_EQ("a\r\nb\r\nc\r\n", Saved(list));
    EXPECT_FALSE(other.bPresent);

    CEntryList::s_nReadLimitForTesting = 4;
    EXPECT_EQ(CEntryList::readFailed, list.Load(file.Path(), &digest));
    CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);
    EXPECT_EQ(0, list.GetCount());
    EXPECT_FALSE(digest.bPresent);
    EXPECT_EQ("", Saved(list));

    CEntryList::s_nRowLimitForTesting = 2;
    EXPECT_EQ(CEntryList::noMemory, list.Load(file.Path()));
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ("", Saved(list));
    CEntryList::s_nRowLimitForTesting = 0;
    EXPECT_FALSE(list.Append("d", 1));
    EXPECT_EQ(0, list.GetCount());
    CEntryList::s_nRowLimitForTesting = static_cast<size_t>(-1);
}

TEST(EntryList, CommentingAndUncommentingEveryRowKeepsTheTextsAndTheMemory)
{
    // Rows with a CR LF, a lone LF, none (the first) and much white space
    // before them; one of them commented with extra white space.
    std::string bytes = "start\n";
    for (int n = 0; n < 3000; ++n)
        bytes += n % 3 == 0 ? "0.0.0.0 a" + std::to_string(n) + ".example\n"
               : n % 3 == 1 ? "#   127.0.0.1 b" + std::to_string(n) + "\r\n"
                            : "\r\n\r\n\t\t0.0.0.0 c" + std::to_string(n) + "\r\n";
    CTempFile file(bytes);
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path()));
    const Lines original = Texts(list);
    ASSERT_EQ(3001u, original.size());

    Lines commented;
    Lines uncommented;
    for (const std::string& text : original)
    {
        bool bCommented = text.compare(0, 1, "#") == 0;
        commented.push_back(bCommented ? text : "# " + text);
        uncommented.push_back(bCommented ? text.substr(text.find_first_not_of(" ", 1)) : text);
    }
    for (int nRound = 0; nRound < 20; ++nRound)
    {
        if (nRound == 1)
            for (size_t n = 0; n < commented.size(); ++n)
                commented[n] = "# " + uncommented[n];
        SetAll(list, true);
        ASSERT_EQ(commented, Texts(list)) << "round " << nRound;
        ASSERT_EQ(std::vector<bool>(3001, true), Flags(list));
        SetAll(list, false);
        ASSERT_EQ(uncommented, Texts(list)) << "round " << nRound;
        ASSERT_EQ(std::vector<bool>(3001, false), Flags(list));
        ASSERT_EQ(bytes.size(), list.GetStoreSize()) << "nothing but the file's bytes, round " << nRound;
    }
}

TEST(EntryList, AppendsRowsAndCommentsThem)
{
    CEntryList list;
    ASSERT_TRUE(list.Append(CString("127.0.0.1 a")));
    ASSERT_TRUE(list.Append(CString("  # b")));
    EXPECT_FALSE(list.IsCommented(0));
    EXPECT_TRUE(list.IsCommented(1));

    // A row's own text, commenting and uncommenting added rows, and an
    // empty text.
    CEntryList::Text text = list.GetText(0);
    ASSERT_TRUE(list.Append(text.pch, text.nLength));
    SetRow(list, 0, true);
    SetRow(list, 1, false);
    ASSERT_TRUE(list.Append("", 0));
    EXPECT_EQ((Lines{"# 127.0.0.1 a", "# b", "127.0.0.1 a", ""}), Texts(list));
    EXPECT_EQ((std::vector<bool>{true, true, false, false}), Flags(list));
    EXPECT_EQ("# 127.0.0.1 a\r\n# b\r\n127.0.0.1 a\r\n\r\n", Saved(list));

    list.Empty();
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0u, list.GetStoreSize());
    EXPECT_EQ("", Saved(list));
}

TEST(EntryList, SavesEveryByteAsReadWhereNoRowChanged)
{
    // Blank and all-white lines, indentation, LF and CR LF ends, a lone CR,
    // a NUL and the rest of its line, a byte-order mark, a Ctrl-Z and what
    // follows it, no final line end.
    const std::string bytes = "\xEF\xBB\xBF# note\n\n   \t\r\n\t127.0.0.1 a\r\n0.0.0.0 b\0rest of b\r\n"
                              "\x00starts with NUL\nc\rd  \r\n\r\n  #e\x1A" "127.0.0.1 after.example\r\n\x1A"s;
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, bytes));
    // The mark is part of no row: the first line is a comment.
    EXPECT_EQ((Lines{"# note", "127.0.0.1 a", "0.0.0.0 b", "", "c\rd  ", "#e"}), Texts(list));
    EXPECT_EQ((std::vector<bool>{true, false, false, false, false, true}), Flags(list));
    EXPECT_EQ(bytes, Saved(list));

    // The real blocklist: LF ends, blank lines, no final line end.
    const std::string blocklist = ReadFile(DataPath("real-blocklist-hosts.txt"));
    ASSERT_EQ(77845u, blocklist.size());
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, blocklist));
    EXPECT_EQ(2419, list.GetCount());
    EXPECT_EQ(blocklist, Saved(list));

    // Every row commented: "# " in front of each line that was not a
    // comment, nothing else; uncommented again: the same bytes.
    const std::vector<bool> before = Flags(list);
    SetAll(list, true);
    std::string expected;
    for (size_t nStart = 0; nStart < blocklist.size();)
    {
        size_t nEnd = blocklist.find('\n', nStart);
        nEnd = nEnd == std::string::npos ? blocklist.size() : nEnd + 1;
        if (blocklist[nStart] != '#' && blocklist[nStart] != '\n')
            expected += "# ";
        expected.append(blocklist, nStart, nEnd - nStart);
        nStart = nEnd;
    }
    EXPECT_EQ(expected, Saved(list));
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        if (!before[static_cast<size_t>(nRow)])
            SetRow(list, nRow, false);
    EXPECT_EQ(blocklist, Saved(list));
}

TEST(EntryList, SavesAChangedRowInPlaceOfItsOldText)
{
    const std::string bytes = "first\n   127.0.0.1 a\r\n\r\n#  0.0.0.0 b\n  c";
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, bytes));
    ASSERT_EQ((Lines{"first", "127.0.0.1 a", "#  0.0.0.0 b", "c"}), Texts(list));

    // The indentation, the line end and the blank line after it stay.
    SetRow(list, 1, true);
    EXPECT_EQ("# 127.0.0.1 a", std::string(list.GetTextString(1).c_str()));
    EXPECT_EQ("first\n   # 127.0.0.1 a\r\n\r\n#  0.0.0.0 b\n  c", Saved(list));
    SetRow(list, 1, false);
    EXPECT_EQ(bytes, Saved(list));

    // Uncommenting drops the mark and the white space after it, nothing
    // around them; commenting again puts "# " where the text starts.
    SetRow(list, 2, false);
    EXPECT_EQ("first\n   127.0.0.1 a\r\n\r\n0.0.0.0 b\n  c", Saved(list));
    SetRow(list, 2, true);
    EXPECT_EQ("first\n   127.0.0.1 a\r\n\r\n# 0.0.0.0 b\n  c", Saved(list));

    // The first line keeps its leading white space as part of its text, so
    // uncommenting it drops that too.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "  #x\r\ny\r\n"));
    SetRow(list, 0, false);
    EXPECT_EQ("#x", std::string(list.GetTextString(0).c_str()));
    EXPECT_EQ("#x\r\ny\r\n", Saved(list));
}

TEST(EntryList, SavesAddedRowsAfterTheLastLineAndBeforeACtrlZ)
{
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "a\n\n\r\n"));
    ASSERT_TRUE(list.Append(CString("127.0.0.1 new")));
    ASSERT_TRUE(list.Append(CString("0.0.0.0 newer")));
    SetRow(list, 2, true);
    // Each ended as the line before it is.
    EXPECT_EQ("a\n\n\r\n127.0.0.1 new\n# 0.0.0.0 newer\n", Saved(list));

    // No final line end: one comes first.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "a\r\nb"));
    ASSERT_TRUE(list.Append(CString("c")));
    EXPECT_EQ("a\r\nb\r\nc\r\n", Saved(list));

    // Before the Ctrl-Z and what follows it.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "a\x1A" "b\r\n"));
    ASSERT_TRUE(list.Append(CString("c")));
    EXPECT_EQ("a\r\nc\r\n\x1A" "b\r\n", Saved(list));

    // After a byte-order mark and no line, or blank lines only.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "\xEF\xBB\xBF"));
    ASSERT_TRUE(list.Append(CString("c")));
    EXPECT_EQ("\xEF\xBB\xBF" "c\r\n", Saved(list));
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "\r\n\r\n"));
    EXPECT_EQ(0, list.GetCount());
    ASSERT_TRUE(list.Append(CString("c")));
    EXPECT_EQ("\r\n\r\nc\r\n", Saved(list));
}

TEST(EntryList, FindsRowsByNumberAndByText)
{
    CEntryList list;
    for (int n = 1; n <= 120; ++n)
        ASSERT_TRUE(list.Append(CString(n == 7 ? "0.0.0.0 Ads.Example" : n == 100 ? "# ads.example.org" : "x")));

    EXPECT_EQ(11, list.FindRowByNumber("12", false, false, 0));
    EXPECT_EQ(11, list.FindRowByNumber(L"12", false, false, 0));
    EXPECT_EQ(0, list.FindRowByNumber("1", true, false, 0));
    EXPECT_EQ(9, list.FindRowByNumber("1", true, false, 1));     // "10"
    EXPECT_EQ(-1, list.FindRowByNumber("12", false, false, 50));
    EXPECT_EQ(11, list.FindRowByNumber("12", false, true, 50));  // round to the start
    EXPECT_EQ(-1, list.FindRowByNumber("121", false, true, 0));
    EXPECT_EQ(-1, list.FindRowByNumber("1a", true, true, 0));
    EXPECT_EQ(-1, list.FindRowByNumber("12345678901", true, true, 0));

    EXPECT_EQ(6, list.FindRowByText("ads.ex", false, true, -1));
    EXPECT_EQ(99, list.FindRowByText("ads.ex", false, true, 6));
    EXPECT_EQ(6, list.FindRowByText("ads.ex", false, true, 99));  // round, 99 itself last
    EXPECT_EQ(99, list.FindRowByText("ads.ex", false, false, -1));
    EXPECT_EQ(6, list.FindRowByText("ads.ex", false, false, 99));
    EXPECT_EQ(99, list.FindRowByText("ads.ex", true, true, 6));
    EXPECT_EQ(99, list.FindRowByText("ads.ex", true, true, 99));  // the only row tried last
    EXPECT_EQ(-1, list.FindRowByText("ADS.EXAMPLE.ORG ", false, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("", false, true, -1));

    // Only A-Z fold: "[" is not "{" (they differ by the same bit as A and a),
    // nor "\xC9" (E acute in code page 1252) "\xE9".
    CEntryList cafe;
    ASSERT_TRUE(cafe.Append(CString("{caf\xE9}")));
    EXPECT_EQ(0, cafe.FindRowByText("CAF\xE9", false, false, 0));
    EXPECT_EQ(-1, cafe.FindRowByText("[caf", false, true, -1));
    EXPECT_EQ(-1, cafe.FindRowByText("caf\xC9", false, true, -1));
    EXPECT_EQ(-1, CEntryList().FindRowByText("x", false, true, -1));

    // A match may begin in the mark of a row commented here.
    SetRow(list, 6, true);
    EXPECT_EQ(6, list.FindRowByText("# 0.0.0.0 ads", false, true, -1));
    EXPECT_EQ(6, list.FindRowByText(" 0.0", true, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("# 0.0.0.0 ads.example.", false, true, -1));
}

TEST(EntryList, KnowsWhetherTheLoadedFileIsUtf8AndKeepsItsBytes)
{
    // Comments in Chinese, Japanese and Russian, as hosts lists on the web
    // carry them.
    const std::string utf8 = "# \xE5\xB9\xBF\xE5\x91\x8A\r\n# \xE5\xBA\x83\xE5\x91\x8A\r\n"
                             "# \xD1\x80\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0\r\n0.0.0.0 ads.example\r\n";
    CEntryList list;
    EXPECT_FALSE(list.IsUtf8());
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, utf8));
    EXPECT_TRUE(list.IsUtf8());
    EXPECT_EQ((Lines{"# \xE5\xB9\xBF\xE5\x91\x8A", "# \xE5\xBA\x83\xE5\x91\x8A",
                     "# \xD1\x80\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0", "0.0.0.0 ads.example"}),
              Texts(list));
    EXPECT_EQ(utf8, Saved(list));

    // Decided anew at every load: ASCII alone, code page 1252, UTF-8 with a
    // byte-order mark, UTF-8 spoilt by one byte after a Ctrl-Z.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "127.0.0.1 a\r\n"));
    EXPECT_FALSE(list.IsUtf8());
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "# caf\xE9\r\n"));
    EXPECT_FALSE(list.IsUtf8());
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "\xEF\xBB\xBF" "127.0.0.1 a\r\n"));
    EXPECT_TRUE(list.IsUtf8());
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "# caf\xC3\xA9\r\n\x1A\xE9"));
    EXPECT_FALSE(list.IsUtf8());
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, utf8));
    list.Empty();
    EXPECT_FALSE(list.IsUtf8());
    // A file that cannot be opened leaves the rows, and what they are.
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, utf8));
    EXPECT_EQ(CEntryList::notOpened, list.Load("no such folder/no such file"));
    EXPECT_TRUE(list.IsUtf8());
}

TEST(EntryList, FindMatchesWholeCharactersOfADoubleByteCodePage)
{
    CCodePage cp(IsLeadByte932);
    // ア is 83 41 and ヂ 83 61: their second bytes are "A" and "a".
    CEntryList list;
    ASSERT_TRUE(list.Append(CString("# \x83\x61")));            // ヂ
    ASSERT_TRUE(list.Append(CString("0.0.0.0 \x83\x83" "A")));  // ャA: 83 41 in the middle
    ASSERT_TRUE(list.Append(CString("# \x83\x41 ADS")));        // ア
    EXPECT_EQ(2, list.FindRowByText("\x83\x41", false, true, -1));
    EXPECT_EQ(2, list.FindRowByText("\x83\x41", false, true, 2));  // round: the only row
    EXPECT_EQ(0, list.FindRowByText("\x83\x61", false, true, -1));
    EXPECT_EQ(0, list.FindRowByText("\x83\x61", false, true, 2));
    // A letter never matches the second byte of a character, folded or not;
    // the letter after a character does.
    EXPECT_EQ(1, list.FindRowByText("a", false, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("a", true, true, -1));
    EXPECT_EQ(2, list.FindRowByText("\x83\x41", true, true, 0));  // not in the middle of row 1's ャA
    EXPECT_EQ(2, list.FindRowByText("\x83\x41 ads", false, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("\x83\x61 ADS", false, true, 0));
    // In a mark put in front here, and across it into the text.
    SetRow(list, 1, true);
    EXPECT_EQ(1, list.FindRowByText("# 0.0", false, true, -1));
    EXPECT_EQ(1, list.FindRowByText(" 0.0.0.0 \x83\x83", true, true, -1));

    // The same bytes in code page 1252 are single characters, matched byte by
    // byte as always.
    CCodePage cp1252(IsLeadByte1252);
    EXPECT_EQ(1, list.FindRowByText("\x83\x41", true, true, -1));
    EXPECT_EQ(0, list.FindRowByText("\x83\x41", false, true, -1));
}

TEST(EntryList, FindMatchesUtf8TextByItsBytesWhateverTheCodePage)
{
    // Under code page 932, E5 would be a lead byte and 告 (E5 91 8A) would
    // seem to begin in the middle of 广 (E5 B9 BF): a UTF-8 file is not
    // judged by the code page.
    CCodePage cp(IsLeadByte932);
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded,
              LoadBytes(list, "# \xE5\xB9\xBF\xE5\x91\x8A\r\n0.0.0.0 Ads.Example\r\n# \xD0\x94\xD0\xBE\xD0\xBC\r\n"));
    ASSERT_TRUE(list.IsUtf8());
    EXPECT_EQ(0, list.FindRowByText("\xE5\x91\x8A", false, true, -1));   // 告
    EXPECT_EQ(1, list.FindRowByText("ads.EXAMPLE", false, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("ads.EXAMPLE", true, true, -1));
    // Only A-Z fold: Дом (Д is D0 94) is not ДОМ (D0 9E for О).
    EXPECT_EQ(2, list.FindRowByText("\xD0\x94\xD0\xBE\xD0\xBC", false, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("\xD0\x94\xD0\x9E\xD0\x9C", false, true, -1));
}
