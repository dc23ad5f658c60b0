#include "hosts/follow/LineBytes.h"
#include "hosts/follow/LineMatcher.h"

#include <algorithm>
#include <vector>

namespace linetext
{
namespace
{
// The texts of the wanted lines left without a match, each text once, with
// its lines in a's order: a list through next, taken from the front.
class CWaitingTexts
{
public:
    CWaitingTexts(const CLineSequence& a, const std::vector<uint32_t>& lines) : m_a(a), m_lines(lines)
    {
        m_nSlots = static_cast<uint32_t>(lines.size() + lines.size() / 2 + 1);
        m_slots.assign(m_nSlots, 0);
        m_next.assign(lines.size(), kEnd);
        for (uint32_t k = 0; k < lines.size(); ++k)
        {
            const CLineText text = a.Line(lines[k]);
            const uint64_t nHash = HashText(text);
            uint32_t& nSlot = Find(nHash, text);
            if (nSlot != 0)
            {
                // Its text's list is there: the line goes at its end.
                CText& known = m_texts[nSlot - 1];
                m_next[known.nLast] = k;
                known.nLast = k;
                continue;
            }
            m_texts.push_back(CText{nHash, k, k});
            nSlot = static_cast<uint32_t>(m_texts.size());
            m_sieve[Sieve(nHash)] = true;
        }
        m_nWaiting = lines.size();
    }

    bool Empty() const { return m_nWaiting == 0; }

    // The first wanted line still waiting whose text line holds, taken off
    // its list; kNoLine when none is.
    uint32_t Take(const CLineText& line)
    {
        const uint64_t nHash = HashText(line);
        if (!m_sieve[Sieve(nHash)])
            return kNoLine;
        const uint32_t nSlot = Find(nHash, line);
        if (nSlot == 0)
            return kNoLine;
        CText& text = m_texts[nSlot - 1];
        if (text.nFirst == kEnd)
            return kNoLine;
        const uint32_t k = text.nFirst;
        text.nFirst = m_next[k];
        --m_nWaiting;
        return m_lines[k];
    }

private:
    struct CText
    {
        uint64_t nHash;
        uint32_t nFirst;  // the first of its lines still waiting, or kEnd
        uint32_t nLast;
    };

    // The slot of the text with these bytes, or the free slot where it
    // would go.
    uint32_t& Find(uint64_t nHash, const CLineText& line)
    {
        uint32_t nSlot = static_cast<uint32_t>(((nHash >> 32) * m_nSlots) >> 32);
        for (;; nSlot = nSlot + 1 == m_nSlots ? 0 : nSlot + 1)
        {
            const uint32_t nHere = m_slots[nSlot];
            if (nHere == 0)
                return m_slots[nSlot];
            const CText& text = m_texts[nHere - 1];
            if (text.nHash == nHash && SameText(line, m_a.Line(m_lines[AnyLine(nHere - 1)])))
                return m_slots[nSlot];
        }
    }
    // A line of the text: its last, whose place in the list stays known.
    uint32_t AnyLine(size_t nText) const { return m_texts[nText].nLast; }
    static size_t Sieve(uint64_t nHash) { return static_cast<size_t>(nHash >> 8) & 0x3FFFF; }

    const CLineSequence& m_a;
    const std::vector<uint32_t>& m_lines;
    std::vector<CText> m_texts;
    std::vector<uint32_t> m_slots;  // a text's index plus one; 0 is free
    std::vector<uint32_t> m_next;   // per waiting line: the next of its text
    uint32_t m_nSlots = 1;
    size_t m_nWaiting = 0;
    std::vector<bool> m_sieve = std::vector<bool>(0x40000, false);
};
}

namespace
{
void PreferWanted(const CLineSequence& a, const std::vector<uint32_t>& wanted, std::vector<uint32_t>& matchOfA)
{
    std::vector<uint32_t> waiting;
    for (uint32_t i : wanted)
        if (matchOfA[i] == kNoLine)
            waiting.push_back(i);
    if (waiting.empty())
        return;
    // Only the matched lines that are not wanted can give their match.
    const size_t nMatched =
        matchOfA.size() - static_cast<size_t>(std::count(matchOfA.begin(), matchOfA.end(), kNoLine));
    if (nMatched == wanted.size() - waiting.size())
        return;
    std::sort(waiting.begin(), waiting.end());
    std::vector<bool> isWanted(matchOfA.size(), false);
    for (uint32_t i : wanted)
        isWanted[i] = true;
    CWaitingTexts texts(a, waiting);
    for (uint32_t i = 0; i < matchOfA.size() && !texts.Empty(); ++i)
    {
        if (matchOfA[i] == kNoLine || isWanted[i])
            continue;
        const uint32_t nWanted = texts.Take(a.Line(i));
        if (nWanted == kNoLine)
            continue;
        matchOfA[nWanted] = matchOfA[i];
        matchOfA[i] = kNoLine;
    }
}
}
}
