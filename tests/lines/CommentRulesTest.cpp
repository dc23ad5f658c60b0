#include "hosts/lines/CommentRules.h"

#include <gtest/gtest.h>

TEST(CommentRules, LeadingMarkAfterWhiteSpaceCounts)
{
    EXPECT_TRUE(IsCommented("# 127.0.0.1 site"));
    EXPECT_TRUE(IsCommented("#127.0.0.1 site"));
    EXPECT_TRUE(IsCommented("   #x"));
    EXPECT_TRUE(IsCommented("\t\v\f\r#x"));
    EXPECT_FALSE(IsCommented("127.0.0.1 site # note"));
    EXPECT_FALSE(IsCommented(""));
    EXPECT_FALSE(IsCommented("   \t"));
}

TEST(CommentRules, StatusWords)
{
    EXPECT_STREQ("Commented", StatusWordFor(IsCommented("# a")));
    EXPECT_STREQ("Active", StatusWordFor(IsCommented("a")));
    EXPECT_STREQ("Active", StatusWordFor(IsCommented("")));
    EXPECT_STREQ("Active", StatusWordFor(IsCommented(" ")));
}

TEST(CommentRules, IsCommentedLeavesTheCallersTextAlone)
{
    CString text("   #x");
    IsCommented(text);
    EXPECT_EQ(CString("   #x"), text);
}

TEST(CommentRules, CommentPutsMarkAndSpaceBeforeTheWholeText)
{
    EXPECT_EQ(CString("# 127.0.0.1 site"), CommentLine("127.0.0.1 site"));
    EXPECT_EQ(CString("#   a"), CommentLine("  a"));
    EXPECT_EQ(CString("# "), CommentLine(""));
}

TEST(CommentRules, UncommentDropsFirstCharacterThenLeadingWhiteSpace)
{
    EXPECT_EQ(CString("127.0.0.1 site"), UncommentLine("# 127.0.0.1 site"));
    EXPECT_EQ(CString("127.0.0.1 site"), UncommentLine("#127.0.0.1 site"));
    EXPECT_EQ(CString("0.0.0.0 x"), UncommentLine("#0.0.0.0 x"));
    EXPECT_EQ(CString("#x"), UncommentLine("##x"));
    EXPECT_TRUE(IsCommented(UncommentLine("##x")));
    // Only the first space goes with the first character; the rest is trimmed.
    EXPECT_EQ(CString("#x"), UncommentLine("   #x"));
    EXPECT_TRUE(IsCommented(UncommentLine("   #x")));
    EXPECT_EQ(CString("a  "), UncommentLine("#  a  "));
    EXPECT_EQ(CString(""), UncommentLine("#"));
}

TEST(CommentRules, CommentThenUncommentGivesTextWithoutLeadingWhiteSpace)
{
    for (const char* line : {"127.0.0.1 a", "  0.0.0.0 b ", "\tx"})
    {
        CString commented = CommentLine(line);
        EXPECT_TRUE(IsCommented(commented)) << line;
        EXPECT_EQ(CString(line).TrimLeft(), UncommentLine(commented)) << line;
    }
}
