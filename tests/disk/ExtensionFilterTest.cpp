#include "hosts/disk/ExtensionFilter.h"

#include <gtest/gtest.h>

#include <string>

TEST(ExtensionFilter, ExtensionIsTextAfterTheLastDot)
{
    CExtensionFilter filter;
    EXPECT_STREQ("txt", filter.GetExtension("C:\\f\\a.txt"));
    EXPECT_STREQ("gz", filter.GetExtension("a.tar.gz"));
    EXPECT_STREQ("b\\c", filter.GetExtension("C:\\a.b\\c"));
    EXPECT_STREQ("hosts", filter.GetExtension("hosts"));
    EXPECT_STREQ("", filter.GetExtension("x."));
    EXPECT_STREQ("", filter.GetExtension(""));
    EXPECT_STREQ("*", filter.GetExtension(" *.*"));
}

TEST(ExtensionFilter, ListsWithoutPatternsPassNothing)
{
    CExtensionFilter filter;
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", ""));
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", ",,"));
    EXPECT_FALSE(filter.Matches("C:\\f\\a", ","));
}

TEST(ExtensionFilter, StarDotStarPassesEverything)
{
    CExtensionFilter filter;
    EXPECT_TRUE(filter.Matches("C:\\f\\a.txt", "*.*"));
    EXPECT_TRUE(filter.Matches("C:\\f\\hosts", "*.*"));
    EXPECT_TRUE(filter.Matches("", "*.*"));
    EXPECT_TRUE(filter.Matches("C:\\f\\x.", ",*.*,"));
    EXPECT_TRUE(filter.Matches("C:\\f\\x", "txt,,*.*"));
}

TEST(ExtensionFilter, BlanksBelongToThePattern)
{
    CExtensionFilter filter;
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", " *.*"));
    EXPECT_FALSE(filter.Matches("C:\\f\\a", " *.*"));
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", "log, txt"));
    EXPECT_TRUE(filter.Matches("C:\\f\\a.txt", "log,txt ,txt"));
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", "txt "));
}

TEST(ExtensionFilter, PatternsCompareByExtensionIgnoringCase)
{
    CExtensionFilter filter;
    EXPECT_TRUE(filter.Matches("C:\\f\\a.txt", "*.txt"));
    EXPECT_TRUE(filter.Matches("C:\\f\\a.txt", "txt"));
    EXPECT_TRUE(filter.Matches("C:\\f\\b.TXT", "*.txt"));
    EXPECT_TRUE(filter.Matches("C:\\f\\b.TxT", "TXT"));
    EXPECT_TRUE(filter.Matches("C:\\f\\c.log", "txt,log"));
    EXPECT_FALSE(filter.Matches("C:\\f\\c.log", "*.txt"));
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", "*.log, *.*"));
    EXPECT_TRUE(filter.Matches("C:\\f\\c.log", "*.log, *.*"));
    // Not the pattern "*.*": its extension '*' passes nothing.
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", "*.*.*"));
}

TEST(ExtensionFilter, OnlyThePartAfterThePatternsLastDotCounts)
{
    CExtensionFilter filter;
    EXPECT_TRUE(filter.Matches("C:\\f\\notes.txt", "backup*.txt"));
    EXPECT_TRUE(filter.Matches("C:\\f\\a.txt", "x.y.txt"));
    EXPECT_FALSE(filter.Matches("C:\\f\\a.txt", "txt.bak"));
    // A text without a dot is its own extension: for a path, the whole path.
    EXPECT_TRUE(filter.Matches("hosts", "hosts"));
    EXPECT_TRUE(filter.Matches("hosts", "*.hosts"));
    EXPECT_FALSE(filter.Matches("C:\\f\\hosts", "hosts"));
    EXPECT_TRUE(filter.Matches("C:\\f\\hosts", "C:\\f\\hosts"));
    // The path's extension runs from its last dot, even inside a folder name.
    EXPECT_TRUE(filter.Matches("C:\\a.b\\c", "*.b\\c"));
    EXPECT_FALSE(filter.Matches("C:\\a.b\\c", "*.b"));
    // A name ending in a dot has the empty extension, as has a pattern ending in one.
    EXPECT_TRUE(filter.Matches("C:\\f\\x.", "*."));
    EXPECT_FALSE(filter.Matches("C:\\f\\x.", "x"));
}

TEST(ExtensionFilter, EachCallCutsItsOwnList)
{
    CExtensionFilter filter;
    EXPECT_TRUE(filter.Matches("a.txt", "log,txt"));
    EXPECT_FALSE(filter.Matches("a.txt", "log"));
    EXPECT_FALSE(filter.Matches("a.txt", ""));
    EXPECT_TRUE(filter.Matches("a.log", "log"));
}

TEST(ExtensionFilter, ListsLongerThan1023CharactersWork)
{
    CExtensionFilter filter;
    std::string list;
    while (list.size() < 3000)
        list += "*.aaaa,";
    list += "*.txt";
    ASSERT_GT(list.size(), 1023u);
    EXPECT_TRUE(filter.Matches("C:\\f\\a.txt", list.c_str()));
    EXPECT_FALSE(filter.Matches("C:\\f\\a.log", list.c_str()));
    // A short list after a long one still works.
    EXPECT_TRUE(filter.Matches("C:\\f\\a.log", "log"));
    EXPECT_TRUE(filter.Matches("C:\\f\\a.log", CString(std::string(5000, ',').c_str()) + "*.*"));
}
