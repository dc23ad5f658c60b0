#include "hosts/follow/LineDiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <utility>
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

// Each line of a is matched at most once, with an equal line of b, and no
// line of b twice; for every text as many lines are matched as the side
// with fewer of them holds. The number of lines matched.
size_t CheckedMatches(const Lines& a, const Lines& b, const std::vector<uint32_t>& match)
{
    EXPECT_EQ(a.size(), match.size());
    std::vector<bool> taken(b.size(), false);
    std::map<std::string, std::pair<size_t, size_t>> counts;  // text: in a, in b
    std::map<std::string, size_t> matched;
    for (const std::string& line : a)
        ++counts[line].first;
    for (const std::string& line : b)
        ++counts[line].second;
    size_t nMatched = 0;
    for (size_t i = 0; i < match.size() && i < a.size(); ++i)
    {
        if (match[i] == kNoLine)
            continue;
        EXPECT_LT(match[i], b.size());
        if (match[i] >= b.size())
            continue;
        EXPECT_FALSE(taken[match[i]]) << "line " << match[i] << " of b matched twice";
        taken[match[i]] = true;
        EXPECT_EQ(a[i], b[match[i]]);
        ++matched[a[i]];
        ++nMatched;
    }
    for (const auto& text : counts)
        EXPECT_EQ(std::min(text.second.first, text.second.second), matched[text.first]) << text.first;
    return nMatched;
}

std::vector<uint32_t> Match(const Lines& a, const Lines& b)
{
    CMatchResult result;
    EXPECT_TRUE(MatchLines(CLines(a), CLines(b), CMatchRequest(), result));
    return std::move(result.matchOfA);
}

// Matched again with only some lines wanted (none, every third, every one,
// every seventh whose text is once in a): the same number of lines of a is
// left without a match; a wanted line that had a match keeps it, one that
// had none may take the match of a line of its text that is not wanted; and
// of each text at most as many wanted lines go without a match as a holds
// more wanted lines of it than b holds lines of it.
void ExpectWantedMatches(const Lines& a, const Lines& b, const std::vector<uint32_t>& match)
{
    std::map<std::string, int> inA, inB;
    for (const std::string& line : a)
        ++inA[line];
    for (const std::string& line : b)
        ++inB[line];
    const size_t nUnmatched = static_cast<size_t>(std::count(match.begin(), match.end(), kNoLine));
    CMatchRequest request;
    CMatchResult again;
    for (uint32_t nEvery : {0u, 3u, 1u, 7u})
    {
        std::vector<uint32_t> rows;
        for (uint32_t i = 0; nEvery != 0 && i < a.size(); i += nEvery)
            if (nEvery != 7 || inA[a[i]] == 1)
                rows.push_back(i);
        request.pWanted = &rows;
        ASSERT_TRUE(MatchLines(CLines(a), CLines(b), request, again));
        EXPECT_EQ(nUnmatched, again.nUnmatched) << "every " << nEvery;
        std::map<std::string, int> wanted, unmatched;
        for (uint32_t i : rows)
        {
            ++wanted[a[i]];
            if (match[i] != kNoLine)
                ASSERT_EQ(match[i], again.matchOfA[i]) << "line " << i << ", every " << nEvery;
            else if (again.matchOfA[i] == kNoLine)
                ++unmatched[a[i]];
            else
                ASSERT_EQ(a[i], b[again.matchOfA[i]]) << "line " << i << ", every " << nEvery;
        }
        for (const auto& text : unmatched)
            EXPECT_LE(text.second, std::max(0, wanted[text.first] - inB[text.first]))
                << text.first << ", every " << nEvery;
    }
}
}

TEST(LineDiff, LinesAreTheSameOnlyWhenEveryByteIs)
{
    // Every length to past three words, a byte changed at every place, and
    // the head (the comment mark) cut at none, one or two bytes on either
    // side.
    for (size_t nLength = 0; nLength <= 26; ++nLength)
    {
        const std::string text(nLength, 'x');
        for (size_t nChanged = 0; nChanged <= nLength; ++nChanged)
        {
            std::string other = text;
            if (nChanged < nLength)
                other[nChanged] = 'y';
            for (size_t nHeadA = 0; nHeadA <= std::min<size_t>(2, nLength); ++nHeadA)
                for (size_t nHeadB = 0; nHeadB <= std::min<size_t>(2, nLength); ++nHeadB)
                {
                    CLineText a{text.data(), nHeadA, text.data() + nHeadA, nLength - nHeadA};
                    CLineText b{other.data(), nHeadB, other.data() + nHeadB, nLength - nHeadB};
                    EXPECT_EQ(nChanged == nLength, SameLine(a, b)) << nLength << " bytes, changed at " << nChanged;
                }
        }
    }
    EXPECT_FALSE(SameLine(CLineText{"", 0, "ab", 2}, CLineText{"", 0, "abc", 3}));
}

TEST(LineDiff, MatchesEveryTextAsOftenAsTheSideWithFewerHoldsIt)
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
        SCOPED_TRACE("case " + std::to_string(nCase));
        std::vector<uint32_t> match = Match(a, b);
        CheckedMatches(a, b, match);
        ExpectWantedMatches(a, b, match);
    }
    // Long enough for the walk along both sides to give up: a file of a few
    // dozen texts, shuffled, with a common head and tail and lines dropped.
    for (int nCase = 0; nCase < 30; ++nCase)
    {
        Lines a(1000 + random() % 2000);
        for (std::string& line : a)
            line = "0.0.0.0 h" + std::to_string(random() % (nCase + 2) * 7) + ".example";
        Lines b(a.begin() + 1 + nCase * 10, a.end() - nCase % 3);
        std::shuffle(b.begin() + nCase, b.end() - nCase % 5, random);
        b.insert(b.begin(), a.begin(), a.begin() + nCase * 5);
        SCOPED_TRACE("long case " + std::to_string(nCase));
        std::vector<uint32_t> match = Match(a, b);
        CheckedMatches(a, b, match);
        ExpectWantedMatches(a, b, match);
    }
    // Reordered, with most lines once on each side and some changed or
    // repeated: the wanted lines can mostly be told from counting alone.
    for (int nCase = 0; nCase < 12; ++nCase)
    {
        Lines a(3000);
        for (size_t n = 0; n < a.size(); ++n)
            a[n] = random() % 8 == 0 ? "#" : "0.0.0.0 h" + std::to_string(n % (2600 + nCase * 40)) + ".example";
        Lines b(a);
        std::shuffle(b.begin() + nCase % 4, b.end(), random);
        for (int n = 0; n < nCase * 20; ++n)
            b[random() % b.size()] = n % 2 ? "#" : "0.0.0.0 new" + std::to_string(random() % 5) + ".example";
        SCOPED_TRACE("reordered case " + std::to_string(nCase));
        ExpectWantedMatches(a, b, Match(a, b));
    }
    // More copies of a line than counting keeps count of, reordered.
    Lines many(131100, "#"), manyAfter;
    for (size_t n = 1; n < many.size(); n += 2)
        many[n] = "0.0.0.0 h" + std::to_string(n) + ".example";
    manyAfter.assign(many.rbegin() + 3, many.rend());
    std::vector<uint32_t> match = Match(many, manyAfter), rows;
    CMatchRequest request;
    request.pWanted = &rows;
    CMatchResult counted;
    ASSERT_TRUE(MatchLines(CLines(many), CLines(manyAfter), request, counted));
    EXPECT_EQ(3u, counted.nUnmatched);
    EXPECT_TRUE(Match({}, {}).empty());
    EXPECT_EQ((std::vector<uint32_t>{kNoLine}), Match({"a"}, {}));
    // Sorted by another program: each line found where it now stands.
    EXPECT_EQ((std::vector<uint32_t>{2, 0, 1}), Match({"c", "a", "b"}, {"a", "b", "c"}));
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
    EXPECT_EQ(99998u, CheckedMatches(a, b, Match(a, b)));

    // Thousands of scattered changes, and a line that occurs many times:
    // every line left alone that occurs once is found where it now stands.
    std::mt19937 random(7);
    Lines c, d;
    std::vector<std::pair<size_t, size_t>> leftAlone;
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
            leftAlone.emplace_back(c.size() - 1, d.size() - 1);
    }
    std::vector<uint32_t> match = Match(c, d);
    CheckedMatches(c, d, match);
    for (const auto& line : leftAlone)
        ASSERT_EQ(line.second, match[line.first]) << c[line.first];

    // A list stored twice, with no line once on each side, a line added at
    // the top and one at the end: each copy's lines are found in that copy.
    // And in a run of equal lines between others, the ones left in place.
    Lines twice, twiceAfter;
    for (int nCopy = 0; nCopy < 2; ++nCopy)
        for (int n = 0; n < 5000; ++n)
            twice.push_back(n % 3 ? "0.0.0.0 ad" + std::to_string(n % 2000) + ".example" : "# ads");
    twiceAfter.push_back("10.8.0.1 vpn.example");
    twiceAfter.insert(twiceAfter.end(), twice.begin(), twice.end());
    twiceAfter.push_back("192.168.65.2 host.docker.internal");
    match = Match(twice, twiceAfter);
    for (size_t i = 0; i < twice.size(); ++i)
        ASSERT_EQ(i + 1, match[i]) << "line " << i;
    EXPECT_EQ((std::vector<uint32_t>{kNoLine, 0, 1, 2, 3, 4}),
              Match({"t", "u1", "t", "u2", "t", "u3"}, {"u1", "t", "u2", "t", "u3"}));
}
