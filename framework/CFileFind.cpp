#include "framework/CFileFind.h"

#include <cstring>

CFileFind::CFileFind() : m_hFind(INVALID_HANDLE_VALUE), m_bHaveNext(false), m_bHaveFound(false)
{
    std::memset(&m_next, 0, sizeof m_next);
    std::memset(&m_found, 0, sizeof m_found);
}

BOOL CFileFind::FindFile(const char* pszPattern)
{
    Close();
    if (!pszPattern || !*pszPattern)
        pszPattern = "*.*";

    m_hFind = ::FindFirstFileA(pszPattern, &m_next);
    if (m_hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    m_bHaveNext = true;

    // The names found belong to the folder written before the last separator.
    CString pattern(pszPattern);
    int nSlash = pattern.ReverseFind('\\');
    int nForward = pattern.ReverseFind('/');
    if (nForward > nSlash)
        nSlash = nForward;
    m_strRoot = pattern.Left(nSlash + 1);
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_bHaveNext)
        return FALSE;
    m_found = m_next;
    m_bHaveFound = true;
    m_bHaveNext = ::FindNextFileA(m_hFind, &m_next) != FALSE;
    return m_bHaveNext ? TRUE : FALSE;
}

void CFileFind::Close()
{
    if (m_hFind != INVALID_HANDLE_VALUE)
    {
        ::FindClose(m_hFind);
        m_hFind = INVALID_HANDLE_VALUE;
    }
    m_bHaveNext = false;
    m_bHaveFound = false;
    m_strRoot.Empty();
}

BOOL CFileFind::IsDots() const
{
    if (!m_bHaveFound)
        return FALSE;
    const char* pszName = m_found.cFileName;
    return (std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0) ? TRUE : FALSE;
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const
{
    return (m_bHaveFound && (m_found.dwFileAttributes & dwMask) != 0) ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const
{
    return m_bHaveFound ? CString(m_found.cFileName) : CString();
}

CString CFileFind::GetFilePath() const
{
    return m_bHaveFound ? m_strRoot + m_found.cFileName : CString();
}
