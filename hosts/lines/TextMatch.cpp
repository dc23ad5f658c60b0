#include "hosts/lines/TextMatch.h"

#include "framework/CString.h"

#include <cstring>

namespace
{
inline char FoldCase(char ch)
{
    return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}
}

CTextMatch::CTextMatch(const char* pszWanted, bool bMatchCase, bool bUtf8)
    : m_pszWanted(pszWanted ? pszWanted : ""),
      m_nWanted(std::strlen(m_pszWanted)),
      m_bMatchCase(bMatchCase),
      m_bByCharacters(false),
      m_abLead()
{
    if (bUtf8)
        return;
    for (int n = 0x80; n < 0x100; ++n)
    {
        m_abLead[n] = IsAnsiLeadByte(static_cast<char>(n));
        m_bByCharacters = m_bByCharacters || m_abLead[n];
    }
}

template <typename At>
bool CTextMatch::MatchesAt(const At& at, size_t nStart, size_t nTotal) const
{
    // The wanted text's characters against the text's, in step: a
    // double-byte character matches only itself, byte for byte; a
    // single-byte one may fold. A lead byte is a lead byte in both, so the
    // steps stay on the same characters.
    const unsigned char* pWanted = reinterpret_cast<const unsigned char*>(m_pszWanted);
    if (m_nWanted > nTotal - nStart)
        return false;
    for (size_t n = 0; n < m_nWanted;)
    {
        unsigned char ch = at(nStart + n);
        if (m_abLead[pWanted[n]])
        {
            // A lead byte that ends the wanted text is a character of its
            // own, as it is only at the end of a text.
            if (n + 1 == m_nWanted)
                return ch == pWanted[n] && nStart + n + 1 == nTotal;
            if (ch != pWanted[n] || static_cast<unsigned char>(at(nStart + n + 1)) != pWanted[n + 1])
                return false;
            n += 2;
            continue;
        }
        if (m_bMatchCase ? ch != pWanted[n] : FoldCase(static_cast<char>(ch)) != FoldCase(m_pszWanted[n]))
            return false;
        ++n;
    }
    return true;
}

bool CTextMatch::FoundIn(const char* pchHead, size_t nHead, const char* pch, size_t nLength) const
{
    if (m_nWanted == 0)
        return false;
    auto at = [=](size_t n) -> unsigned char {
        return static_cast<unsigned char>(n < nHead ? pchHead[n] : pch[n - nHead]);
    };
    if (m_bByCharacters)
    {
        // The head is whole characters: each starts at a character.
        for (size_t nStart = 0; nStart < nHead;)
        {
            if (MatchesAt(at, nStart, nHead + nLength))
                return true;
            nStart += m_abLead[at(nStart)] && nStart + 1 < nHead ? 2 : 1;
        }
        return FoundByCharacters(reinterpret_cast<const unsigned char*>(pch), nLength);
    }
    for (size_t nStart = 0; nStart < nHead && nStart + m_nWanted <= nHead + nLength; ++nStart)
    {
        size_t n = 0;
        while (n < m_nWanted && (m_bMatchCase ? static_cast<char>(at(nStart + n)) == m_pszWanted[n]
                                              : FoldCase(static_cast<char>(at(nStart + n))) == FoldCase(m_pszWanted[n])))
            ++n;
        if (n == m_nWanted)
            return true;
    }
    return FoundByBytes(pch, nLength);
}

bool CTextMatch::FoundByCharacters(const unsigned char* p, size_t nLength) const
{
    auto at = [p](size_t n) { return p[n]; };
    const char chFirst = FoldCase(m_pszWanted[0]);
    for (size_t nStart = 0; nStart + m_nWanted <= nLength;)
    {
        // Most characters fail at their first byte.
        const char ch = static_cast<char>(p[nStart]);
        if ((m_bMatchCase ? ch == m_pszWanted[0] : FoldCase(ch) == chFirst) && MatchesAt(at, nStart, nLength))
            return true;
        nStart += m_abLead[p[nStart]] && nStart + 1 < nLength ? 2 : 1;
    }
    return false;
}

bool CTextMatch::FoundByBytes(const char* pText, size_t nText) const
{
    const char* pWanted = m_pszWanted;
    const size_t nWanted = m_nWanted;
    if (nWanted > nText)
        return false;
    const char* pLast = pText + (nText - nWanted);
    if (m_bMatchCase)
    {
        for (const char* p = pText; p <= pLast; ++p)
        {
            p = static_cast<const char*>(std::memchr(p, pWanted[0], static_cast<size_t>(pLast - p) + 1));
            if (!p)
                return false;
            if (std::memcmp(p + 1, pWanted + 1, nWanted - 1) == 0)
                return true;
        }
        return false;
    }
    const char chFirst = FoldCase(pWanted[0]);
    for (const char* p = pText; p <= pLast; ++p)
    {
        if (FoldCase(*p) != chFirst)
            continue;
        size_t n = 1;
        while (n < nWanted && FoldCase(p[n]) == FoldCase(pWanted[n]))
            ++n;
        if (n == nWanted)
            return true;
    }
    return false;
}
