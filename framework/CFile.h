// A file opened with CreateFileA, written unbuffered with WriteFile.
//
// Failures come back as FALSE with GetLastError() left for the caller; nothing
// here throws. The object owns its handle: not copyable, closed on destruction.
#pragma once

#include "framework/CFileException.h"

#include <windows.h>

class CFile
{
public:
    enum OpenFlags : UINT
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000
    };

    CFile() : m_hFile(INVALID_HANDLE_VALUE) {}
    // Takes over a handle opened elsewhere; it is closed with the object.
    explicit CFile(HANDLE hFile) : m_hFile(hFile) {}
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Without a share flag the file is not shared with other openers.
    // modeCreate creates or truncates (keeps the content with modeNoTruncate);
    // without it the file must exist. On failure pError, when given, receives
    // the cause and the system error.
    BOOL Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

    // Writes all n bytes or fails. A short write counts as a full disk
    // (ERROR_DISK_FULL): on a full disk WriteFile may first succeed with
    // fewer bytes written than asked.
    BOOL Write(const void* pBuffer, UINT nCount);

    // Asks the system to put everything written so far on disk
    // (FlushFileBuffers), so that the data survives a crash or power loss
    // once this returns TRUE.
    BOOL Flush() { return ::FlushFileBuffers(m_hFile); }

    // Closes the handle if one is open. The last error is not changed.
    void Close();

    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    HANDLE m_hFile;
};
