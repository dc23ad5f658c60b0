#include "hosts/disk/BackupName.h"

#include "tests/support/CodePage.h"

#include <gtest/gtest.h>

TEST(BackupName, SeparatorsBecomeSpaces)
{
    EXPECT_STREQ("7 1 2008 9 42 20 PM", MakeFileNameSafe("7/1/2008 9:42:20 PM"));
    EXPECT_STREQ("01.07.2008 21 42 20", MakeFileNameSafe("01.07.2008 21:42:20"));
    EXPECT_STREQ("a b c d e f", MakeFileNameSafe("a/b\\c:d*e<f"));
    EXPECT_STREQ("x ", MakeFileNameSafe("x>"));
}

TEST(BackupName, BarsAreRemoved)
{
    EXPECT_STREQ("2008 07 01", MakeFileNameSafe("2008|/07|/01"));
    EXPECT_STREQ("", MakeFileNameSafe("||"));
}

TEST(BackupName, CharactersNoFileNameCanHoldBecomeSpaces)
{
    // '?' stands for a character the ANSI code page lacks (Korean AM/PM
    // marks converted on a Western system).
    EXPECT_STREQ("7 1 2008    9 42 20", MakeFileNameSafe("7/1/2008 ?? 9:42:20"));
    EXPECT_STREQ("a b c d e", MakeFileNameSafe("a\"b\tc\x1f" "d\x01" "e"));
}

TEST(BackupName, OtherCharactersAreKept)
{
    EXPECT_STREQ("2008-07-01 21.42.20 +'#%&!~\x7f\xe9", MakeFileNameSafe("2008-07-01 21.42.20 +'#%&!~\x7f\xe9"));
    EXPECT_STREQ("", MakeFileNameSafe(""));
}

TEST(BackupName, DoubleByteCharactersAreJudgedWhole)
{
    // 2026/12/07 十 15:06:01|ポ: in code page 932 十 is 0x8F 0x5C and ポ is
    // 0x83 0x7C; in code page 1252 those are four characters.
    const char kText[] = "2026/12/07 \x8f\\ 15:06:01|\x83|";
    {
        CCodePage cp(IsLeadByte932);
        EXPECT_STREQ("2026 12 07 \x8f\\ 15 06 01\x83|", MakeFileNameSafe(kText));
    }
    {
        CCodePage cp(IsLeadByte1252);
        EXPECT_STREQ("2026 12 07 \x8f  15 06 01\x83", MakeFileNameSafe(kText));
    }
}
