#include "hosts/EntryCheck.h"

#include "hosts/EntryList.h"
#include "hosts/HostsLineParts.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace
{
bool Holds(const CLineWord& word, char ch)
{
    return std::memchr(word.pch, ch, word.nLength) != nullptr;
}

// Where "://" starts in the word; nLength when nowhere.
size_t FindScheme(const CLineWord& word)
{
    for (size_t n = 0; n + 3 <= word.nLength; ++n)
        if (std::memcmp(word.pch + n, "://", 3) == 0)
            return n;
    return word.nLength;
}

char Lower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool SameText(const CLineWord& a, const CLineWord& b)
{
    if (a.nLength != b.nLength)
        return false;
    for (size_t n = 0; n < a.nLength; ++n)
        if (Lower(a.pch[n]) != Lower(b.pch[n]))
            return false;
    return true;
}

uint32_t HashName(const CLineWord& name)
{
    uint32_t nHash = 2166136261u;  // FNV-1a, ASCII letters in one case
    for (size_t n = 0; n < name.nLength; ++n)
        nHash = (nHash ^ static_cast<unsigned char>(Lower(name.pch[n]))) * 16777619u;
    return nHash;
}

// Letters, digits, '-', '_', '.' and bytes above 0x7F (names in other
// scripts); at most 255 bytes in labels of 1 to 63 bytes. One dot at the end
// (a name written in full, up to the root) is taken.
bool IsValidName(const CLineWord& name)
{
    if (name.nLength > 255)
        return false;
    size_t nEnd = name.nLength > 1 && name.pch[name.nLength - 1] == '.' ? name.nLength - 1 : name.nLength;
    size_t nLabel = 0;
    for (size_t n = 0; n < nEnd; ++n)
    {
        unsigned char ch = static_cast<unsigned char>(name.pch[n]);
        if (ch == '.')
        {
            if (nLabel == 0)
                return false;
            nLabel = 0;
            continue;
        }
        bool bAllowed = ch >= 0x80 || (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') ||
                        (ch >= 'A' && ch <= 'Z') || ch == '-' || ch == '_';
        if (!bAllowed || ++nLabel > 63)
            return false;
    }
    return nLabel > 0;
}

// The first rule of the names that the name breaks; -1 when none.
int NameProblem(const CLineWord& name)
{
    if (FindScheme(name) < name.nLength || Holds(name, '/'))
        return CEntryCheck::webAddress;
    if (Holds(name, '*') || Holds(name, '?'))
        return CEntryCheck::wildcard;
    if (Holds(name, ':'))
        return CEntryCheck::nameWithPort;
    if (!IsValidName(name))
        return CEntryCheck::invalidName;
    return -1;
}

// The value of a dotted decimal IPv4 address (leading zeros or not); the
// word must be one.
uint32_t Ipv4Value(const CLineWord& word)
{
    uint32_t nValue = 0, nPart = 0;
    for (size_t n = 0; n < word.nLength; ++n)
    {
        if (word.pch[n] == '.')
        {
            nValue = nValue << 8 | nPart;
            nPart = 0;
        }
        else
        {
            nPart = nPart * 10 + static_cast<uint32_t>(word.pch[n] - '0');
        }
    }
    return nValue << 8 | nPart;
}

// Whether two addresses of one family are the same: IPv4 by value, IPv6 as
// written (hex digits in either case).
bool SameAddress(const CLineWord& a, const CLineWord& b, bool bIpv6)
{
    return bIpv6 ? SameText(a, b) : Ipv4Value(a) == Ipv4Value(b);
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

// Word nWord (0: the first) of an active row; an empty word when it has
// fewer.
CLineWord WordOf(const CEntryList& list, int nRow, uint32_t nWord)
{
    CEntryList::Text text = list.GetText(nRow);
    CLineWords words(text.pch, text.nLength);
    CLineWord word{text.pch, 0};
    for (uint32_t n = 0; n <= nWord; ++n)
        if (!words.Next(&word))
            return CLineWord{text.pch, 0};
    return word;
}

// The names already mapped, for one address family: each a reference to
// where it stands (row << 4 | word) and one byte of its hash, in an open
// table kept at most three quarters full.
class CNameTable
{
public:
    explicit CNameTable(const CEntryList& list) : m_list(list) {}

    // The reference of the name if an earlier one has it, else 0 after
    // adding it; false without memory.
    bool FindOrAdd(const CLineWord& name, uint32_t nReference, uint32_t* pnFound)
    {
        if ((m_nUsed + 1) * 4 > m_refs.size() * 3 && !Grow())
            return false;
        uint32_t nHash = HashName(name);
        size_t nMask = m_refs.size() - 1;
        for (size_t nSlot = nHash & nMask;; nSlot = (nSlot + 1) & nMask)
        {
            if (m_refs[nSlot] == 0)
            {
                m_refs[nSlot] = nReference;
                m_tags[nSlot] = static_cast<uint8_t>(nHash >> 24);
                ++m_nUsed;
                *pnFound = 0;
                return true;
            }
            if (m_tags[nSlot] == static_cast<uint8_t>(nHash >> 24) && SameText(NameAt(m_refs[nSlot]), name))
            {
                *pnFound = m_refs[nSlot];
                return true;
            }
        }
    }

private:
    CLineWord NameAt(uint32_t nReference) const { return WordOf(m_list, static_cast<int>(nReference >> 4), nReference & 15); }

    bool Grow()
    {
        std::vector<uint32_t> refs;
        std::vector<uint8_t> tags;
        try
        {
            size_t nSize = m_refs.empty() ? 1024 : m_refs.size() * 2;
            refs.assign(nSize, 0);
            tags.assign(nSize, 0);
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
        size_t nMask = refs.size() - 1;
        for (uint32_t nReference : m_refs)
        {
            if (nReference == 0)
                continue;
            uint32_t nHash = HashName(NameAt(nReference));
            size_t nSlot = nHash & nMask;
            while (refs[nSlot] != 0)
                nSlot = (nSlot + 1) & nMask;
            refs[nSlot] = nReference;
            tags[nSlot] = static_cast<uint8_t>(nHash >> 24);
        }
        m_refs.swap(refs);
        m_tags.swap(tags);
        return true;
    }

    const CEntryList& m_list;
    std::vector<uint32_t> m_refs;  // 0: an empty slot (a name is never word 0)
    std::vector<uint8_t> m_tags;
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

// The problems' texts, by kind: each %s a word, the %u a count or a row.
const char* const kTexts[] = {
    "\"%s\": a hosts file takes no port; Windows ignores this line.",
    "The address comes first: write \"%s %s\".",
    "\"%s\" is not an IP address: Windows ignores this line.",
    "No host name after the address: Windows ignores this line.",
    "\"%s\" is a web address: write the host name alone (\"%s\").",
    "\"%s\": Windows does not match wildcards; list each host name.",
    "\"%s\": a hosts file takes no port; write the host name alone (\"%s\").",
    "\"%s\" is not a valid host name.",
    "%u names on one line: Windows reads the first 9 and ignores \"%s\" and the rest.",
    "\"%s\" is already on row %u with the same address.",
    "\"%s\" is also on row %u, whose address Windows uses.",
};

// The host part of a web address: after "://" where there is one, up to
// the first '/', ':' or '?'.
CLineWord HostPart(const CLineWord& word)
{
    size_t nStart = FindScheme(word);
    nStart = nStart < word.nLength ? nStart + 3 : 0;
    size_t nEnd = nStart;
    while (nEnd < word.nLength && word.pch[nEnd] != '/' && word.pch[nEnd] != ':' && word.pch[nEnd] != '?')
        ++nEnd;
    return CLineWord{word.pch + nStart, nEnd - nStart};
}
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
    CNameTable names4(list), names6(list);
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
        // The names' problems first, then the count, then the names mapped
        // before: one pass for the first, a second over the first 9 names.
        uint32_t nNames = 0;
        uint32_t nValid = 0;  // bit n: name n + 1 is a valid name
        while (words.Next(&word) && bStored)
        {
            ++nNames;
            int nProblem = NameProblem(word);
            if (nProblem >= 0)
                bStored = Add(nRow, static_cast<Kind>(nProblem), nNames);
            else if (nNames <= kNamesRead)
                nValid |= 1u << nNames;
        }
        if (nNames == 0 && bStored)
            bStored = Add(nRow, noName, 0);
        if (nNames > kNamesRead && bStored)
            bStored = Add(nRow, tooManyNames, nNames);
        CNameTable& table = bIpv6 ? names6 : names4;
        words = CLineWords(text.pch, text.nLength);
        words.Next(&word);
        for (uint32_t nName = 1; nName <= kNamesRead && words.Next(&word) && bStored; ++nName)
        {
            uint32_t nFound = 0;
            if (!(nValid & (1u << nName)))
                continue;
            bStored = table.FindOrAdd(word, static_cast<uint32_t>(nRow) << 4 | nName, &nFound);
            if (nFound == 0 || !bStored)
                continue;
            int nEarlier = static_cast<int>(nFound >> 4);
            CLineWord earlierAddress = WordOf(list, nEarlier, 0);
            Kind kind = SameAddress(earlierAddress, address, bIpv6) ? sameAddress : otherAddress;
            bStored = Add(nRow, kind, static_cast<uint32_t>(nEarlier) << 4 | nName);
        }
    }
    if (!bStored)
    {
        m_problems.clear();
        m_problems.shrink_to_fit();
    }
    return bStored;
}

CString CEntryCheck::GetText(const CEntryList& list, size_t nProblem) const
{
    const Problem& problem = m_problems[nProblem];
    const int nRow = GetRow(nProblem);
    const Kind kind = GetKind(nProblem);
    // The word the problem is about and, for some, a second one.
    uint32_t nWord = problem.nInfo;
    if (kind == swapped)
        nWord = 1;
    else if (kind == tooManyNames)
        nWord = kNamesRead + 1;
    else if (kind == sameAddress || kind == otherAddress)
        nWord = problem.nInfo & 15;
    CLineWord word = WordOf(list, nRow, nWord);
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
        text.Format(kTexts[kind], problem.nInfo, shown.c_str());
    else if (kind == sameAddress || kind == otherAddress)
        text.Format(kTexts[kind], shown.c_str(), (problem.nInfo >> 4) + 1);
    else
        text.Format(kTexts[kind], shown.c_str(), Shown(second, list.IsUtf8()).c_str());
    return text;
}
