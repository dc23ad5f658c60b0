#include "framework/CFile.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

// Writing through CFile, its failures and sharing are covered through
// WriteHostsLines; these are the parts it does not use.

TEST(CFile, FailedOpenFillsTheExceptionAndLeavesTheLastError)
{
    CTempFolder folder;
    CFile file;
    CFileException error;
    ::SetLastError(0);
    EXPECT_FALSE(file.Open(folder / "missing.txt", CFile::modeRead, &error));
    EXPECT_EQ(2u, ::GetLastError());
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(2, error.m_lOsError);
    EXPECT_FALSE(file.IsOpen());
}

TEST(CFile, ShareDenyNoneLetsOthersOpen)
{
    CTempFolder folder;
    CString path = folder.AddFile("f.txt", "abc");
    CFile first;
    ASSERT_TRUE(first.Open(path, CFile::modeRead | CFile::shareDenyNone));
    CFile second;
    EXPECT_TRUE(second.Open(path, CFile::modeRead | CFile::shareDenyNone));
}

TEST(CFile, WriteToAReadOnlyHandleFailsWithTheSystemError)
{
    CTempFolder folder;
    CString path = folder.AddFile("f.txt", "abc");
    CFile reader;
    ASSERT_TRUE(reader.Open(path, CFile::modeRead));
    ::SetLastError(0);
    EXPECT_FALSE(reader.Write("x", 1));
    EXPECT_EQ(5u, ::GetLastError());
    reader.Close();
    EXPECT_EQ(std::string("abc"), ReadAll(path));
}

TEST(CFile, CloseKeepsTheLastError)
{
    CTempFolder folder;
    CFile file;
    ASSERT_TRUE(file.Open(folder / "f.txt", CFile::modeCreate | CFile::modeWrite));
    ::SetLastError(112);
    file.Close();
    EXPECT_EQ(112u, ::GetLastError());
    EXPECT_FALSE(file.IsOpen());
}
