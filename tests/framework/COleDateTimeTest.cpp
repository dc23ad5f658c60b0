#include "framework/COleDateTime.h"

#include <gtest/gtest.h>

TEST(COleDateTime, HoldsDaysSinceTheEndOf1899)
{
    EXPECT_DOUBLE_EQ(39630.0, COleDateTime(2008, 7, 1, 0, 0, 0).m_dt);
    EXPECT_DOUBLE_EQ(39630.5, COleDateTime(2008, 7, 1, 12, 0, 0).m_dt);
    EXPECT_DOUBLE_EQ(2.0, COleDateTime(1900, 1, 1, 0, 0, 0).m_dt);
    EXPECT_DOUBLE_EQ(0.0, COleDateTime(2008, 13, 1, 0, 0, 0).m_dt);  // no such month
}

TEST(COleDateTime, FormatsWithTheLocalesShortDateAndTime)
{
    COleDateTime when(2008, 7, 1, 21, 42, 20);
    EXPECT_STREQ("7/1/2008 9:42:20 PM", when.Format(0, 0x0409));
    EXPECT_STREQ("01.07.2008 21:42:20", when.Format(0, 0x0419));  // Russian
    EXPECT_STREQ("01/07/2008 21:42:20", when.Format(0, 0x0809));  // English (United Kingdom)
    EXPECT_STREQ("12/7/2026 4:20:27 AM", COleDateTime(2026, 12, 7, 4, 20, 27).Format(0, 0x0409));
}

TEST(COleDateTime, MidnightGivesTheDateAlone)
{
    EXPECT_STREQ("7/1/2008", COleDateTime(2008, 7, 1, 0, 0, 0).Format(0, 0x0409));
    EXPECT_STREQ("01.07.2008", COleDateTime(2008, 7, 1, 0, 0, 0).Format(0, 0x0419));
    EXPECT_STREQ("7/1/2008 12:00:01 AM", COleDateTime(2008, 7, 1, 0, 0, 1).Format(0, 0x0409));
}

TEST(COleDateTime, DefaultFormatUsesTheUsersLocale)
{
    // The test prefix runs with an English (United States) user locale.
    EXPECT_STREQ("7/1/2008 9:42:20 PM", COleDateTime(2008, 7, 1, 21, 42, 20).Format());
}

TEST(COleDateTime, CurrentTimeIsTheLocalTimeToTheSecond)
{
    SYSTEMTIME before;
    ::GetLocalTime(&before);
    COleDateTime now = COleDateTime::GetCurrentTime();
    SYSTEMTIME after;
    ::GetLocalTime(&after);

    COleDateTime low(before.wYear, before.wMonth, before.wDay, before.wHour, before.wMinute, before.wSecond);
    COleDateTime high(after.wYear, after.wMonth, after.wDay, after.wHour, after.wMinute, after.wSecond);
    EXPECT_LE(low.m_dt, now.m_dt);
    EXPECT_GE(high.m_dt, now.m_dt);
    EXPECT_GT(now.m_dt, 40000.0);  // after 2009
}
