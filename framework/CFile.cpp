#include "framework/CFile.h"

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    Close();

    DWORD dwAccess = 0;
    switch (nOpenFlags & 0x0003)
    {
    case modeRead: dwAccess = GENERIC_READ; break;
    case modeWrite: dwAccess = GENERIC_WRITE; break;
    case modeReadWrite: dwAccess = GENERIC_READ | GENERIC_WRITE; break;
    default:
        ::SetLastError(ERROR_INVALID_PARAMETER);
        if (pError)
            *pError = CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    DWORD dwShare = 0;
    switch (nOpenFlags & 0x0070)
    {
    case shareDenyWrite: dwShare = FILE_SHARE_READ; break;
    case shareDenyRead: dwShare = FILE_SHARE_WRITE; break;
    case shareDenyNone: dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: dwShare = 0; break;  // compatibility mode and shareExclusive
    }

    DWORD dwDisposition = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        dwDisposition = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE hFile = ::CreateFileA(pszFileName, dwAccess, dwShare, nullptr, dwDisposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        if (pError)
        {
            LONG lError = static_cast<LONG>(::GetLastError());
            *pError = CFileException(CFileException::OsErrorToCause(lError), lError);
        }
        return FALSE;
    }
    m_hFile = hFile;
    return TRUE;
}

BOOL CFile::Write(const void* pBuffer, UINT nCount)
{
    if (nCount == 0)
        return TRUE;
    DWORD dwWritten = 0;
    if (!::WriteFile(m_hFile, pBuffer, nCount, &dwWritten, nullptr))
        return FALSE;
    if (dwWritten < nCount)
    {
        ::SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return TRUE;
}

void CFile::Close()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD dwError = ::GetLastError();
    ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    ::SetLastError(dwError);
}
