#include "ui/HostsWatcher.h"

bool CHostsWatcher::Start(const CString& folder, HWND hWnd, UINT nMessage)
{
    Stop();
    m_hWnd = hWnd;
    m_nMessage = nMessage;
    m_hChange = ::FindFirstChangeNotificationA(
        folder, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (m_hChange == INVALID_HANDLE_VALUE)
        return false;
    m_hStop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (m_hStop)
        m_hThread = ::CreateThread(nullptr, 0, &CHostsWatcher::Run, this, 0, nullptr);
    if (!m_hThread)
    {
        Stop();
        return false;
    }
    return true;
}

void CHostsWatcher::Stop()
{
    if (m_hThread)
    {
        ::SetEvent(m_hStop);
        ::WaitForSingleObject(m_hThread, INFINITE);
        ::CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hStop)
    {
        ::CloseHandle(m_hStop);
        m_hStop = nullptr;
    }
    if (m_hChange != INVALID_HANDLE_VALUE)
    {
        ::FindCloseChangeNotification(m_hChange);
        m_hChange = INVALID_HANDLE_VALUE;
    }
}

DWORD WINAPI CHostsWatcher::Run(void* pParameter)
{
    CHostsWatcher* pThis = static_cast<CHostsWatcher*>(pParameter);
    HANDLE handles[2] = {pThis->m_hStop, pThis->m_hChange};
    for (;;)
    {
        DWORD dwWaited = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (dwWaited != WAIT_OBJECT_0 + 1)
            return 0;
        ::PostMessageA(pThis->m_hWnd, pThis->m_nMessage, 0, 0);
        if (!::FindNextChangeNotification(pThis->m_hChange))
            return 0;
    }
}
