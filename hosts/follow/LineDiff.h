// Which lines of one version of a file are the same lines in another: the
// line matching that carrying changes over rests on. It knows nothing of
// rows, comments or windows: two sequences of lines in, for each line of the
// first the line of the second it is, or none, out.
//
// The rules, in order:
// - the common head and tail are the same lines;
// - a line whose text occurs once on each side is the same line wherever it
//   now stands (another program sorted or reversed the file);
// - lines that occur several times are matched in order between the lines
//   around them that do match: the longest chain of lines whose text occurs
//   equally often on both sides of a stretch, in the same order on both,
//   splits it, and each piece between two links is matched the same way;
// - last, whatever is left of a text on one side is matched, in order, with
//   whatever is left of it on the other, so that for every text as many
//   lines are matched as the side with fewer of them holds;
// - where some lines are wanted (CMatchRequest::pWanted) and a text has
//   fewer lines in b than in a, the wanted lines of that text are matched
//   before the others: a wanted line left without a match takes the match
//   of a line of its text that is not wanted, the first such line in a's
//   order for the first wanted one. So of each text, at most as many wanted
//   lines go without a match as a holds more wanted lines of it than b holds
//   lines of it.
//
// Lines are compared by their bytes in the walk and the common head and
// tail, and elsewhere by a 64-bit hash: two different lines whose hashes
// agree (about one chance in 10^7 for two files of a million lines) may be
// matched, so a caller that acts on a match compares the lines first.
// Cost: one hash and about one comparison of bytes a line, then work in
// proportion to the lines of each stretch at each level of splitting; the
// levels end after 48 or once the work reaches 24 times the lines, after
// which the last rule alone matches what is left. So no input costs more
// than about 30 passes over the lines' numbers, whatever repeats. Before
// all that, a walk along both sides in step (looking a few lines ahead where
// they differ) matches a version with a few lines added, removed or changed
// at one comparison a line, and what it leaves is matched by the rules
// below in the stretches between; it gives up where it keeps finding no
// way on. The preference for wanted lines is one more pass, over the lines
// of a that are matched but not wanted, and only where a wanted line is
// left without a match. Memory: while lines are hashed 25 bytes a line of a
// and 4 a line of b, then 20 a line of a and 4 a line of b, besides the
// result (4 a line of a); where only the count of what is left is needed
// (see CMatchRequest::pWanted), 10 bytes a line of a and 4 a text of a that
// repeats, besides the result. However many lines share a text, each table
// holds the text once.
//
// No windows.h: this builds natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A line's bytes in two pieces (a head, which may be empty, then the rest),
// as the entry list hands out a row's text.
struct CLineText
{
    const char* pchHead;
    size_t nHead;
    const char* pch;
    size_t nLength;

    size_t Length() const { return nHead + nLength; }
};

// A sequence of lines the matching reads by index.
class CLineSequence
{
public:
    virtual ~CLineSequence() = default;
    virtual size_t Count() const = 0;
    virtual CLineText Line(size_t n) const = 0;
};

// No line of the other side.
const uint32_t kNoLine = 0xFFFFFFFFu;

// What a matching is asked for besides every line's match. The vector is
// the caller's, read in place, and must outlive the call.
struct CMatchRequest
{
    // The lines of a whose matches are wanted, each below a's count, none
    // twice; null for all of them. Only these lines' matches are then
    // sure to be given, and the others may be left without one: where the
    // walk or the common head and tail match every wanted line, or each has
    // a text once on each side or in no line of b, the rest is only counted,
    // not matched. Wanted lines are matched before the others of their text
    // (the last rule above).
    const std::vector<uint32_t>* pWanted = nullptr;
};

// What a matching gives.
struct CMatchResult
{
    // matchOfA[i] is the line of b that a[i] is, or kNoLine; no line of b is
    // given twice, and matched lines hold the same bytes (but for a clash of
    // hashes, above).
    std::vector<uint32_t> matchOfA;
    // How many lines of a the whole matching leaves without a match, also
    // where (with CMatchRequest::pWanted) the rest is only counted, not
    // matched.
    size_t nUnmatched = 0;
};

// Matches the lines of a with those of b, as asked, into result. False when
// there is not enough memory (or more than 2^31 lines a side); matchOfA is
// then empty.
bool MatchLines(const CLineSequence& a, const CLineSequence& b, const CMatchRequest& request, CMatchResult& result);

// Whether two lines hold the same bytes, however they are split.
bool SameLine(const CLineText& a, const CLineText& b);
// A 64-bit hash of a line's bytes, the same however they are split.
uint64_t HashLine(const CLineText& line);
