// The state of one line matching (hosts/follow/LineDiff.h) and the steps
// that work on it, in three files by concern:
// - LineDiff.cpp: the order of the rules, the common head and tail, and the
//   walk along both versions in step;
// - LineCounting.cpp: counting each text's copies where only some lines'
//   matches are wanted, instead of matching the rest;
// - LineChains.cpp: the texts of the lines the walk leaves, the splitting by
//   chains of lines whose text occurs equally often on both sides, and the
//   last rule;
// - LinePreference.cpp: wanted lines before the others of their text, after
//   the matcher has run (PreferWanted, below).
// The small accessors stay here, inline, as every step calls them for each
// line. Only the line matching uses this: its three files are compiled as
// one unit (hosts/follow/CMakeLists.txt), inside which the matcher has
// internal linkage, so that the compiler may inline its steps into one
// another and keep no copy of them besides.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/follow/LineDiff.h"
#include "hosts/follow/LineTextIndex.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace linetext
{
// Ends of the lists of a text's lines, and chain links (see Region).
const uint32_t kEnd = 0xFFFFFFFFu;
const uint32_t kLink = 0xFFFFFFFEu;

// The splitting by chains ends after this many levels, or once the work (the
// lines of each stretch at each level) reaches this many times the lines of
// the middle; the last rule matches what is left then.
const int kMaxDepth = 48;
const uint64_t kWorkPerLine = 24;

namespace
{
class CLineMatcher
{
public:
    // pWanted: the lines of a whose matches are wanted, when not all are.
    CLineMatcher(const CLineSequence& a, const CLineSequence& b, std::vector<uint32_t>& match,
                 const std::vector<uint32_t>* pWanted)
        : m_a(a), m_b(b), m_match(match), m_pWanted(pWanted)
    {
    }

    // How many lines of a are left without a match.
    size_t Unmatched() const;

    void Run();

private:
    CLineText LineA(uint32_t i) const { return m_a.Line(m_nBase + i); }
    CLineText LineB(uint32_t j) const { return m_b.Line(m_nBase + j); }

    uint32_t TextOfA(uint32_t i) const { return (m_x[i].nText & kRepresentative) ? i : m_x[i].nText; }
    uint32_t TextOfB(uint32_t j) const { return m_y[j] & ~kMatched; }
    uint32_t CountA(uint32_t r) const { return m_x[r].nText & kCountMax; }
    uint32_t CountB(uint32_t r) const { return (m_x[r].nText >> 15) & kCountMax; }
    void ClearCounts(uint32_t r) { m_x[r].nText = kRepresentative; }
    void CountInA(uint32_t r)
    {
        if (CountA(r) < kCountMax)
            ++m_x[r].nText;
    }
    void CountInB(uint32_t r)
    {
        if (CountB(r) < kCountMax)
            m_x[r].nText += 1u << 15;
    }

    bool IsMatchedA(uint32_t i) const { return m_match[m_nBase + i] != kNoLine; }
    bool IsMatchedB(uint32_t j) const { return (m_y[j] & kMatched) != 0; }
    uint32_t PartnerOf(uint32_t i) const { return m_match[m_nBase + i] - static_cast<uint32_t>(m_nBase); }
    void Pair(uint32_t i, uint32_t j)
    {
        m_match[m_nBase + i] = static_cast<uint32_t>(m_nBase + j);
        m_y[j] |= kMatched;
    }

    // The walk along both sides in step (LineDiff.cpp).
    bool Walk();

    // Counting instead of matching (LineCounting.cpp).
    bool CountOnly(bool bWalked, uint32_t nLeftA);

    // The texts, the chains and the last rule (LineChains.cpp).
    void Classify();
    template <typename Done>
    void ClassifySide(bool bA, Done done);
    void Region(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, int nDepth, bool bWhole = false);
    void PairTexts(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1, uint32_t nRarest, std::vector<uint32_t>& keys,
                   std::vector<uint32_t>& tops);
    void PairTextsOnce(std::vector<uint32_t>& keys, std::vector<uint32_t>& tops);
    void Extend(std::vector<uint32_t>& keys, std::vector<uint32_t>& tops, uint32_t nKey, uint32_t i);
    void CountStretch(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1);
    void PairInOrder(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1);
    bool HasUnmatched(uint32_t a0, uint32_t a1, uint32_t b0, uint32_t b1) const;
    void MatchWhatIsLeft();

    const CLineSequence& m_a;
    const CLineSequence& m_b;
    std::vector<uint32_t>& m_match;
    const std::vector<uint32_t>* m_pWanted;
    bool m_bCounted = false;  // m_nUnmatched is known without the matches
    size_t m_nUnmatched = 0;
    size_t m_nBase = 0;      // the head's length: the middle's first line on both sides
    uint32_t m_nA = 0;       // the middle's lines on each side
    uint32_t m_nB = 0;
    CTextIndex m_index;           // the unmatched lines of a by text
    std::vector<ALine>& m_x = m_index.x;
    std::vector<uint32_t> m_y;      // per line of b: representative, matched
    std::vector<uint32_t> m_heads;  // per representative: its list's first line
    std::vector<uint32_t> m_next;   // per line of a: the next in its list
    uint64_t m_nWork = 0;
    uint64_t m_nBudget = 0;
};

// Where a wanted line of a has no match and a line of its text that is not
// wanted has one, the wanted line takes it (LineDiff.h, the last rule):
// each text's wanted lines without a match, in a's order, from its matched
// lines that are not wanted, in a's order.
void PreferWanted(const CLineSequence& a, const std::vector<uint32_t>& wanted, std::vector<uint32_t>& matchOfA);
}
}
