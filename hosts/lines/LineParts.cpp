#include "hosts/lines/LineParts.h"

#include "framework/CString.h"
#include "framework/LetterOrDigit.h"
#include "hosts/document/EntryList.h"
#include "hosts/lines/CommentRules.h"

#include <cstring>

namespace
{
bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

int HexValue(char ch)
{
    if (IsDigit(ch))
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

bool IsAsciiLetterOrDigit(char ch)
{
    return IsDigit(ch) || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

// Whether the character that starts at p with a byte above 0x7F is a letter
// or a digit, its bytes in *pnSize (1 when called): in UTF-8 (bUtf8) a
// well-formed sequence, any other byte being one that is no letter (a stray
// or missing continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF); in the ANSI code page a lead byte and its trail byte, or one
// byte.
bool IsHighLetterOrDigit(const unsigned char* p, const unsigned char* pEnd, bool bUtf8, size_t* pnSize)
{
    const size_t nLeft = static_cast<size_t>(pEnd - p);
    if (!bUtf8)
    {
        if (IsAnsiLeadByte(static_cast<char>(*p)) && nLeft > 1)
            *pnSize = 2;
        return IsAnsiLetterOrDigit(reinterpret_cast<const char*>(p), static_cast<int>(*pnSize));
    }
    const size_t nSize = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : 2;
    if (*p < 0xC2 || *p > 0xF4 || nLeft < nSize)
        return false;
    unsigned long nCode = *p & (0x7Fu >> nSize);
    for (size_t n = 1; n < nSize; ++n)
    {
        if ((p[n] & 0xC0) != 0x80)
            return false;
        nCode = nCode << 6 | (p[n] & 0x3Fu);
    }
    static const unsigned long s_anLeast[] = {0x80, 0x800, 0x10000};  // below: an overlong form
    if (nCode < s_anLeast[nSize - 2] || (nCode >= 0xD800 && nCode <= 0xDFFF) || nCode > 0x10FFFF)
        return false;
    *pnSize = nSize;
    return IsLetterOrDigit(nCode);
}

// Whether a text holds a letter or a digit of any script, read as UTF-8
// (bUtf8) or in the ANSI code page. ASCII is judged here, byte by byte; the
// system judges the rest (framework/LetterOrDigit.h).
bool HoldsLetterOrDigit(const char* pch, size_t nLength, bool bUtf8)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pch);
    const unsigned char* const pEnd = p + nLength;
    for (size_t nSize = 1; p < pEnd; p += nSize)
    {
        nSize = 1;
        if (*p < 0x80 ? IsAsciiLetterOrDigit(static_cast<char>(*p)) : IsHighLetterOrDigit(p, pEnd, bUtf8, &nSize))
            return true;
    }
    return false;
}

// The notes of Windows' own hosts file that introduce its sample lines.
bool IsWindowsNote(CLineWord text)
{
    for (const char* psz : {"For example:", "localhost name resolution is handled within DNS itself."})
        if (text.nLength == std::strlen(psz) && std::memcmp(text.pch, psz, text.nLength) == 0)
            return true;
    return false;
}

// What a commented row that is no entry is. Such rows are few beside the
// entries of a hosts file: built for size.
[[gnu::cold, gnu::noinline]] CRowKind CommentKind(const CEntryList& list, int nRow)
{
    CEntryList::Text text = list.GetText(nRow);
    if (!HoldsLetterOrDigit(text.pch, text.nLength, list.IsUtf8()))
        return CRowKind::other;
    return IsWindowsNote(CommentText(list, nRow)) ? CRowKind::windowsNote : CRowKind::heading;
}

// Four decimal numbers 0 to 255 separated by dots, filling [pch, pchEnd).
// Leading zeros are taken: only the digits after them count.
bool IsIpv4(const char* pch, const char* pchEnd)
{
    for (int nPart = 0; nPart < 4; ++nPart)
    {
        if (nPart > 0)
        {
            if (pch == pchEnd || *pch != '.')
                return false;
            ++pch;
        }
        if (pch == pchEnd || !IsDigit(*pch))
            return false;
        while (pch + 1 < pchEnd && *pch == '0' && IsDigit(pch[1]))
            ++pch;
        unsigned nValue = 0;
        int nDigits = 0;
        for (; pch != pchEnd && IsDigit(*pch); ++pch)
        {
            if (++nDigits > 3)
                return false;
            nValue = nValue * 10 + static_cast<unsigned>(*pch - '0');
        }
        if (nValue > 255)
            return false;
    }
    return pch == pchEnd;
}

// Eight groups of one to four hex digits separated by colons, where one "::"
// stands for one or more groups of zeros and the last two groups may be
// written as an IPv4 address, filling [pch, pchEnd).
bool IsIpv6(const char* pch, const char* pchEnd)
{
    int nGroups = 0;
    bool bDouble = false;
    if (pchEnd - pch >= 2 && pch[0] == ':' && pch[1] == ':')
    {
        bDouble = true;
        pch += 2;
    }
    while (pch != pchEnd)
    {
        const char* pchGroup = pch;
        while (pch != pchEnd && HexValue(*pch) >= 0)
            ++pch;
        if (pch != pchEnd && *pch == '.')
        {
            if (nGroups + 2 > 8 || !IsIpv4(pchGroup, pchEnd))
                return false;
            nGroups += 2;
            break;
        }
        if (pch == pchGroup || pch - pchGroup > 4)
            return false;
        ++nGroups;
        if (pch == pchEnd)
            break;
        if (*pch != ':' || ++pch == pchEnd)
            return false;
        if (*pch == ':')
        {
            if (bDouble)
                return false;
            bDouble = true;
            ++pch;
        }
    }
    return bDouble ? nGroups <= 7 : nGroups == 8;
}
}

bool IsHostsAddress(const char* pch, size_t nLength, bool* pbIpv6)
{
    const char* pchEnd = pch + nLength;
    if (IsIpv4(pch, pchEnd))
    {
        if (pbIpv6)
            *pbIpv6 = false;
        return true;
    }
    // A zone (the interface of a link-local address) follows a '%'.
    const char* pchAddressEnd = pch;
    while (pchAddressEnd != pchEnd && *pchAddressEnd != '%')
        ++pchAddressEnd;
    if (pchAddressEnd != pchEnd)
    {
        if (pchAddressEnd + 1 == pchEnd)
            return false;
        for (const char* pchZone = pchAddressEnd + 1; pchZone != pchEnd; ++pchZone)
            if (!IsAsciiLetterOrDigit(*pchZone) && *pchZone != '-' && *pchZone != '_' && *pchZone != '.')
                return false;
    }
    if (!IsIpv6(pch, pchAddressEnd))
        return false;
    if (pbIpv6)
        *pbIpv6 = true;
    return true;
}

bool CLineWords::Next(CLineWord* pWord)
{
    while (m_pch != m_pchEnd && (*m_pch == ' ' || *m_pch == '\t'))
        ++m_pch;
    if (m_pch == m_pchEnd || *m_pch == '#')
    {
        m_pch = m_pchEnd;
        return false;
    }
    pWord->pch = m_pch;
    while (m_pch != m_pchEnd && *m_pch != ' ' && *m_pch != '\t' && *m_pch != '#')
        ++m_pch;
    pWord->nLength = static_cast<size_t>(m_pch - pWord->pch);
    return true;
}

bool IsEntryText(const char* pch, size_t nLength, bool* pbIpv6)
{
    CLineWords words(pch, nLength);
    CLineWord word;
    return words.Next(&word) && IsHostsAddress(word.pch, word.nLength, pbIpv6);
}

CLineWord UncommentedText(const CEntryList& list, int nRow)
{
    CEntryList::Text text = list.GetText(nRow);
    return UncommentedPiece(text.pch, text.nLength, text.nMark > 0, list.IsCommented(nRow));
}

CLineWord UncommentedPiece(const char* pch, size_t nLength, bool bMarked, bool bCommented)
{
    if (!bCommented)
        return CLineWord{pch, nLength};
    size_t nStart = 0;
    if (bMarked)
    {
        // The mark "# " goes first with the white space after it, which
        // runs on into the text.
        while (nStart < nLength && IsCWhiteSpace(pch[nStart]))
            ++nStart;
    }
    else
    {
        nStart = UncommentedStart(pch, nLength);
    }
    return CLineWord{pch + nStart, nLength - nStart};
}

CRowKind ReadRowKind(const CEntryList& list, int nRow)
{
    CLineWord uncommented = UncommentedText(list, nRow);
    if (IsEntryText(uncommented.pch, uncommented.nLength))
        return CRowKind::entry;
    if (!list.IsCommented(nRow))
        return CRowKind::other;
    return CommentKind(list, nRow);
}

CLineWord CommentText(const CEntryList& list, int nRow)
{
    // A row commented here shows the mark in front of text that had none;
    // a row read commented has its own. Either way the text proper starts
    // after white space, the "#"s and white space again.
    CEntryList::Text text = list.GetText(nRow);
    const char* pch = text.pch;
    const char* pEnd = text.pch + text.nLength;
    while (pch < pEnd && IsCWhiteSpace(*pch))
        ++pch;
    while (pch < pEnd && *pch == '#')
        ++pch;
    while (pch < pEnd && IsCWhiteSpace(*pch))
        ++pch;
    while (pEnd > pch && IsCWhiteSpace(pEnd[-1]))
        --pEnd;
    return CLineWord{pch, static_cast<size_t>(pEnd - pch)};
}
