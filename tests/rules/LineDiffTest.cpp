#include "hosts/LineDiff.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

class CLines : public CLineSequence
{
public:
    explicit CLines(const Lines& lines) : m_lines(lines) {}
    size_t Count() const override { return m_lines.size(); }
    CLineText Line(size_t n) const override
    {
        // The first byte as the head, so that the two pieces get used.
        const std::string& line = m_lines[n];
        size_t nHead = line.empty() ? 0 : 1;
        return CLineText{line.data(), nHead, line.data() + nHead, line.size() - nHead};
    }

private:
    const Lines& m_lines;
};

// The slow, obviously right length of the longest common subsequence.
size_t LongestCommon(const Lines& a, const Lines& b)
{
    std::vector<std::vector<size_t>> length(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            length[i][j] = a[i] == b[j] ? length[i + 1][j + 1] + 1 : std::max(length[i + 1][j], length[i][j + 1]);
    return length[0][0];
}

// The runs are of equal lines, in order on both sides, apart; the number of
// lines they match.
size_t CheckedMatches(const Lines& a, const Lines& b, const std::vector<CLineMatch>& matches)
{
    size_t nMatched = 0;
    size_t nNextA = 0, nNextB = 0;
    for (size_t n = 0; n < matches.size(); ++n)
    {
        const CLineMatch& match = matches[n];
        EXPECT_GT(match.nLength, 0u);
        EXPECT_GE(match.nA, nNextA);
        EXPECT_GE(match.nB, nNextB);
        if (n > 0)
        {
            EXPECT_FALSE(match.nA == nNextA && match.nB == nNextB) << "touching runs are one";
        }
        EXPECT_LE(match.nA + match.nLength, a.size());
        EXPECT_LE(match.nB + match.nLength, b.size());
        for (size_t k = 0; k < match.nLength && match.nA + k < a.size() && match.nB + k < b.size(); ++k)
            EXPECT_EQ(a[match.nA + k], b[match.nB + k]);
        nNextA = match.nA + match.nLength;
        nNextB = match.nB + match.nLength;
        nMatched += match.nLength;
    }
    return nMatched;
}

std::vector<CLineMatch> Diff(const Lines& a, const Lines& b)
{
    std::vector<CLineMatch> matches;
    EXPECT_TRUE(DiffLines(CLines(a), CLines(b), matches));
    return matches;
}
}

TEST(LineDiff, MatchesAsManyLinesAsTheLongestCommonSubsequence)
{
    std::mt19937 random(20261208);
    for (int nCase = 0; nCase < 2000; ++nCase)
    {
        // Few different lines, so that there are many ways to match them.
        auto make = [&](size_t nMax) {
            Lines lines(random() % (nMax + 1));
            for (std::string& line : lines)
                line = std::string(1 + random() % 2, static_cast<char>('a' + random() % 4));
            return lines;
        };
        Lines a = make(12);
        Lines b = make(12);
        EXPECT_EQ(LongestCommon(a, b), CheckedMatches(a, b, Diff(a, b))) << "case " << nCase;
    }
    EXPECT_TRUE(Diff({}, {}).empty());
    EXPECT_TRUE(Diff({"a"}, {}).empty());
    EXPECT_EQ(1u, Diff({"a", "b"}, {"a", "b"}).size()) << "one run";
}

TEST(LineDiff, FindsTheLinesLeftAloneInLargeFiles)
{
    // A hundred thousand lines, one changed, one removed, one added.
    Lines a;
    for (int n = 0; n < 100000; ++n)
        a.push_back("0.0.0.0 host" + std::to_string(n) + ".example");
    Lines b = a;
    b[500] = "# " + b[500];
    b.erase(b.begin() + 70000);
    b.insert(b.begin() + 90000, "10.0.0.1 new.example");
    std::vector<CLineMatch> matches = Diff(a, b);
    EXPECT_EQ(99998u, CheckedMatches(a, b, matches));
    EXPECT_EQ(4u, matches.size());

    // Thousands of scattered changes, and lines that occur many times, too
    // many for the exact method in one piece: every line left alone and
    // found once on each side is still found.
    std::mt19937 random(7);
    Lines c, d;
    size_t nLeftAlone = 0;
    for (int n = 0; n < 40000; ++n)
    {
        std::string line = n % 7 == 0 ? "# ----" : "127.0.0.1 site" + std::to_string(n) + ".example";
        unsigned nWhat = random() % 10;
        if (nWhat != 0)
            c.push_back(line);
        if (nWhat == 1)
            d.push_back("# " + line);
        else if (nWhat == 2)
            d.push_back("0.0.0.0 other" + std::to_string(n) + ".example");
        else
            d.push_back(line);
        if (nWhat > 2 && n % 7 != 0)
            ++nLeftAlone;
    }
    matches = Diff(c, d);
    size_t nMatched = CheckedMatches(c, d, matches);
    EXPECT_GE(nMatched, nLeftAlone);
}
