#include "hosts/review/EntryCheck.h"

#include "hosts/document/EntryList.h"
#include "hosts/lines/LineParts.h"
#include "hosts/review/NameText.h"

#include <cstdio>
#include <cstring>
#include <new>

using namespace HostNames;

namespace
{
// What a byte of a name is, as one bit: none for one a host name may hold;
// a label's end; one that makes the name a web address, a wildcard or a
// name with a port; another that no host name holds.
enum NameByte : uint8_t
{
    dotByte = 1,
    slashByte = 2,
    wildcardByte = 4,
    colonByte = 8,
    otherByte = 16
};

struct CNameBytes
{
    uint8_t kinds[256];

    CNameBytes() : kinds()
    {
        for (int ch = 0; ch < 0x80; ++ch)
        {
            bool bName = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                         ch == '-' || ch == '_';
            kinds[ch] = bName ? 0 : otherByte;
        }
        kinds[static_cast<unsigned char>('.')] = dotByte;
        kinds[static_cast<unsigned char>('/')] = slashByte;
        kinds[static_cast<unsigned char>('*')] = kinds[static_cast<unsigned char>('?')] = wildcardByte;
        kinds[static_cast<unsigned char>(':')] = colonByte;
    }
};
const CNameBytes g_nameBytes;

// The first rule of the names that the name breaks, -1 when none: the
// name is read once, byte by byte, and its labels measured at the dots.
int NameProblem(const CLineWord& name)
{
    unsigned nSeen = 0;  // the bits of every byte
    size_t nLabelStart = 0;
    bool bBadLabel = false;  // empty, or longer than 63 bytes
    for (size_t n = 0; n < name.nLength; ++n)
    {
        unsigned nKind = g_nameBytes.kinds[static_cast<unsigned char>(name.pch[n])];
        nSeen |= nKind;
        if (nKind == dotByte)
        {
            bBadLabel |= n == nLabelStart || n - nLabelStart > 63;
            nLabelStart = n + 1;
        }
    }
    if (nSeen & slashByte)  // "://" holds one too
        return CEntryCheck::webAddress;
    if (nSeen & wildcardByte)
        return CEntryCheck::wildcard;
    if (nSeen & colonByte)
        return CEntryCheck::nameWithPort;
    // Labels of 1 to 63 bytes; one dot at the end (a name written in full,
    // up to the root) is taken.
    size_t nLast = name.nLength - nLabelStart;
    if ((nSeen & otherByte) || name.nLength > 255 || bBadLabel || nLast > 63 || (nLast == 0 && name.nLength < 2))
        return CEntryCheck::invalidName;
    return -1;
}



// An IPv4 address, a ':' and a port number.
bool IsAddressWithPort(const CLineWord& word)
{
    const char* pchColon = static_cast<const char*>(std::memchr(word.pch, ':', word.nLength));
    if (!pchColon)
        return false;
    size_t nAddress = static_cast<size_t>(pchColon - word.pch);
    bool bIpv6 = true;
    if (nAddress + 1 == word.nLength || !IsHostsAddress(word.pch, nAddress, &bIpv6) || bIpv6)
        return false;
    for (size_t n = nAddress + 1; n < word.nLength; ++n)
        if (word.pch[n] < '0' || word.pch[n] > '9')
            return false;
    return true;
}

// The names already mapped, for one address family, in an open table kept
// at most three quarters full. A slot keeps what a look-up compares, so
// that an earlier row is never read again to find a name: the name's hash
// and length, where its bytes are, where it stands (row << 4 | word) and,
// for IPv4, its address's value.
class CNameTable
{
public:
    struct Slot
    {
        uint32_t nTag;        // the hash's top 24 bits and the length (at most 255)
        uint32_t nReference;  // 0: an empty slot (a name is never word 0)
        const char* pchName;
        uint32_t nAddress;
    };

    // The slot of an earlier name that is the same as this one, else null
    // after adding it (*pbStored false without memory). The bytes must stay
    // where they are while the table is used.
    const Slot* FindOrAdd(const CLineWord& name, uint32_t nHash, uint32_t nReference, uint32_t nAddress, bool* pbStored)
    {
        *pbStored = true;
        if ((m_nUsed + 1) * 4 > m_slots.size() * 3 && !Grow())
        {
            *pbStored = false;
            return nullptr;
        }
        uint32_t nTag = (nHash & ~0xFFu) | static_cast<uint32_t>(name.nLength);
        size_t nMask = m_slots.size() - 1;
        for (size_t nSlot = nTag >> m_nShift;; nSlot = (nSlot + 1) & nMask)
        {
            Slot& slot = m_slots[nSlot];
            if (slot.nReference == 0)
            {
                slot = Slot{nTag, nReference, name.pch, nAddress};
                ++m_nUsed;
                return nullptr;
            }
            if (slot.nTag == nTag && SameText(slot.pchName, name.pch, name.nLength))
                return &slot;
        }
    }

private:
    bool Grow()
    {
        std::vector<Slot> slots;
        try
        {
            slots.assign(m_slots.empty() ? 1024 : m_slots.size() * 2, Slot{0, 0, nullptr, 0});
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
        unsigned nShift = m_slots.empty() ? 32 - 10 : m_nShift - 1;
        size_t nMask = slots.size() - 1;
        for (const Slot& slot : m_slots)
        {
            if (slot.nReference == 0)
                continue;
            size_t nSlot = slot.nTag >> nShift;
            while (slots[nSlot].nReference != 0)
                nSlot = (nSlot + 1) & nMask;
            slots[nSlot] = slot;
        }
        m_slots.swap(slots);
        m_nShift = nShift;
        return true;
    }

    std::vector<Slot> m_slots;
    unsigned m_nShift = 0;  // a tag's first slot: its top bits
    size_t m_nUsed = 0;
};

// The word as a problem quotes it: cut to its first 77 characters and "..."
// when it has more than 80 (characters of the rows' encoding).
CString Shown(const CLineWord& word, bool bUtf8)
{
    size_t nCut = 0;
    int nCharacters = 0;
    for (size_t n = 0; n < word.nLength; ++nCharacters)
    {
        if (nCharacters == CEntryCheck::kQuoteCut)
            nCut = n;
        if (bUtf8)
        {
            ++n;
            while (n < word.nLength && (static_cast<unsigned char>(word.pch[n]) & 0xC0) == 0x80)
                ++n;
        }
        else
        {
            n += IsAnsiLeadByte(word.pch[n]) && n + 1 < word.nLength ? 2 : 1;
        }
    }
    if (nCharacters <= CEntryCheck::kQuoteMax)
        return CString(word.pch, static_cast<int>(word.nLength));
    return CString(word.pch, static_cast<int>(nCut)) + "...";
}

// The problems' texts, each with its kind: each %s a word, the %u a count
// or a row. A text is found at its kind's index, which the static_asserts
// below hold to: the kinds in the enum's order, one entry each.
struct CKindText
{
    CEntryCheck::Kind kind;
    const char* pszText;
};
constexpr CKindText kTexts[] = {
    {CEntryCheck::addressWithPort, "\"%s\": a hosts file takes no port; Windows ignores this line."},
    {CEntryCheck::swapped, "The address comes first: write \"%s %s\"."},
    {CEntryCheck::notAddress, "\"%s\" is not an IP address: Windows ignores this line."},
    {CEntryCheck::noName, "No host name after the address: Windows ignores this line."},
    {CEntryCheck::webAddress, "\"%s\" is a web address: write the host name alone (\"%s\")."},
    {CEntryCheck::wildcard, "\"%s\": Windows does not match wildcards; list each host name."},
    {CEntryCheck::nameWithPort, "\"%s\": a hosts file takes no port; write the host name alone (\"%s\")."},
    {CEntryCheck::invalidName, "\"%s\" is not a valid host name."},
    {CEntryCheck::tooManyNames, "%u names on one line: Windows reads the first 9 and ignores \"%s\" and the rest."},
    {CEntryCheck::sameAddress, "\"%s\" is already on row %u with the same address."},
    {CEntryCheck::otherAddress, "\"%s\" is also on row %u, whose address Windows uses."},
};
constexpr size_t kTextCount = sizeof(kTexts) / sizeof(kTexts[0]);

constexpr bool EachKindAtItsIndex()
{
    for (size_t n = 0; n < kTextCount; ++n)
        if (static_cast<size_t>(kTexts[n].kind) != n)
            return false;
    return true;
}
static_assert(EachKindAtItsIndex(), "the texts are in the order of CEntryCheck::Kind");
static_assert(kTextCount == CEntryCheck::otherAddress + 1, "one text for each kind, otherAddress the last");
}

bool CEntryCheck::Add(int nRow, Kind kind, uint32_t nInfo)
{
    try
    {
        m_problems.push_back(Problem{static_cast<uint32_t>(nRow) << 4 | kind, nInfo});
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

bool CEntryCheck::Run(const CEntryList& list)
{
    m_problems.clear();
    m_nActiveEntries = 0;
    CNameTable names4, names6;
    bool bStored = true;
    for (int nRow = 0; nRow < list.GetCount() && bStored; ++nRow)
    {
        if (list.IsCommented(nRow))
            continue;
        CEntryList::Text text = list.GetText(nRow);
        CLineWords words(text.pch, text.nLength);
        CLineWord address, word;
        if (!words.Next(&address))
            continue;
        bool bIpv6 = false;
        if (!IsHostsAddress(address.pch, address.nLength, &bIpv6))
        {
            if (IsAddressWithPort(address))
                bStored = Add(nRow, addressWithPort, 0);
            else if (words.Next(&word) && IsHostsAddress(word.pch, word.nLength))
                bStored = Add(nRow, swapped, 1);
            else
                bStored = Add(nRow, notAddress, 0);
            continue;
        }
        ++m_nActiveEntries;
        // The names' problems first, then the count, then the names mapped
        // before, from the valid names among the first 9 kept on the way.
        CLineWord valid[kNamesRead];
        uint32_t nNames = 0;
        uint32_t nValid = 0;  // bit n: name n + 1 is a valid name
        while (words.Next(&word) && bStored)
        {
            ++nNames;
            int nProblem = NameProblem(word);
            if (nProblem >= 0)
            {
                bStored = Add(nRow, static_cast<Kind>(nProblem), nNames);
            }
            else if (nNames <= kNamesRead)
            {
                nValid |= 1u << nNames;
                valid[nNames - 1] = word;
            }
        }
        if (nNames == 0 && bStored)
            bStored = Add(nRow, noName, 0);
        if (nNames > kNamesRead && bStored)
            bStored = Add(nRow, tooManyNames, nNames);
        if (nValid == 0)
            continue;
        CNameTable& table = bIpv6 ? names6 : names4;
        uint32_t nAddress = bIpv6 ? 0 : Ipv4Value(address);
        for (uint32_t nName = 1; nName <= kNamesRead && bStored; ++nName)
        {
            if (!(nValid & (1u << nName)))
                continue;
            const CNameTable::Slot* pEarlier = table.FindOrAdd(valid[nName - 1], HashName(valid[nName - 1]),
                                                               static_cast<uint32_t>(nRow) << 4 | nName, nAddress, &bStored);
            if (!pEarlier)
                continue;
            int nEarlier = static_cast<int>(pEarlier->nReference >> 4);
            bool bSame = bIpv6 ? SameText(WordOf(list, nEarlier, 0), address) : pEarlier->nAddress == nAddress;
            bStored = Add(nRow, bSame ? sameAddress : otherAddress, static_cast<uint32_t>(nEarlier) << 4 | nName);
        }
    }
    if (!bStored)
    {
        m_problems.clear();
        m_problems.shrink_to_fit();
    }
    return bStored;
}

CString CEntryCheck::CheckLine(const char* pch, size_t nLength, bool bUtf8)
{
    CEntryList line;
    if (bUtf8)
        line.TakeUtf8();
    CEntryCheck check;
    if (!line.Append(pch, nLength) || !check.Run(line))
        return CString();
    for (size_t n = 0; n < check.GetCount(); ++n)
        if (check.GetKind(n) < sameAddress)
            return check.GetText(line, n);
    return CString();
}

bool CEntryCheck::IsMatchableName(const char* pch, size_t nLength)
{
    return nLength > 0 && NameProblem(CLineWord{pch, nLength}) < 0;
}

uint32_t CEntryCheck::GetWord(size_t nProblem) const
{
    const uint32_t nInfo = m_problems[nProblem].nInfo;
    switch (GetKind(nProblem))
    {
    case swapped:
        return 1;
    case tooManyNames:
        return kNamesRead + 1;
    case sameAddress:
    case otherAddress:
        return nInfo & 15;
    default:
        return nInfo;
    }
}

CString CEntryCheck::GetText(const CEntryList& list, size_t nProblem) const
{
    const Problem& problem = m_problems[nProblem];
    const int nRow = GetRow(nProblem);
    const Kind kind = GetKind(nProblem);
    // The word the problem is about and, for some, a second one.
    CLineWord word = WordOf(list, nRow, GetWord(nProblem));
    CLineWord second = word;
    if (kind == swapped)
        second = WordOf(list, nRow, 0);
    else if (kind == webAddress)
        second = HostPart(word);
    else if (kind == nameWithPort)
        second.nLength = static_cast<size_t>(static_cast<const char*>(std::memchr(word.pch, ':', word.nLength)) - word.pch);
    CString shown = Shown(word, list.IsUtf8());
    CString text;
    if (kind == tooManyNames)
        text.Format(kTexts[kind].pszText, problem.nInfo, shown.c_str());
    else if (kind == sameAddress || kind == otherAddress)
        text.Format(kTexts[kind].pszText, shown.c_str(), (problem.nInfo >> 4) + 1);
    else
        text.Format(kTexts[kind].pszText, shown.c_str(), Shown(second, list.IsUtf8()).c_str());
    return text;
}
