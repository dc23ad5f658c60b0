#include "framework/CString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(_WIN32)
// AnsiLeadByte.cpp: asks the system about its ANSI code page.
bool IsSystemAnsiLeadByte(unsigned char ch);
#else
// Built natively there is no code page to ask: every byte is a character.
static bool IsSystemAnsiLeadByte(unsigned char)
{
    return false;
}
#endif

namespace
{
// A lead-byte test's answers for all 256 bytes, asked once: the ANSI code
// page does not change while the program runs.
struct CLeadBytes
{
    void Fill(LeadByteTest pfnTest)
    {
        bAny = false;
        for (int n = 0; n < 256; ++n)
        {
            abLead[n] = pfnTest(static_cast<unsigned char>(n));
            bAny = bAny || abLead[n];
        }
    }
    bool bAny;  // false in a single-byte code page
    bool abLead[256];
};

const CLeadBytes* g_pTestLeadBytes = nullptr;

const CLeadBytes& LeadBytes()
{
    if (g_pTestLeadBytes)
        return *g_pTestLeadBytes;
    static const CLeadBytes system = [] {
        CLeadBytes lead;
        lead.Fill(IsSystemAnsiLeadByte);
        return lead;
    }();
    return system;
}

// Bytes of the character at p: two for a lead byte that the text's end does
// not cut off, one otherwise.
inline int CharSize(const CLeadBytes& lead, const char* p)
{
    return lead.abLead[static_cast<unsigned char>(*p)] && p[1] != '\0' ? 2 : 1;
}

// The first occurrence of pszSub at or after pszFrom that starts a character
// of the text beginning at pszText; nullptr when there is none. Like strstr,
// the text ends at its first zero.
const char* FindText(const CLeadBytes& lead, const char* pszText, const char* pszFrom, const char* pszSub)
{
    const char* pChar = pszText;  // the start of a character
    for (const char* p = std::strstr(pszFrom, pszSub); p; p = std::strstr(pChar, pszSub))
    {
        if (!lead.bAny)
            return p;
        while (pChar < p)
            pChar += CharSize(lead, pChar);
        if (pChar == p)
            return p;
        // p is the second byte of a character: search on from the next one.
    }
    return nullptr;
}
}

bool IsAnsiLeadByte(char ch)
{
    return LeadBytes().abLead[static_cast<unsigned char>(ch)];
}

void SetAnsiLeadByteTest(LeadByteTest pfnTest)
{
    static CLeadBytes s_test;
    if (pfnTest)
    {
        s_test.Fill(pfnTest);
        g_pTestLeadBytes = &s_test;
    }
    else
    {
        g_pTestLeadBytes = nullptr;
    }
}

CString::Data* CString::Allocate(int nCapacity)
{
    Data* p = static_cast<Data*>(std::malloc(sizeof(Data) + static_cast<size_t>(nCapacity) + 1));
    if (!p)
        throw std::bad_alloc();
    p->nRefs = 1;
    p->nLength = 0;
    p->nCapacity = nCapacity;
    p->Text()[0] = '\0';
    return p;
}

void CString::Release()
{
    if (m_pData && __atomic_sub_fetch(&m_pData->nRefs, 1, __ATOMIC_ACQ_REL) == 0)
        std::free(m_pData);
    m_pData = nullptr;
}

void CString::MakeUnique(int nMinCapacity)
{
    if (m_pData && m_pData->nRefs == 1 && m_pData->nCapacity >= nMinCapacity)
        return;
    int nCapacity = nMinCapacity;
    if (m_pData && m_pData->nRefs == 1 && nCapacity < m_pData->nCapacity * 2)
        nCapacity = m_pData->nCapacity * 2;  // growing in place: amortise appends
    Data* p = Allocate(nCapacity);
    if (m_pData)
    {
        p->nLength = m_pData->nLength < nCapacity ? m_pData->nLength : nCapacity;
        std::memcpy(p->Text(), m_pData->Text(), static_cast<size_t>(p->nLength));
        p->Text()[p->nLength] = '\0';
    }
    Release();
    m_pData = p;
}

void CString::SetLength(int nLength)
{
    m_pData->nLength = nLength;
    m_pData->Text()[nLength] = '\0';
}

void CString::Assign(const char* pch, int nLength)
{
    if (nLength <= 0)
    {
        Release();
        return;
    }
    Data* p = Allocate(nLength);
    std::memcpy(p->Text(), pch, static_cast<size_t>(nLength));
    Release();
    m_pData = p;
    SetLength(nLength);
}

CString::CString(const CString& other) : m_pData(other.m_pData)
{
    if (m_pData)
        __atomic_add_fetch(&m_pData->nRefs, 1, __ATOMIC_RELAXED);
}

CString::CString(const char* psz) : m_pData(nullptr)
{
    if (psz)
        Assign(psz, static_cast<int>(std::strlen(psz)));
}

CString::CString(const char* pch, int nLength) : m_pData(nullptr)
{
    Assign(pch, nLength);
}

CString::CString(char ch, int nRepeat) : m_pData(nullptr)
{
    if (nRepeat > 0)
    {
        m_pData = Allocate(nRepeat);
        std::memset(m_pData->Text(), ch, static_cast<size_t>(nRepeat));
        SetLength(nRepeat);
    }
}

CString& CString::operator=(const CString& other)
{
    if (m_pData != other.m_pData)
    {
        CString copy(other);
        std::swap(m_pData, copy.m_pData);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other)
    {
        Release();
        m_pData = other.m_pData;
        other.m_pData = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    // psz may point into this string's own block: Assign copies before releasing.
    if (psz)
        Assign(psz, static_cast<int>(std::strlen(psz)));
    else
        Release();
    return *this;
}

char* CString::GetBuffer(int nMinLength)
{
    int nLength = GetLength();
    MakeUnique(nMinLength > nLength ? nMinLength : nLength);
    return m_pData->Text();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_pData)
        return;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_pData->Text(), static_cast<size_t>(m_pData->nCapacity)));
    if (nNewLength > m_pData->nCapacity)
        nNewLength = m_pData->nCapacity;
    SetLength(nNewLength);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list probe;
    va_copy(probe, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, probe);
    va_end(probe);
    if (nLength <= 0)
    {
        Release();
        return;
    }
    Data* p = Allocate(nLength);
    std::vsnprintf(p->Text(), static_cast<size_t>(nLength) + 1, pszFormat, args);
    Release();
    m_pData = p;
    SetLength(nLength);
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    int nOld = pszOld ? static_cast<int>(std::strlen(pszOld)) : 0;
    if (nOld == 0 || IsEmpty())
        return 0;
    if (!pszNew)
        pszNew = "";
    int nNew = static_cast<int>(std::strlen(pszNew));
    const CLeadBytes& lead = LeadBytes();
    const char* pText = c_str();
    int nCount = 0;
    for (const char* p = FindText(lead, pText, pText, pszOld); p; p = FindText(lead, p + nOld, p + nOld, pszOld))
        ++nCount;
    if (nCount == 0)
        return 0;

    CString result;
    char* pOut = result.GetBuffer(GetLength() + nCount * (nNew - nOld));
    const char* pFrom = pText;
    for (const char* p = FindText(lead, pFrom, pFrom, pszOld); p; p = FindText(lead, pFrom, pFrom, pszOld))
    {
        std::memcpy(pOut, pFrom, static_cast<size_t>(p - pFrom));
        pOut += p - pFrom;
        std::memcpy(pOut, pszNew, static_cast<size_t>(nNew));
        pOut += nNew;
        pFrom = p + nOld;
    }
    std::strcpy(pOut, pFrom);
    result.ReleaseBuffer();
    *this = std::move(result);
    return nCount;
}

int CString::Replace(char chOld, char chNew)
{
    const CLeadBytes& lead = LeadBytes();
    int nCount = 0;
    if (!lead.bAny)
    {
        for (int i = 0; i < GetLength(); ++i)
        {
            if (m_pData->Text()[i] == chOld)
            {
                MakeUnique(GetLength());
                m_pData->Text()[i] = chNew;
                ++nCount;
            }
        }
        return nCount;
    }
    for (int i = 0, nSize = 1; i < GetLength(); i += nSize)
    {
        nSize = CharSize(lead, m_pData->Text() + i);
        if (m_pData->Text()[i] == chOld)
        {
            MakeUnique(GetLength());
            m_pData->Text()[i] = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Remove(char ch)
{
    if (Find(ch) < 0)
        return 0;
    MakeUnique(GetLength());
    const CLeadBytes& lead = LeadBytes();
    char* pText = m_pData->Text();
    int nKept = 0;
    if (!lead.bAny)
    {
        for (int i = 0; i < m_pData->nLength; ++i)
            if (pText[i] != ch)
                pText[nKept++] = pText[i];
    }
    else
    {
        for (int i = 0, nNextChar = 0; i < m_pData->nLength; ++i)
        {
            if (i == nNextChar)
            {
                nNextChar = i + CharSize(lead, pText + i);
                if (pText[i] == ch)
                    continue;
            }
            pText[nKept++] = pText[i];
        }
    }
    int nRemoved = m_pData->nLength - nKept;
    SetLength(nKept);
    return nRemoved;
}

CString& CString::TrimLeft()
{
    const char* pText = c_str();
    int nSkip = 0;
    while (nSkip < GetLength() && IsCWhiteSpace(pText[nSkip]))
        ++nSkip;
    if (nSkip > 0)
        *this = Mid(nSkip);
    return *this;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return CString(c_str(), nCount);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > GetLength())
        nFirst = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > GetLength() - nFirst)
        nCount = GetLength() - nFirst;
    if (nFirst == 0 && nCount == GetLength())
        return *this;
    return CString(c_str() + nFirst, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return CString(c_str() + GetLength() - nCount, nCount);
}

int CString::Find(char ch, int nStart) const
{
    int nLength = GetLength();
    if (nStart < 0 || nStart >= nLength)
        return -1;
    const char* pText = c_str();
    const CLeadBytes& lead = LeadBytes();
    if (lead.bAny)
    {
        for (int i = 0; i < nLength; i += CharSize(lead, pText + i))
            if (i >= nStart && pText[i] == ch)
                return i;
        return -1;
    }
    const void* p = std::memchr(pText + nStart, ch, static_cast<size_t>(nLength - nStart));
    return p ? static_cast<int>(static_cast<const char*>(p) - pText) : -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    const char* p = FindText(LeadBytes(), c_str(), c_str() + nStart, pszSub);
    return p ? static_cast<int>(p - c_str()) : -1;
}

int CString::ReverseFind(char ch) const
{
    const CLeadBytes& lead = LeadBytes();
    if (lead.bAny)
    {
        // Characters are told apart from the front only.
        const char* pText = c_str();
        int nFound = -1;
        for (int i = 0; i < GetLength(); i += CharSize(lead, pText + i))
            if (pText[i] == ch)
                nFound = i;
        return nFound;
    }
    for (int i = GetLength() - 1; i >= 0; --i)
        if (c_str()[i] == ch)
            return i;
    return -1;
}

int CString::Compare(const char* psz) const
{
    return std::strcmp(c_str(), psz ? psz : "");
}

int CString::CompareNoCase(const char* psz) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(psz ? psz : "");
    for (;; ++a, ++b)
    {
        int ca = (*a >= 'A' && *a <= 'Z') ? *a + ('a' - 'A') : *a;
        int cb = (*b >= 'A' && *b <= 'Z') ? *b + ('a' - 'A') : *b;
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

CString& CString::operator+=(const char* psz)
{
    return psz ? Append(psz, static_cast<int>(std::strlen(psz))) : *this;
}

CString& CString::Append(const char* pch, int nLength)
{
    if (nLength <= 0)
        return *this;
    int nOld = GetLength();
    if (m_pData && pch >= m_pData->Text() && pch <= m_pData->Text() + nOld)
    {
        CString copy(pch, nLength);  // appending part of ourselves
        return Append(copy.c_str(), nLength);
    }
    MakeUnique(nOld + nLength);
    std::memcpy(m_pData->Text() + nOld, pch, static_cast<size_t>(nLength));
    SetLength(nOld + nLength);
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, const char* b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const char* a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, char b)
{
    CString s(a);
    s += b;
    return s;
}

bool operator==(const CString& a, const CString& b)
{
    return a.GetLength() == b.GetLength() && std::memcmp(a.c_str(), b.c_str(), static_cast<size_t>(a.GetLength())) == 0;
}
