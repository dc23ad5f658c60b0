#include "hosts/HostsLineReader.h"
#include "hosts/HostsLineWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(HostsLineWriter, EachLineEndsWithCrLf)
{
    std::string out;
    AppendHostsLine(out, "a");
    AppendHostsLine(out, "b");
    EXPECT_EQ(std::string("a\r\nb\r\n"), out);
    EXPECT_EQ(6u, out.size());
}

TEST(HostsLineWriter, TextIsWrittenExactlyAsItIs)
{
    std::string out = "x";
    AppendHostsLine(out, "127.0.0.1 x  ");
    AppendHostsLine(out, "");
    AppendHostsLine(out, "\t# c");
    EXPECT_EQ(std::string("x127.0.0.1 x  \r\n\r\n\t# c\r\n"), out);
}

TEST(HostsLineWriter, WrittenLinesReadBackUnchanged)
{
    std::string longLine(3000, '0');
    longLine.replace(0, 10, "127.0.0.1 ");
    const std::vector<std::string> lines = {
        "  # first line keeps its indent",
        "127.0.0.1 x  ",
        "# 0.0.0.0 ads.example.com",
        longLine,
        std::string(512, 'q'),
        "::1 localhost\t",
        "last",
    };

    std::string out;
    for (const std::string& line : lines)
        AppendHostsLine(out, CString(line.c_str()));

    std::vector<std::string> back;
    ScanHostsText(out.data(), out.size(), [&](const CString& text) { back.emplace_back(text.c_str()); });
    EXPECT_EQ(lines, back);
}
