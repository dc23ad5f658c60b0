// Searching and replacing in narrow text never splits a double-byte
// character of the ANSI code page. In code page 932, 表 is 0x95 0x5C and ポ is
// 0x83 0x7C: their second bytes are a backslash and '|'. The same bytes in
// code page 1252 are single characters (0x95 is a bullet) and are searched
// and replaced byte by byte, as always.
#include "tests/support/CodePage.h"

#include <gtest/gtest.h>

namespace
{
// C:\users\表\AppData\Local\\Tarnwick: a user's data folder, then a doubled
// separator to collapse.
const char kPath[] = "C:\\users\\\x95\\\\AppData\\Local\\\\Tarnwick";
// C:\users\表
const char kFolder[] = "C:\\users\\\x95\\";
// ポ|a|b
const char kBars[] = "\x83|a|b";
}

TEST(DoubleByteText, CodePage932KeepsSecondBytes)
{
    CCodePage cp(IsLeadByte932);

    CString path(kPath);
    EXPECT_EQ(1, path.Replace("\\\\", "\\"));
    EXPECT_STREQ("C:\\users\\\x95\\\\AppData\\Local\\Tarnwick", path);
    // 表\\x: the second byte of 表 starts no match, the byte after it does.
    CString doubled("\x95\\\\\\x");
    EXPECT_EQ(1, doubled.Replace("\\\\", "\\"));
    EXPECT_STREQ("\x95\\\\x", doubled);

    CString folder(kFolder);
    EXPECT_EQ(8, folder.ReverseFind('\\'));
    EXPECT_EQ(-1, folder.Find('\\', 9));
    EXPECT_EQ(-1, folder.Find("\\", 9));

    CString bars(kBars);
    EXPECT_EQ(1, bars.Remove('|'));
    EXPECT_STREQ("\x83|ab", bars);
    CString replaced(kBars);
    EXPECT_EQ(1, replaced.Replace('|', ' '));
    EXPECT_STREQ("\x83|a b", replaced);
}

TEST(DoubleByteText, CodePage1252WorksByteByByte)
{
    CCodePage cp(IsLeadByte1252);

    CString path(kPath);
    EXPECT_EQ(2, path.Replace("\\\\", "\\"));
    EXPECT_STREQ("C:\\users\\\x95\\AppData\\Local\\Tarnwick", path);

    CString folder(kFolder);
    EXPECT_EQ(10, folder.ReverseFind('\\'));
    EXPECT_EQ(10, folder.Find('\\', 9));
    EXPECT_EQ(10, folder.Find("\\", 9));

    CString bars(kBars);
    EXPECT_EQ(2, bars.Remove('|'));
    EXPECT_STREQ("\x83" "ab", bars);
    CString replaced(kBars);
    EXPECT_EQ(2, replaced.Replace('|', ' '));
    EXPECT_STREQ("\x83 a b", replaced);
}
