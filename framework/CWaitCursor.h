// Shows the wait cursor for the lifetime of the object and restores the
// previous cursor afterwards.
#pragma once

#include <windows.h>

class CWaitCursor
{
public:
    CWaitCursor() : m_hPrevious(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    // Restoring the cursor keeps the caller's last error: a failed file
    // operation inside the wait is reported after it.
    ~CWaitCursor()
    {
        DWORD dwError = ::GetLastError();
        ::SetCursor(m_hPrevious);
        ::SetLastError(dwError);
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_hPrevious;
};
