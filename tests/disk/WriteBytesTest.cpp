#include "hosts/disk/WriteBytes.h"

#include "hosts/lines/LineScan.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <vector>

namespace
{
// A source handing out the given pieces in order, as they are.
HostsByteSource Pieces(std::vector<std::string> pieces)
{
    return [pieces](const HostsByteSink& sink) {
        for (const std::string& piece : pieces)
            if (!sink(piece.data(), piece.size()))
                return;
    };
}

// The same for line texts, each followed by CR LF.
HostsByteSource Source(const std::vector<CString>& lines)
{
    std::vector<std::string> pieces;
    for (const CString& line : lines)
    {
        pieces.emplace_back(line.c_str(), static_cast<size_t>(line.GetLength()));
        pieces.emplace_back("\r\n");
    }
    return Pieces(pieces);
}
}

TEST(WriteHostsLines, WritesThePiecesExactlyAsTheyAre)
{
    CTempFolder folder;
    CString path = folder / "hosts";
    bool bOpened = false;
    EXPECT_TRUE(WriteHostsLines(path, Pieces({"a\n", "", "\r", "b", "\x1A" "c"}), &bOpened));
    EXPECT_TRUE(bOpened);
    EXPECT_EQ(std::string("a\n\rb\x1A" "c"), ReadAll(path));
}

TEST(WriteHostsLines, KeepsTextsExactlyAndTruncatesWhatWasThere)
{
    CTempFolder folder;
    CString path = folder.AddFile("hosts", std::string(100, 'z'));
    EXPECT_TRUE(WriteHostsLines(path, Source({"127.0.0.1 x  ", "", "# c"})));
    EXPECT_EQ(std::string("127.0.0.1 x  \r\n\r\n# c\r\n"), ReadAll(path));
}

TEST(WriteHostsLines, EmptySourceGivesZeroBytes)
{
    CTempFolder folder;
    CString path = folder.AddFile("hosts", "127.0.0.1 x\r\n");
    bool bOpened = false;
    EXPECT_TRUE(WriteHostsLines(path, Source({}), &bOpened));
    EXPECT_TRUE(bOpened);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(std::string(), ReadAll(path));
}

TEST(WriteHostsLines, ManyLinesSpanningManyBlocks)
{
    CTempFolder folder;
    CString path = folder / "hosts";
    auto source = [](const HostsByteSink& sink) {
        CString text;
        for (int n = 0; n < 200000; ++n)
        {
            text.Format("127.0.0.1 host%06d\r\n", n);
            if (!sink(text.c_str(), static_cast<size_t>(text.GetLength())))
                return;
        }
    };
    EXPECT_TRUE(WriteHostsLines(path, source));

    std::string bytes = ReadAll(path);
    EXPECT_EQ(4400000u, bytes.size());  // 200,000 lines of 20 characters and CR LF
    EXPECT_EQ(std::string("127.0.0.1 host000000\r\n127.0.0.1 host000001\r\n"), bytes.substr(0, 44));
    EXPECT_EQ(std::string("127.0.0.1 host199999\r\n"), bytes.substr(bytes.size() - 22));
    EXPECT_EQ(std::string("127.0.0.1 host065536\r\n"), bytes.substr(65536 * 22, 22));
}

TEST(WriteHostsLines, WrittenFileReadsBackAsTheSameLines)
{
    CTempFolder folder;
    CString path = folder / "hosts";
    CString longLine = CString("127.0.0.1 ") + CString('h', 1990);
    std::vector<CString> lines = {"  # indented first line", "127.0.0.1 x  ", longLine, "::1 localhost"};
    ASSERT_TRUE(WriteHostsLines(path, Source(lines)));

    std::vector<CString> back;
    ReadHostsLines(path, [&](const CString& text) { back.push_back(text); });
    EXPECT_EQ(lines, back);
}

TEST(WriteHostsLines, FolderThatDoesNotExistFailsToOpen)
{
    CTempFolder folder;
    bool bOpened = true;
    ::SetLastError(0);
    EXPECT_FALSE(WriteHostsLines(folder / "missing\\hosts", Source({"a"}), &bOpened));
    EXPECT_EQ(3u, ::GetLastError());
    EXPECT_FALSE(bOpened);
}

TEST(WriteHostsLines, FileHeldOpenElsewhereIsASharingViolationAndStaysIntact)
{
    CTempFolder folder;
    CString path = folder.AddFile("hosts", "127.0.0.1 keep\r\n");
    HANDLE hOther = ::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hOther);

    bool bOpened = true;
    EXPECT_FALSE(WriteHostsLines(path, Source({"a"}), &bOpened));
    EXPECT_EQ(32u, ::GetLastError());
    EXPECT_FALSE(bOpened);

    ::CloseHandle(hOther);
    EXPECT_EQ(std::string("127.0.0.1 keep\r\n"), ReadAll(path));
}

TEST(WriteHostsLines, WriteFailureAfterOpenIsReportedWithTheSystemError)
{
    // Linux's /dev/full accepts the open and fails every write with ENOSPC.
    if (!UnderWine())
        GTEST_SKIP() << "needs Wine and its Z: drive";
    bool bOpened = false;
    ::SetLastError(0);
    EXPECT_FALSE(WriteHostsLines("Z:\\dev\\full", Source({"127.0.0.1 a", "127.0.0.1 b"}), &bOpened));
    EXPECT_EQ(112u, ::GetLastError());
    EXPECT_TRUE(bOpened);

    // Nothing to write, but the device cannot be flushed either: a save that
    // cannot promise the bytes are on disk fails like one whose write fails.
    bOpened = false;
    ::SetLastError(0);
    EXPECT_FALSE(WriteHostsLines("Z:\\dev\\full", Source({}), &bOpened));
    EXPECT_NE(0u, ::GetLastError());
    EXPECT_TRUE(bOpened);
}
