#include "hosts/lines/LineScan.h"

#include "tests/support/TempFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

Lines Scan(const std::string& bytes)
{
    Lines lines;
    ScanHostsText(bytes.data(), bytes.size(),
                  [&](const CString& text) { lines.emplace_back(text.c_str(), static_cast<size_t>(text.GetLength())); });
    return lines;
}

Lines ReadFile(const char* pszPath)
{
    Lines lines;
    ReadHostsLines(pszPath,
                   [&](const CString& text) { lines.emplace_back(text.c_str(), static_cast<size_t>(text.GetLength())); });
    return lines;
}

// The bytes give the expected lines both from memory and from a file.
void ExpectLines(const std::string& bytes, const Lines& expected)
{
    EXPECT_EQ(expected, Scan(bytes)) << "in memory";
    CTempFile file(bytes);
    EXPECT_EQ(expected, ReadFile(file.Path())) << "from a file";
}
}

TEST(LineScan, LineEnds)
{
    ExpectLines("a\r\nb\r\n", {"a", "b"});
    ExpectLines("a\nb\n", {"a", "b"});
    ExpectLines("a\r\nb", {"a", "b"});          // last line without a line end
    ExpectLines("127.0.0.1 x", {"127.0.0.1 x"});
    ExpectLines("", {});
}

TEST(LineScan, BlankAndAllWhiteLinesAfterTheFirstAreSkipped)
{
    ExpectLines(std::string("a\r\n\r\n  b\r\nc"), {"a", "b", "c"});
    ExpectLines("a\n \t\v\f\r\n\nb\n", {"a", "b"});
    ExpectLines("a\r\n\r\n\r\n", {"a"});
}

TEST(LineScan, OnlyTheFirstLineKeepsLeadingWhiteSpace)
{
    ExpectLines("  # note\r\n", {"  # note"});
    ExpectLines("x\r\n  # note\r\n", {"x", "# note"});
    ExpectLines("\t a\r\n\t b\r\n", {"\t a", "b"});
}

TEST(LineScan, AllWhiteFirstLineIsDelivered)
{
    ExpectLines("   \r\na\r\n", {"   ", "a"});
    ExpectLines(" \t", {" \t"});
}

TEST(LineScan, TrailingWhiteSpaceIsKept)
{
    ExpectLines("127.0.0.1 x  \r\nb \t\r\n", {"127.0.0.1 x  ", "b \t"});
}

TEST(LineScan, LeadingLineFeedsAreSkippedLikeOtherBlankLines)
{
    ExpectLines("\na\r\nb\r\n", {"a", "b"});
    ExpectLines("\r\n\r\n  a\r\n", {"a"});
    ExpectLines("\n", {});
}

TEST(LineScan, LoneCarriageReturnIsAnOrdinaryCharacter)
{
    ExpectLines("a\rb\r\nc\r\n", {"a\rb", "c"});
    ExpectLines("a\r\r\nb", {"a\r", "b"});
    ExpectLines("a\r", {"a\r"});
}

TEST(LineScan, CtrlZEndsTheInput)
{
    ExpectLines("a\r\nb\x1A" "c\r\nd\r\n", {"a", "b"});
    ExpectLines("a\r\n\x1A" "b\r\n", {"a"});
    ExpectLines("\x1A" "a\r\n", {});
    ExpectLines("a\r\x1A", {"a\r"});
}

TEST(LineScan, AByteOrderMarkAtTheStartIsNoPartOfTheFirstLine)
{
    ExpectLines("\xEF\xBB\xBF# note\r\na\r\n", {"# note", "a"});
    ExpectLines("\xEF\xBB\xBF  a\r\n", {"  a"});
    ExpectLines("\xEF\xBB\xBF\r\n\r\na", {"a"});
    ExpectLines("\xEF\xBB\xBF", {});
    ExpectLines("a\r\n\xEF\xBB\xBF" "b\r\n", {"a", "\xEF\xBB\xBF" "b"});
    ExpectLines("\xEF\xBB" "a\r\n", {"\xEF\xBB" "a"});
}

TEST(LineScan, NulByteEndsTheLinesText)
{
    ExpectLines(std::string("ab\0cd\r\nef\r\n", 11), {"ab", "ef"});
    ExpectLines(std::string("a\r\n\0x\r\nb", 8), {"a", "", "b"});
}

TEST(LineScan, LineFeedsNulsAndCtrlZAreFoundAtEveryPlaceInAWord)
{
    // The scan looks at a word at a time: each mark at every place of the
    // first few words, with a line after it.
    for (size_t nAt = 0; nAt < 20; ++nAt)
    {
        const std::string before(nAt, 'x');
        EXPECT_EQ(Lines({"y" + before, "z"}), Scan("y" + before + "\nz")) << nAt;
        EXPECT_EQ(Lines({"y" + before, "z"}), Scan("y" + before + std::string("\0xx\r\nz", 6))) << nAt;
        EXPECT_EQ(Lines({"y" + before}), Scan("y" + before + "\x1Ax\nz")) << nAt;
        EXPECT_EQ(Lines({"y" + before + "\r" + before}), Scan("y" + before + "\r" + before)) << nAt;
    }
}

TEST(LineScan, LongLinesAreDeliveredWhole)
{
    std::string longLine(2000, 'x');
    longLine[0] = '#';
    longLine[1999] = 'z';
    ExpectLines("a\r\n" + longLine + "\r\nb\r\n", {"a", longLine, "b"});
    ExpectLines(longLine, {longLine});
}

TEST(LineScan, FileReadInBlocksKeepsPairsAndLinesAcrossBlockEnds)
{
    // The CR of the first line end is the last byte of a 64 KiB block and its
    // LF the first byte of the next.
    std::string first(65535, 'a');
    CTempFile straddling(first + "\r\nb\r\n");
    EXPECT_EQ(Lines({first, "b"}), ReadFile(straddling.Path()));

    // A line running over two blocks, and a Ctrl-Z in the second block.
    std::string spanning(70000, 'c');
    CTempFile spanningFile("a\r\n" + spanning + "\r\nd\x1A" "e\r\n");
    EXPECT_EQ(Lines({"a", spanning, "d"}), ReadFile(spanningFile.Path()));
}

TEST(LineScan, MissingFileDeliversNothing)
{
    std::string path;
    {
        CTempFile gone("a\r\n");
        path = gone.Path();
    }
    EXPECT_EQ(Lines(), ReadFile(path.c_str()));
}

// How fast this goes is measured by the benchmark, not here.
TEST(LineScan, MillionLineFileIsReadWhole)
{
    std::string bytes;
    bytes.reserve(32 * 1000 * 1000);
    for (int i = 0; i < 1000000; ++i)
        bytes += "127.0.0.1 host" + std::to_string(i) + ".example.com\r\n";
    CTempFile file(bytes);

    size_t nCount = 0;
    CString last;
    ReadHostsLines(file.Path(), [&](const CString& text) {
        ++nCount;
        last = text;
    });

    EXPECT_EQ(1000000u, nCount);
    EXPECT_STREQ("127.0.0.1 host999999.example.com", last);
}
