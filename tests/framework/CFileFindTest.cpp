#include "framework/CFileFind.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

// Listing folders is covered through CFolderWalker; this is the protocol of
// taking entries.

TEST(CFileFind, EachFindNextFileTakesOneEntryAndTheLastReturnsFalse)
{
    CTempFolder folder;
    folder.AddFile("only.txt");
    CFileFind finder;
    EXPECT_STREQ("", finder.GetFileName());
    ASSERT_TRUE(finder.FindFile(folder / "only.txt"));
    EXPECT_STREQ("", finder.GetFileName());  // nothing taken yet
    EXPECT_FALSE(finder.FindNextFile());     // the entry just taken is the last
    EXPECT_STREQ("only.txt", finder.GetFileName());
    EXPECT_STREQ(folder / "only.txt", finder.GetFilePath());
    EXPECT_FALSE(finder.IsDirectory());
    EXPECT_FALSE(finder.IsDots());
    finder.Close();
    EXPECT_STREQ("", finder.GetFileName());
}
