#include "hosts/disk/ExtensionFilter.h"

#include <cstring>

namespace
{
// Room for a list of 1023 characters; a longer list makes the buffer grow.
const size_t kScratchSize = 1024;
}

CExtensionFilter::CExtensionFilter() : m_scratch(kScratchSize)
{
}

CExtensionFilter::~CExtensionFilter()
{
}

bool CExtensionFilter::Matches(const CString& path, const CString& patterns)
{
    // Cut the list as strtok(list, ",") would: every maximal run of
    // characters other than ',' is one pattern.
    const char* pszList = patterns.c_str();
    size_t nLength = std::strlen(pszList);
    if (m_scratch.size() < nLength + 1)
        m_scratch.resize(nLength + 1);
    std::memcpy(m_scratch.data(), pszList, nLength + 1);

    m_patterns.RemoveAll();
    char* p = m_scratch.data();
    while (*p)
    {
        if (*p == ',')
        {
            ++p;
            continue;
        }
        char* pStart = p;
        while (*p && *p != ',')
            ++p;
        if (*p)
            *p++ = '\0';
        m_patterns.Add(pStart);
    }

    // The program runs in the C locale, so case is folded for ASCII letters only.
    CString extension = GetExtension(path);
    for (int i = 0; i < m_patterns.GetSize(); ++i)
    {
        m_current = m_patterns[i];
        if (m_current.CompareNoCase("*.*") == 0)
            return true;
        m_current = GetExtension(m_current);
        if (m_current.CompareNoCase(extension) == 0)
            return true;
    }
    return false;
}

CString CExtensionFilter::GetExtension(const CString& text)
{
    int nDot = text.ReverseFind('.');
    return nDot < 0 ? text : text.Mid(nDot + 1);
}
