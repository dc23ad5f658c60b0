#include "hosts/review/Compaction.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/review/EntryFix.h"

#include "hosts/review/Sections.h"
#include "tests/document/EntryListHelpers.h"
#include "tests/support/Resolved.h"

#include <gtest/gtest.h>

namespace
{
CEntryList ListOf(const Lines& lines)
{
    CEntryList list;
    for (const std::string& line : lines)
        EXPECT_TRUE(list.Append(line.data(), line.size()));
    return list;
}

// Fixes every problem the check finds, as one step.
CEntryFix::Result FixAll(CEntryList& list)
{
    CEntryCheck check;
    EXPECT_TRUE(check.Run(list));
    std::vector<uint32_t> all;
    for (size_t n = 0; n < check.GetCount(); ++n)
        all.push_back(static_cast<uint32_t>(n));
    list.BeginStep();
    const CEntryFix::Result result = CEntryFix::Mend(list, check, all);
    list.EndStep();
    return result;
}
}

// One line per mend, the rows around it as they are; the lines without a
// mend, and a mend that would move a name to another address, stay.
TEST(EntryFix, EachMendChangesOnlyItsWords)
{
    struct Case
    {
        Lines before;
        Lines after;
    } cases[] = {
        {{"127.0.0.1:8080 app.local"}, {"127.0.0.1 app.local"}},
        {{"intranet.example\t10.0.0.9  # x"}, {"10.0.0.9\tintranet.example  # x"}},
        {{"0.0.0.0 https://intranet.example/ b"}, {"0.0.0.0 intranet.example b"}},
        {{"0.0.0.0  app.local:8080\t#c"}, {"0.0.0.0  app.local\t#c"}},
        {{"1.2.3.4 a b c d e f g h i j k l m n o p q r s t  # tail"},
         {"1.2.3.4 a b c d e f g h i# tail", "1.2.3.4 j k l m n o p q r", "1.2.3.4 s t"}},
        {{"1.2.3.4\ta b c d e f g h i j "}, {"1.2.3.4\ta b c d e f g h i", "1.2.3.4 j"}},
        {{"0.0.0.0 x", "0.0.0.0 y\tX  z"}, {"0.0.0.0 x", "0.0.0.0 y  z"}},
        {{"0.0.0.0 x", "000.0.0.0 x x # gone"}, {"0.0.0.0 x"}},
        // A duplicate gone brings the 10th name in: it is read from then on.
        {{"0.0.0.0 a", "0.0.0.0 a b c d e f g h i j"}, {"0.0.0.0 a", "0.0.0.0 b c d e f g h i j"}},
        {{"0.0.0.0 *.x", "0.0.0.0 a_b..c", "0.0.0.0", "words only", "0.0.0.0 https:/// :80", "0.0.0.0 x", "1.1.1.1 x"},
         {"0.0.0.0 *.x", "0.0.0.0 a_b..c", "0.0.0.0", "words only", "0.0.0.0 https:/// :80", "0.0.0.0 x", "1.1.1.1 x"}},
        // a.example resolves to 1.1.1.1 today: the mend would move it.
        {{"0.0.0.0 https://a.example/", "1.1.1.1 a.example"}, {"0.0.0.0 https://a.example/", "1.1.1.1 a.example"}},
        {{"1.1.1.1 https://a.example/", "1.1.1.1 a.example"}, {"1.1.1.1 a.example", "1.1.1.1 a.example"}},
        {{"0.0.0.0 a b c d e f g h i k", "1.1.1.1 k"}, {"0.0.0.0 a b c d e f g h i k", "1.1.1.1 k"}},
    };
    for (const Case& c : cases)
    {
        CEntryList list = ListOf(c.before);
        const bool bChanges = c.before != c.after;
        EXPECT_EQ(bChanges ? CEntryFix::mended : CEntryFix::nothingMended, FixAll(list)) << c.before[0];
        EXPECT_EQ(c.after, Texts(list)) << c.before[0];
        CRowHistory::Pick pick;
        EXPECT_EQ(bChanges, list.Undo(pick));
        EXPECT_EQ(c.before, Texts(list));
    }
}

// A save writes the mended lines in place of the old ones and the split's
// lines after it, each ended as the line it follows; every other byte stays.
TEST(EntryFix, SaveWritesTheMendedLinesOnly)
{
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded,
              LoadBytes(list, "# list\r\n  1.2.3.4 a b c d e f g h i j k\n\n0.0.0.0 x\r\n0.0.0.0 x\r\n0.0.0.0 y:1"));
    ASSERT_EQ(CEntryFix::mended, FixAll(list));
    EXPECT_EQ("# list\r\n  1.2.3.4 a b c d e f g h i\n1.2.3.4 j k\n\n0.0.0.0 x\r\n0.0.0.0 y", Saved(list));
}

// Runs of one address compact to lines of 9 names; a blank line, another
// row, another address, a comment or a full line end a run or keep it; the
// same address written otherwise is the same.
TEST(Compaction, RewritesRunsOfOneAddressOnly)
{
    struct Case
    {
        Lines before;
        Lines after;
    } cases[] = {
        {{"0.0.0.0 a", "0.0.0.0\tb c", "0.000.0.0 d", "0.0.0.0 e f g h", "0.0.0.0 i j", "0.0.0.0 k"},
         {"0.0.0.0 a b c d e f g h i", "0.0.0.0 j k"}},
        {{"::1 a", "0:0:0:0:0:0:0:1 b", "::0.0.0.1 c", "::2 d", "::2 e"}, {"::1 a b c", "::2 d e"}},
        {{"fe80::1%1 a", "fe80::1%2 b", "10.0.0.1 a", "10.0.0.2 b"},
         {"fe80::1%1 a", "fe80::1%2 b", "10.0.0.1 a", "10.0.0.2 b"}},
        {{"0.0.0.0 a", "0.0.0.0 b # c", "0.0.0.0 c", "# 0.0.0.0 d", "0.0.0.0 e", "0.0.0.0 f"},
         {"0.0.0.0 a", "0.0.0.0 b # c", "0.0.0.0 c", "# 0.0.0.0 d", "0.0.0.0 e f"}},
        {{"0.0.0.0 a b c d e f g h i", "0.0.0.0 j k l m n o p q r"},
         {"0.0.0.0 a b c d e f g h i", "0.0.0.0 j k l m n o p q r"}},
        {{"0.0.0.0 a b", "0.0.0.0 B c", "0.0.0.0 a"}, {"0.0.0.0 a b c"}},
        {{"0.0.0.0 a b c d e f g h i j", "0.0.0.0 k", "0.0.0.0"}, {"0.0.0.0 a b c d e f g h i j", "0.0.0.0 k", "0.0.0.0"}},
    };
    for (const Case& c : cases)
    {
        CEntryList list = ListOf(c.before);
        CCompaction compaction;
        ASSERT_TRUE(compaction.Find(list));
        EXPECT_EQ(c.before == c.after, compaction.IsEmpty()) << c.before[0];
        list.BeginStep();
        ASSERT_TRUE(compaction.Apply(list));
        list.EndStep();
        EXPECT_EQ(c.after, Texts(list)) << c.before[0];
        EXPECT_EQ(static_cast<int>(c.before.size() - c.after.size()),
                  compaction.GetLinesBefore() - compaction.GetLinesAfter());
    }
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, LoadBytes(list, "0.0.0.0 a\r\n0.0.0.0 b\n\n0.0.0.0 c\n0.0.0.0 d\r\n# end"));
    CCompaction compaction;
    ASSERT_TRUE(compaction.Find(list));
    EXPECT_EQ(4, compaction.GetLinesBefore());
    EXPECT_EQ(2, compaction.GetLinesAfter());
    ASSERT_TRUE(compaction.Apply(list));
    EXPECT_EQ("0.0.0.0 a b\r\n\n0.0.0.0 c d\n# end", Saved(list));
}

// The real blocklist compacted: every name resolves as before, its 52 runs
// of 2,295 lines become 284 lines, and each section keeps its heading and
// status.
TEST(Compaction, RealBlocklistResolvesAsBeforeInFewerLines)
{
    CEntryList list;
    ASSERT_EQ(CEntryList::loaded, list.Load((std::string(TARNWICK_TEST_DATA) + "/real-blocklist-hosts.txt").c_str()));
    const int nRows = list.GetCount();
    const std::map<std::string, std::string> resolved = Resolved(list);
    auto sections = [&list] {
        CSections found;
        EXPECT_TRUE(found.Find(list));
        std::vector<std::string> headings;
        for (int n = 0; n < found.GetCount(); ++n)
        {
            const CSections::Heading heading = CSections::HeadingText(list, found.GetSection(n).nHeading);
            headings.push_back(std::string(heading.pch, heading.nLength) + " " +
                               CSections::StatusText(found.GetStatus(n)));
        }
        return headings;
    };
    const std::vector<std::string> before = sections();
    CCompaction compaction;
    ASSERT_TRUE(compaction.Find(list));
    EXPECT_EQ(2295, compaction.GetLinesBefore());
    EXPECT_EQ(284, compaction.GetLinesAfter());
    ASSERT_TRUE(compaction.Apply(list));
    EXPECT_EQ(nRows - 2295 + 284, list.GetCount());
    EXPECT_EQ(resolved, Resolved(list));
    EXPECT_EQ(before, sections());
}
