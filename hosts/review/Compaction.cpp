#include "hosts/review/Compaction.h"

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/review/NameText.h"

#include <cstring>
#include <new>
#include <string>

using namespace HostNames;

namespace
{
const int kNamesRead = CEntryCheck::kNamesRead;

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    ch = Lower(ch);
    return ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : -1;
}

// An address as Windows compares it: its family, its value, and for IPv6
// the zone after '%'.
struct CAddressValue
{
    bool bIpv6 = false;
    uint8_t bytes[16] = {};
    CLineWord zone{nullptr, 0};

    // The word must be an address.
    explicit CAddressValue(const CLineWord& word)
    {
        IsHostsAddress(word.pch, word.nLength, &bIpv6);
        if (!bIpv6)
        {
            const uint32_t nValue = Ipv4Value(word);
            std::memcpy(bytes, &nValue, 4);
            return;
        }
        const char* pch = word.pch;
        const char* pchEnd = static_cast<const char*>(std::memchr(pch, '%', word.nLength));
        if (pchEnd)
            zone = CLineWord{pchEnd + 1, static_cast<size_t>(word.pch + word.nLength - pchEnd - 1)};
        else
            pchEnd = word.pch + word.nLength;
        // The groups before "::" go from the front, those after it to the
        // back; the zeros it stands for lie between.
        uint16_t groups[8] = {};
        int nHead = 0, nTail = 0;
        uint16_t tail[8] = {};
        bool bDouble = false;
        auto push = [&](uint32_t nGroup) {
            if (bDouble)
                tail[nTail++ & 7] = static_cast<uint16_t>(nGroup);
            else
                groups[nHead++ & 7] = static_cast<uint16_t>(nGroup);
        };
        if (pchEnd - pch >= 2 && pch[0] == ':' && pch[1] == ':')
        {
            bDouble = true;
            pch += 2;
        }
        while (pch < pchEnd)
        {
            const char* pchGroup = pch;
            uint32_t nGroup = 0;
            for (; pch < pchEnd && HexValue(*pch) >= 0; ++pch)
                nGroup = nGroup * 16 + static_cast<uint32_t>(HexValue(*pch));
            if (pch < pchEnd && *pch == '.')
            {
                const uint32_t nIpv4 = Ipv4Value(CLineWord{pchGroup, static_cast<size_t>(pchEnd - pchGroup)});
                push(nIpv4 >> 16);
                push(nIpv4 & 0xFFFF);
                break;
            }
            push(nGroup);
            if (pch < pchEnd && ++pch < pchEnd && *pch == ':')
            {
                bDouble = true;
                ++pch;
            }
        }
        for (int n = 0; n < nTail; ++n)
            groups[8 - nTail + n] = tail[n];
        for (int n = 0; n < 8; ++n)
        {
            bytes[2 * n] = static_cast<uint8_t>(groups[n] >> 8);
            bytes[2 * n + 1] = static_cast<uint8_t>(groups[n]);
        }
    }

    bool operator==(const CAddressValue& other) const
    {
        return bIpv6 == other.bIpv6 && std::memcmp(bytes, other.bytes, 16) == 0 &&
               zone.nLength == other.zone.nLength && SameText(zone.pch, other.zone.pch, zone.nLength);
    }
};

// Whether a row may be a line of a run: an active entry of 1 to 9 names
// and no comment. *pnNames gets its names, *pAddress its address.
bool IsRunLine(const CEntryList& list, int nRow, size_t* pnNames, CLineWord* pAddress)
{
    if (list.IsCommented(nRow))
        return false;
    const CEntryList::Text text = list.GetText(nRow);
    if (std::memchr(text.pch, '#', text.nLength))
        return false;
    CLineWords words(text.pch, text.nLength);
    CLineWord word;
    if (!words.Next(pAddress) || !IsHostsAddress(pAddress->pch, pAddress->nLength))
        return false;
    size_t nNames = 0;
    while (words.Next(&word))
        if (++nNames > kNamesRead)
            return false;
    *pnNames = nNames;
    return nNames > 0;
}
}

bool CCompaction::Find(const CEntryList& list)
{
    m_runs.clear();
    m_dropped.clear();
    m_nBefore = m_nAfter = 0;
    try
    {
        const int nRows = list.GetCount();
        size_t nNames;
        CLineWord address;
        for (int nRow = 0; nRow < nRows;)
        {
            if (!IsRunLine(list, nRow, &nNames, &address))
            {
                ++nRow;
                continue;
            }
            const CAddressValue value(address);
            size_t nAll = nNames;
            int nEnd = nRow + 1;
            for (; nEnd < nRows && !list.FollowsBlankLine(nEnd) && IsRunLine(list, nEnd, &nNames, &address) &&
                   CAddressValue(address) == value;
                 ++nEnd)
                nAll += nNames;
            if (nEnd - nRow >= 2)
                Consider(list, nRow, nEnd, nAll);
            nRow = nEnd;
        }
    }
    catch (const std::bad_alloc&)
    {
        m_runs.clear();
        m_dropped.clear();
        m_nBefore = m_nAfter = 0;
        return false;
    }
    return true;
}

void CCompaction::Consider(const CEntryList& list, int nFirst, int nEnd, size_t nNames)
{
    // An open table of the names seen: the hash, and where the name stands
    // (its row after nFirst, plus one, shifted left 4 bits, and its word),
    // which is read again only when the hashes agree.
    struct Slot
    {
        uint32_t nHash;
        uint32_t nWhere;
    };
    const size_t nSlots = nNames + nNames / 3 + 16;
    std::vector<Slot> slots(nSlots, Slot{0, 0});
    const size_t nDroppedBefore = m_dropped.size();
    // A name's slot is asked for a few names ahead of its look-up, in file
    // order still: a large table is mostly not in the cache.
    struct Pending
    {
        CLineWord name;
        uint32_t nHash;
        uint32_t nWhere;
        uint32_t nRowWord;  // row << 4 | word
    };
    const size_t kAhead = 16;
    Pending pending[kAhead];
    size_t nPending = 0;
    auto lookUp = [&](const Pending& name) {
        for (size_t nSlot = static_cast<size_t>((static_cast<uint64_t>(name.nHash) * nSlots) >> 32);;
             nSlot = nSlot + 1 == nSlots ? 0 : nSlot + 1)
        {
            Slot& slot = slots[nSlot];
            if (slot.nWhere == 0)
            {
                slot = Slot{name.nHash, name.nWhere};
                return;
            }
            if (slot.nHash == name.nHash &&
                SameText(WordOf(list, nFirst + static_cast<int>(slot.nWhere >> 4) - 1, slot.nWhere & 15), name.name))
            {
                m_dropped.push_back(name.nRowWord);
                return;
            }
        }
    };
    for (int nRow = nFirst; nRow < nEnd; ++nRow)
    {
        const CEntryList::Text text = list.GetText(nRow);
        CLineWords words(text.pch, text.nLength);
        CLineWord name;
        words.Next(&name);
        for (uint32_t nWord = 1; words.Next(&name); ++nWord)
        {
            const uint32_t nHash = HashName(name);
            __builtin_prefetch(&slots[static_cast<size_t>((static_cast<uint64_t>(nHash) * nSlots) >> 32)]);
            Pending& next = pending[nPending++ % kAhead];
            if (nPending > kAhead)
                lookUp(next);
            next = Pending{name, nHash, static_cast<uint32_t>(nRow - nFirst + 1) << 4 | nWord,
                           static_cast<uint32_t>(nRow) << 4 | nWord};
        }
    }
    for (size_t n = nPending > kAhead ? nPending - kAhead : 0; n < nPending; ++n)
        lookUp(pending[n % kAhead]);
    const size_t nKept = nNames - (m_dropped.size() - nDroppedBefore);
    const int nLines = static_cast<int>((nKept + kNamesRead - 1) / kNamesRead);
    if (nLines >= nEnd - nFirst)
    {
        m_dropped.resize(nDroppedBefore);
        return;
    }
    m_runs.push_back(Run{nFirst, nEnd, nLines});
    m_nBefore += nEnd - nFirst;
    m_nAfter += nLines;
}

bool CCompaction::Apply(CEntryList& list) const
{
    std::vector<uint32_t> removed;
    std::string line;
    size_t nDropped = 0;
    // Rows the file does not hold stand after the line before them, and
    // after the file's last line only when no row after them has one.
    int nLastLine = list.GetCount() - 1;
    while (nLastLine >= 0 && list.GetLine(nLastLine) < 0)
        --nLastLine;
    try
    {
        for (const Run& run : m_runs)
        {
            // A line written goes over the run's next row, which has been read
            // by then (no line holds more than 9 names); the bytes of a row's
            // old text stay where they are while it is read on. The last one
            // goes over the last row of the file's lines when rows after it
            // would otherwise move to after the file's last line.
            const CLineWord first = WordOf(list, run.nFirst, 0);
            const std::string address(first.pch, first.nLength);
            int nLastTo = run.nFirst + run.nLines - 1;
            if (nLastLine >= run.nFirst && nLastLine < run.nEnd && nLastLine > nLastTo)
                for (int nRow = run.nFirst; nRow <= run.nFirst + run.nLines - 1; ++nRow)
                    if (list.GetLine(nRow) < 0)
                        nLastTo = nLastLine;
            int nWritten = 0;
            int nInLine = 0;
            auto write = [&]() {
                const int nTo = nWritten + 1 == run.nLines ? nLastTo : run.nFirst + nWritten;
                const CEntryList::Text now = list.GetText(nTo);
                if (now.nLength != line.size() || std::memcmp(now.pch, line.data(), line.size()) != 0)
                    if (!list.SetText(nTo, line.data(), line.size()))
                        return false;
                ++nWritten;
                nInLine = 0;
                return true;
            };
            for (int nRow = run.nFirst; nRow < run.nEnd; ++nRow)
            {
                const CEntryList::Text text = list.GetText(nRow);
                CLineWords words(text.pch, text.nLength);
                CLineWord name;
                words.Next(&name);
                for (uint32_t nWord = 1; words.Next(&name); ++nWord)
                {
                    if (nDropped < m_dropped.size() && m_dropped[nDropped] == (static_cast<uint32_t>(nRow) << 4 | nWord))
                    {
                        ++nDropped;
                        continue;
                    }
                    if (nInLine == 0)
                        line = address;
                    line += ' ';
                    line.append(name.pch, name.nLength);
                    // The last line is written when the run is read: it
                    // may go over a row that is still to be read.
                    if (++nInLine == kNamesRead && nWritten + 1 < run.nLines && !write())
                        return false;
                }
            }
            if (nInLine > 0 && !write())
                return false;
            for (int nRow = run.nFirst + run.nLines - 1; nRow < run.nEnd; ++nRow)
                if (nRow != nLastTo)
                    removed.push_back(static_cast<uint32_t>(nRow));
        }
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return list.RemoveRows(removed);
}
