#include "hosts/lines/LineParts.h"

#include "hosts/document/EntryList.h"
#include "hosts/lines/CommentRules.h"

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
    CEntryList::Text text = list.GetText(nRow);
    for (size_t n = 0; n < text.nLength; ++n)
        if (IsAsciiLetterOrDigit(text.pch[n]))
            return CRowKind::heading;
    return CRowKind::other;
}
