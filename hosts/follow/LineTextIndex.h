// The texts of one version of a file, for the line matching
// (hosts/follow/LineMatcher.h): a table of its lines by hash, and a leaner
// one of its texts for counting.
// Only the line matching uses these.
//
// No windows.h: this builds natively too.
#pragma once

#include "hosts/follow/LineBytes.h"
#include "hosts/follow/LineDiff.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__i386__) && !defined(__SSE__)
#include <cpuid.h>
#endif

namespace linetext
{
// Asks for the memory at p ahead of its use. The 32-bit build is made for
// every x86 processor, and for those the compiler drops its prefetch; the
// ones with SSE (all but the oldest) are given it here, as the look-ups of
// a reordered file go to memory far away for every line, and memory asked
// for ahead comes in while other lines are worked on.
inline void Prefetch(const void* p)
{
#if defined(__i386__) && !defined(__SSE__)
    static const bool s_bSse = [] {
        unsigned int a, b, c, d;
        return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE) != 0;
    }();
    if (s_bSse)
        __asm__ __volatile__("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p);
#endif
}

// A line of a: the first of its text in a (the text's representative) keeps
// counts there; every other line names its representative.
const uint32_t kRepresentative = 0x80000000u;
const uint32_t kCountMax = 0x7FFFu;  // counts stop there: only 0, 1 and "equal" matter
// A line of b: matched already; its text is in no line of a.
const uint32_t kMatched = 0x80000000u;
const uint32_t kNoText = 0x7FFFFFFFu;

// Lines of a table's pass go in batches: each line n in [0, nLines) that
// line(n, text) gives is hashed, and first(k, n, hash, text) sees it as the
// k-th of its batch, to ask for the memory it needs ahead; then batch(count)
// works on the batch, while that memory comes in. The pass ends after a
// batch in which first said false.
const uint32_t kBatch = 16;
template <typename Line, typename First, typename Batch>
inline void HashInBatches(uint32_t nLines, Line line, First first, Batch batch)
{
    bool bGo = true;
    for (uint32_t n0 = 0; n0 < nLines && bGo; n0 += kBatch)
    {
        uint32_t nIn = 0;
        for (uint32_t n = n0; n < nLines && n < n0 + kBatch; ++n)
        {
            CLineText text;
            if (line(n, text))
                bGo &= first(nIn++, n, HashText(text), text);
        }
        batch(nIn);
    }
}

// A line of a: the low half of its hash, and its text's representative (or,
// for a representative, the counts of its text's lines, and its text's last
// line of b, which the look-ups of b leave there).
struct ALine
{
    uint32_t nLow;
    uint32_t nText;
    uint32_t nLastB;
};

// The lines of a by text: a table of them, open addressing, each slot a
// line's hash (high half) and the line plus one (low half), the low half
// kept with the line. Two lines whose 64-bit hashes agree are taken for the
// same text without reading their bytes again, which would cost a trip to
// memory far away for every line; whoever acts on a match compares the two
// lines' bytes first. A line's representative is its text's first line
// put in.
struct CTextIndex
{
    std::vector<ALine> x;
    std::vector<uint64_t> table;
    uint32_t nSlots = 0;  // below 2^32: a side holds fewer than 2^31 lines
    // A bit for each text, by the low half of its hash: most lines of b
    // whose text is in no line of a (a file rewritten) are told so from this
    // small table, without a trip to the large one.
    std::vector<uint32_t> filter;
    uint32_t nFilterBits = 64;

    void Size(uint32_t nLines)
    {
        x.assign(nLines, ALine{0, 0, 0});
        nSlots = nLines + nLines / 2 + 1;
        table.assign(nSlots, 0);
        while (nFilterBits < nLines * 8 && nFilterBits < (1u << 31))
            nFilterBits <<= 1;
        filter.assign(nFilterBits / 32, 0);
    }
    void Free()
    {
        std::vector<uint64_t>().swap(table);
        std::vector<uint32_t>().swap(filter);
    }
    uint32_t Next(uint32_t nSlot) const { return nSlot + 1 == nSlots ? 0 : nSlot + 1; }

    // The representative of the text with this hash, kNoText when there is
    // none; bAdd puts nLine there as its text's when there is none.
    uint32_t Find(uint32_t nHigh, uint32_t nLow, uint32_t nSlot, bool bAdd, uint32_t nLine)
    {
        for (;; nSlot = Next(nSlot))
        {
            uint64_t nHere = table[nSlot];
            if (nHere == 0)
            {
                if (bAdd)
                    table[nSlot] = uint64_t(nHigh) << 32 | (uint64_t(nLine) + 1);
                return kNoText;
            }
            uint32_t nOther = static_cast<uint32_t>(nHere) - 1;
            if ((nHere >> 32) == nHigh && x[nOther].nLow == nLow)
                return nOther;
        }
    }

    // Puts lines into the table (bAdd) or looks them up: every line n in
    // [0, nLines) that line(n, text) gives. done(n, r, low) gets each line's representative (kNoText:
    // none, or, with bAdd, the line is its text's first) unless the filter
    // tells at once that a line looked up is in no line put in. The lines go
    // in batches, in steps: their slots are asked for ahead of the look-ups,
    // and a found line's record ahead of its check, so that memory far away
    // comes in while other lines are worked on.
    template <typename Line, typename Done>
    void Pass(uint32_t nLines, bool bAdd, Line line, Done done)
    {
        uint32_t highs[kBatch], lows[kBatch], which[kBatch], firsts[kBatch], bits[kBatch];
        uint32_t slots[kBatch];
        auto first = [&](uint32_t k, uint32_t n, uint64_t nHash, const CLineText&) {
            highs[k] = static_cast<uint32_t>(nHash >> 32);
            lows[k] = static_cast<uint32_t>(nHash);
            bits[k] = lows[k] & (nFilterBits - 1);
            Prefetch(&filter[bits[k] / 32]);
            slots[k] = static_cast<uint32_t>((uint64_t(highs[k]) * nSlots) >> 32);
            Prefetch(&table[slots[k]]);
            which[k] = n;
            return true;
        };
        HashInBatches(nLines, line, first, [&](uint32_t nIn) {
            // The first line in each line's run of slots whose hash agrees in
            // its high half: its record is asked for next.
            for (uint32_t k = 0; k < nIn; ++k)
            {
                firsts[k] = kNoText;
                if (bAdd)
                    filter[bits[k] / 32] |= 1u << (bits[k] % 32);
                else if (!(filter[bits[k] / 32] & (1u << (bits[k] % 32))))
                {
                    which[k] = kNoText;
                    continue;
                }
                for (uint32_t nSlot = slots[k];; nSlot = Next(nSlot))
                {
                    uint64_t nHere = table[nSlot];
                    if (nHere == 0 || (nHere >> 32) == highs[k])
                    {
                        firsts[k] = nHere == 0 ? kNoText : static_cast<uint32_t>(nHere) - 1;
                        break;
                    }
                }
                if (firsts[k] != kNoText)
                    Prefetch(&x[firsts[k]]);
            }
            for (uint32_t k = 0; k < nIn; ++k)
            {
                if (which[k] == kNoText)
                    continue;
                uint32_t r = firsts[k] != kNoText && x[firsts[k]].nLow == lows[k]
                                 ? firsts[k]
                                 : Find(highs[k], lows[k], slots[k], bAdd, which[k]);
                done(which[k], r, lows[k]);
            }
        });
    }
};

// The texts of the lines of a, to count how many of them b leaves without a
// copy and to find the one line of b of a text that a holds once, without a
// record for each line. Open addressing, a slot for each text: the high half
// of its hash, and either the one line of a that holds it (its first copy
// of b taken or not) or, for a text a holds more than once, its entry among
// the repeated texts (the copies not yet taken).
// The counting (LineCounting.cpp) compares a slot's line's bytes where a
// wanted line is concerned.
class CLineTally
{
public:
    static const uint32_t kRepeated = 0x80000000u;
    static const uint32_t kTaken = 0x40000000u;
    static const uint32_t kValue = 0x3FFFFFFFu;  // a line, or a repeated text's entry

    struct CRepeated
    {
        uint32_t nLeft;  // copies of a not yet taken by a line of b
    };

    // nLines below 2^30.
    void Size(uint32_t nLines)
    {
        m_nSlots = nLines + nLines / 4 + 1;
        m_table.assign(m_nSlots, 0);
    }
    std::vector<CRepeated>& Repeated() { return m_repeated; }

    // Each line n in [0, nLines) that line(n, text) gives, with its text's
    // slot: visit(n, text, slot) sees the slot's value (0 when the text has
    // none, and then may put one there), and false ends the pass. The lines
    // go in batches, their slots asked for ahead of the look-ups.
    template <typename Line, typename Visit>
    void Pass(uint32_t nLines, Line line, Visit visit)
    {
        uint32_t highs[kBatch], slots[kBatch], which[kBatch];
        CLineText texts[kBatch];
        bool bGo = true;
        auto first = [&](uint32_t k, uint32_t n, uint64_t nHash, const CLineText& text) {
            highs[k] = static_cast<uint32_t>(nHash >> 32) | 1u;  // never 0: a free slot
            slots[k] = static_cast<uint32_t>((uint64_t(static_cast<uint32_t>(nHash)) * m_nSlots) >> 32);
            Prefetch(&m_table[slots[k]]);
            which[k] = n;
            texts[k] = text;
            return bGo;
        };
        HashInBatches(nLines, line, first, [&](uint32_t nIn) {
            for (uint32_t k = 0; k < nIn && bGo; ++k)
            {
                uint32_t nSlot = slots[k];
                while (m_table[nSlot] != 0 && (m_table[nSlot] >> 32) != highs[k])
                    nSlot = nSlot + 1 == m_nSlots ? 0 : nSlot + 1;
                uint32_t nValue = static_cast<uint32_t>(m_table[nSlot]);
                const bool bFree = m_table[nSlot] == 0;
                bGo = visit(which[k], texts[k], bFree, nValue);
                m_table[nSlot] = bFree && nValue == 0 ? 0 : uint64_t(highs[k]) << 32 | nValue;
            }
        });
    }

private:
    std::vector<uint64_t> m_table;
    uint32_t m_nSlots = 1;
    std::vector<CRepeated> m_repeated;
};

}
