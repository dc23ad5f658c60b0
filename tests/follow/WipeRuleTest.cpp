#include "hosts/follow/CarryChanges.h"
#include "hosts/follow/WipeRule.h"

#include "tests/support/TempFile.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Windows' own hosts file as installed: comments, two of them commented
// entries.
const char kDefault[] =
    "# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n"
    "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.\r\n#\r\n"
    "# This file contains the mappings of IP addresses to host names. Each\r\n"
    "# entry should be kept on an individual line. The IP address should\r\n"
    "# be placed in the first column followed by the corresponding host name.\r\n"
    "# The IP address and the host name should be separated by at least one\r\n# space.\r\n#\r\n"
    "# Additionally, comments (such as these) may be inserted on individual\r\n"
    "# lines or following the machine name denoted by a '#' symbol.\r\n#\r\n# For example:\r\n#\r\n"
    "#      102.54.94.97     rhino.acme.com          # source server\r\n"
    "#       38.25.63.10     x.acme.com              # x client host\r\n\r\n"
    "# localhost name resolution is handled within DNS itself.\r\n"
    "#\t127.0.0.1       localhost\r\n#\t::1             localhost\r\n";

// n entries, one name each: "<address><separator>app<k>.example".
std::string Entries(int nFirst, int nEnd, const char* pszAddress = "127.0.0.1", const char* pszSeparator = " ")
{
    std::string text;
    for (int k = nFirst; k < nEnd; ++k)
        text += std::string(pszAddress) + pszSeparator + "app" + std::to_string(k) + ".example\r\n";
    return text;
}

void Load(CEntryList& list, const std::string& bytes)
{
    CTempFile file(bytes);
    ASSERT_EQ(CEntryList::loaded, list.Load(file.Path()));
}
}

TEST(WipeRule, CountsTheHostNamesThatNoEntryLineMapsAnyMore)
{
    const std::string kDefaultText = kDefault;
    const struct
    {
        const char* pszName;
        std::string base;
        std::string theirs;
        size_t nRemoved;
        size_t nNames;  // checked where the change is a wipe
        bool bWipe;
    } kCases[] = {
        {"reset to the default, 1 entry", kDefaultText + Entries(0, 1), kDefaultText, 1, 1, true},
        {"reset to the default, 9 entries", kDefaultText + Entries(0, 9), kDefaultText, 9, 9, true},
        {"reset to the default, 19 entries", kDefaultText + Entries(0, 19), kDefaultText, 19, 19, true},
        {"every entry re-addressed", kDefaultText + Entries(0, 19),
         kDefaultText + Entries(0, 19, "0.0.0.0"), 0, 0, false},
        {"spaces to tabs", Entries(0, 30), Entries(0, 30, "127.0.0.1", "\t"), 0, 0, false},
        {"half the names gone", Entries(0, 10), Entries(5, 10), 5, 10, true},
        {"fewer than half gone", Entries(0, 10), Entries(4, 10), 4, 0, false},
        {"one of two names of a line", "127.0.0.1 a.example b.example\r\n", "127.0.0.1 a.example\r\n", 1, 2, true},
        {"letters in another case, and switched off", "127.0.0.1 App.Example\r\n10.0.0.1 b.example\r\n",
         "# 0.0.0.0 app.example\r\n::1 B.EXAMPLE\r\n", 0, 0, false},
        {"a list switched off, reset to the default", Entries(0, 10, "# 127.0.0.1"), kDefaultText, 10, 10, true},
        {"active names count where there are some, not commented ones", kDefaultText + Entries(0, 4),
         Entries(0, 4), 0, 0, false},
        {"no entry line", "# a comment\r\n\r\n", "", 0, 0, false},
    };
    for (const auto& test : kCases)
    {
        SCOPED_TRACE(test.pszName);
        CEntryList ours, theirs;
        Load(ours, test.base);
        if (test.theirs.empty())
            theirs.Empty();
        else
            Load(theirs, test.theirs);
        CNameCount count;
        ASSERT_TRUE(CountRemovedNames(ours, theirs, count));
        EXPECT_EQ(test.nRemoved, count.nRemoved);
        EXPECT_EQ(test.bWipe, IsWipe(count));
        if (test.bWipe)
        {
            EXPECT_EQ(test.nNames, count.nNames);
        }

        // Carrying a change counts the same.
        bool bChanged = false;
        int nRow = 0;
        while (nRow < ours.GetCount() && ours.IsCommented(nRow))
            ++nRow;
        if (nRow == ours.GetCount())
            continue;
        ASSERT_TRUE(ours.Comment(nRow, &bChanged));
        CNameCount carried;
        ASSERT_GE(CarryChanges(ours, theirs, nullptr, nullptr, &carried), 0);
        EXPECT_EQ(count.nRemoved, carried.nRemoved);
        EXPECT_EQ(IsWipe(count), IsWipe(carried));
    }
}
