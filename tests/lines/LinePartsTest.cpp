#include "hosts/lines/LineParts.h"

#include "hosts/document/EntryList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include "tests/fuzz/AddressLaw.h"

#include <random>
#endif

TEST(LineParts, AddressesOfBothFamilies)
{
    struct Case
    {
        const char* pszWord;
        int nFamily;  // 4, 6, or 0: no address
    } cases[] = {
        {"127.0.0.1", 4},       {"0.0.0.0", 4},          {"255.255.255.255", 4}, {"127.000.000.001", 4},
        {"256.0.0.1", 0},       {"1.2.3", 0},            {"1.2.3.4.", 0},        {"1.2.3.4.5", 0},
        {"127.0.0.l", 0},       {"127.0.0.1:8080", 0},   {"1..2.3", 0},          {"", 0},
        {"0001.2.3.4", 4},      {"1.2.3.1000", 0},       {"::1", 6},             {"::", 6},
        {"fe80::1%12", 6},      {"fe80::1%", 0},         {"fe80::1%a b", 0},     {"::ffff:1.2.3.4", 6},
        {"1:2:3:4:5:6:7:8", 6}, {"1:2:3:4:5:6:7:8:9", 0}, {"1:2:3:4:5:6:7::", 6}, {"1:2:3:4:5:6:7:8::", 0},
        {"1::2::3", 0},         {":1::2", 0},            {"1:2:3:4:5:6:1.2.3.4", 6}, {"1:2:3:4:5:6:7:1.2.3.4", 0},
        {"12345::1", 0},        {"ABCD:ef01::", 6},      {"::1.2.3", 0},         {"g::1", 0},
    };
    for (const Case& c : cases)
    {
        bool bIpv6 = false;
        bool bAddress = IsHostsAddress(c.pszWord, std::strlen(c.pszWord), &bIpv6);
        EXPECT_EQ(c.nFamily != 0, bAddress) << c.pszWord;
        if (bAddress)
        {
            EXPECT_EQ(c.nFamily == 6, bIpv6) << c.pszWord;
        }
    }
}

TEST(LineParts, WordsStopAtTheCommentAndRowsAreEntriesHeadingsOrNeither)
{
    CEntryList list;
    list.TakeUtf8();  // the texts below are UTF-8 here, whatever the ANSI code page
    struct Case
    {
        const char* pszLine;
        bool bCommentHere;  // commented with the list's own mark
        CRowKind kind;
    } cases[] = {
        {"127.0.0.1\tlocalhost # note", false, CRowKind::entry},
        {"  ::1 localhost", false, CRowKind::entry},
        {"localhost 127.0.0.1", false, CRowKind::other},
        {"#127.0.0.1#x", false, CRowKind::entry},
        {"#   0.0.0.0 ads.example", false, CRowKind::entry},
        {"0.0.0.0 ads.example", true, CRowKind::entry},
        {"  # 0.0.0.0 a", false, CRowKind::heading},  // uncommenting leaves "# 0.0.0.0 a"
        {"## 0.0.0.0 a", false, CRowKind::heading},
        {"# Dev servers", false, CRowKind::heading},
        {"#=====", false, CRowKind::other},
        {"#", false, CRowKind::other},
        {"# \xC3\xA9", false, CRowKind::heading},  // é
        {"# \xD0\xA0\xD0\xB5\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xBC\xD0\xB0", false, CRowKind::heading},  // Реклама
        {"#\xE5\xB9\xBF\xE5\x91\x8A", false, CRowKind::heading},  // 广告
        {"# \xE2\x80\x94 \xC2\xAB \xC2\xBB \xEF\xBC\x81\xE3\x80\x82", false, CRowKind::other},  // — « » ！。
        // Overlong A (C1 81, E0 81 81), a surrogate, beyond U+10FFFF, a cut 广.
        {"# \xC1\x81 \xE0\x81\x81 \xED\xA0\x80 \xF4\x90\x80\x80 \xE5\xB9", false, CRowKind::other},
        {"# For example:", false, CRowKind::windowsNote},
        {"#  localhost name resolution is handled within DNS itself.\t", false, CRowKind::windowsNote},
        {"# For example", false, CRowKind::heading},
        {"# for example:", false, CRowKind::heading},
        {"www.example 1.2.3.4", true, CRowKind::heading},
        {"", false, CRowKind::other},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(list.Append(c.pszLine, std::strlen(c.pszLine)));
        bool bChanged = false;
        if (c.bCommentHere)
        {
            ASSERT_TRUE(list.Comment(list.GetCount() - 1, &bChanged) && bChanged);
        }
    }
    for (int nRow = 0; nRow < list.GetCount(); ++nRow)
        EXPECT_EQ(cases[nRow].kind, ReadRowKind(list, nRow)) << cases[nRow].pszLine;

    const char szLine[] = " \t0.0.0.0\ta.example  b#c d";
    CLineWords words(szLine, sizeof szLine - 1);
    std::vector<std::string> seen;
    for (CLineWord word; words.Next(&word);)
        seen.emplace_back(word.pch, word.nLength);
    EXPECT_EQ((std::vector<std::string>{"0.0.0.0", "a.example", "b"}), seen);
}

#ifndef _WIN32
// The address reader agrees with glibc's inet_pton on random strings of the
// characters addresses are made of, but for the differences written down in
// AddressLaw.h.
TEST(LineParts, AddressReaderAgreesWithInetPton)
{
    std::mt19937 random(31);
    const char szAlphabet[] = "0123456789abcdefABCDEFg:::...%";
    for (int nCase = 0; nCase < 300000; ++nCase)
    {
        std::string word(random() % 24, ' ');
        for (char& ch : word)
            ch = szAlphabet[random() % (sizeof szAlphabet - 1)];
        if (nCase % 3 == 0 && word.size() > 6)  // dotted numbers are rare at random
            word.replace(word.size() - 7, 7, "1.2.3.4");
        std::string problem = AddressLawProblem(word);
        ASSERT_EQ("", problem) << "'" << word << "'";
    }
}
#endif
