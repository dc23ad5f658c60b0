#include "hosts/EntryList.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

Lines Texts(const CEntryList& list)
{
    Lines texts;
    list.ForEach([&](const char* pch, size_t nLength) {
        texts.emplace_back(pch, nLength);
        return true;
    });
    return texts;
}

std::vector<bool> Flags(const CEntryList& list)
{
    std::vector<bool> flags;
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        flags.push_back(list.IsCommented(nRow));
    return flags;
}

void SetAll(CEntryList& list, bool bComment)
{
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
    {
        bool bChanged;
        if (bComment)
            ASSERT_TRUE(list.Comment(nRow, &bChanged));
        else
            list.Uncomment(nRow, &bChanged);
    }
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

TEST(EntryList, ALoadThatFailsLeavesNoRows)
{
    CTempFile file("a\r\nb\r\nc\r\n");
    CEntryList list;
    CContentDigest digest;
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path(), &digest));

    EXPECT_EQ(CEntryList::notOpened, list.Load((std::string(file.Path()) + ".missing").c_str(), &digest));
    EXPECT_EQ(0, list.GetCount());
    EXPECT_FALSE(digest.bPresent);

    CEntryList::s_nReadLimitForTesting = 4;
    EXPECT_EQ(CEntryList::readFailed, list.Load(file.Path(), &digest));
    CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);
    EXPECT_EQ(0, list.GetCount());
    EXPECT_FALSE(digest.bPresent);

    CEntryList::s_nRowLimitForTesting = 2;
    EXPECT_EQ(CEntryList::noMemory, list.Load(file.Path()));
    EXPECT_EQ(0, list.GetCount());
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
    size_t nLargest = 0;
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
        if (nRound == 1)
            nLargest = list.GetStoreSize();
        if (nRound > 1)
        {
            EXPECT_LE(list.GetStoreSize(), nLargest) << "round " << nRound;
        }
    }
    EXPECT_LE(nLargest, 2 * bytes.size() + 256 * 1024) << "the file and one block at most";
}

TEST(EntryList, AppendAndReplace)
{
    CEntryList list;
    ASSERT_TRUE(list.Append(CString("127.0.0.1 a")));
    ASSERT_TRUE(list.Append(CString("  # b")));
    EXPECT_FALSE(list.IsCommented(0));
    EXPECT_TRUE(list.IsCommented(1));

    // Longer, shorter, another row's own text, and an empty text.
    ASSERT_TRUE(list.Replace(0, "#0.0.0.0 a-much-longer-name.example", 35));
    EXPECT_TRUE(list.IsCommented(0));
    ASSERT_TRUE(list.Replace(1, "b", 1));
    EXPECT_FALSE(list.IsCommented(1));
    size_t nLength;
    const char* pch = list.GetText(0, &nLength);
    ASSERT_TRUE(list.Append(pch, nLength));
    ASSERT_TRUE(list.Replace(0, "", 0));
    EXPECT_EQ((Lines{"", "b", "#0.0.0.0 a-much-longer-name.example"}), Texts(list));
    EXPECT_EQ("b", std::string(list.GetTextString(1).c_str()));

    list.Empty();
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0u, list.GetStoreSize());
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
    ASSERT_TRUE(list.Replace(0, "{caf\xE9}", 6));
    EXPECT_EQ(0, list.FindRowByText("CAF\xE9", false, false, 6));
    EXPECT_EQ(-1, list.FindRowByText("[caf", false, true, -1));
    EXPECT_EQ(-1, list.FindRowByText("caf\xC9", false, true, -1));
    EXPECT_EQ(-1, CEntryList().FindRowByText("x", false, true, -1));
}
