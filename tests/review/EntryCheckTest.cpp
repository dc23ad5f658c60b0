#include "hosts/review/EntryCheck.h"

#include "tests/review/EntryCheckExpected.h"
#include "hosts/document/EntryList.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

TEST(EntryCheck, OneLineOfEachProblemGivesExactlyItsRowAndText)
{
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, list.Load((std::string(TARNWICK_TEST_DATA) + "/" + kEntryCheckFile).c_str()));
    CEntryCheck check;
    ASSERT_TRUE(check.Run(list));
    const size_t nExpected = sizeof kEntryCheckExpected / sizeof kEntryCheckExpected[0];
    ASSERT_EQ(nExpected, check.GetCount());
    for (size_t n = 0; n < nExpected; ++n)
    {
        EXPECT_EQ(kEntryCheckExpected[n].nRow, check.GetRow(n) + 1) << n;
        EXPECT_STREQ(kEntryCheckExpected[n].pszText, check.GetText(list, n).c_str()) << n;
    }
}

// A row's problems in the order of the rules, names in their order; the
// families apart; a name beyond the 9th maps nothing.
TEST(EntryCheck, ProblemsOfOneRowComeInTheRulesOrder)
{
    CEntryList list;
    for (const char* pszLine : {"0.0.0.0 a b c d e f g h i j k", "0.0.0.0 k", "::1 a", "1.2.3.4 a/b *c a d:1 e f g h i j",
                                "localhost ::1", "0.0.0.0\t", "\t 0.0.0.0 z", "000.0.0.0 b"})
        ASSERT_TRUE(list.Append(pszLine, std::char_traits<char>::length(pszLine)));
    CEntryCheck check;
    ASSERT_TRUE(check.Run(list));
    std::string seen;
    for (size_t n = 0; n < check.GetCount(); ++n)
        seen += std::to_string(check.GetRow(n) + 1) + ": " + check.GetText(list, n).c_str() + "\n";
    EXPECT_EQ("1: 11 names on one line: Windows reads the first 9 and ignores \"j\" and the rest.\n"
              "4: \"a/b\" is a web address: write the host name alone (\"a\").\n"
              "4: \"*c\": Windows does not match wildcards; list each host name.\n"
              "4: \"d:1\": a hosts file takes no port; write the host name alone (\"d\").\n"
              "4: 10 names on one line: Windows reads the first 9 and ignores \"j\" and the rest.\n"
              "4: \"a\" is also on row 1, whose address Windows uses.\n"
              "4: \"e\" is also on row 1, whose address Windows uses.\n"
              "4: \"f\" is also on row 1, whose address Windows uses.\n"
              "4: \"g\" is also on row 1, whose address Windows uses.\n"
              "4: \"h\" is also on row 1, whose address Windows uses.\n"
              "4: \"i\" is also on row 1, whose address Windows uses.\n"
              "5: The address comes first: write \"::1 localhost\".\n"
              "6: No host name after the address: Windows ignores this line.\n"
              "8: \"b\" is already on row 1 with the same address.\n",
              seen);
}

// Thousands of names, of every length up to past 40 bytes, come back in
// other case, on the same address or another written otherwise: each is
// found, however large the table of names has grown. Bytes above 0x7F have
// no case, and an IPv6 address is the same in either case.
TEST(EntryCheck, NamesMappedBeforeAreFoundAmongThousandsInAnyCase)
{
    const int kNames = 3000;
    auto name = [](int n, bool bUpper) {
        std::string text = "h" + std::to_string(n) + std::string(static_cast<size_t>(n % 37), 'x') + ".example";
        for (size_t nAt = n % 3; bUpper && nAt < text.size(); nAt += 1 + n % 2)
            text[nAt] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[nAt])));
        return text;
    };
    std::vector<std::string> lines;
    for (int n = 0; n < kNames; ++n)
        lines.push_back("10.0.0.1 " + name(n, false));
    std::string expected;
    for (int n = 0; n < kNames; ++n)
    {
        lines.push_back((n % 2 ? "10.0.0.1\t" : "010.000.000.002 ") + name(n, true));
        expected += std::to_string(lines.size()) + ": \"" + name(n, true) +
                    (n % 2 ? "\" is already on row " + std::to_string(n + 1) + " with the same address.\n"
                           : "\" is also on row " + std::to_string(n + 1) + ", whose address Windows uses.\n");
    }
    for (const char* pszLine : {"1.1.1.1 a\xC1z", "1.1.1.1 a\xE1z", "fe80::ab c", "FE80::AB C"})
        lines.push_back(pszLine);
    expected += std::to_string(lines.size()) + ": \"C\" is already on row " + std::to_string(lines.size() - 1) +
                " with the same address.\n";

    CEntryList list;
    for (const std::string& line : lines)
        ASSERT_TRUE(list.Append(line.data(), line.size()));
    CEntryCheck check;
    ASSERT_TRUE(check.Run(list));
    std::string seen;
    for (size_t n = 0; n < check.GetCount(); ++n)
        seen += std::to_string(check.GetRow(n) + 1) + ": " + check.GetText(list, n).c_str() + "\n";
    EXPECT_EQ(expected, seen);
}
