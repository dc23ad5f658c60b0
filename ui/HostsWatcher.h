// Tells the main window when something in the hosts file's folder changes:
// a thread of its own waits for the system's change notification and posts
// a message for each one. The file itself is never read here; the window
// decides, once things are quiet, whether its bytes changed.
#pragma once

#include "framework/CString.h"

#include <windows.h>

class CHostsWatcher
{
public:
    CHostsWatcher() = default;
    ~CHostsWatcher() { Stop(); }
    CHostsWatcher(const CHostsWatcher&) = delete;
    CHostsWatcher& operator=(const CHostsWatcher&) = delete;

    // Watches the folder (names, sizes and times of its files); every change
    // posts nMessage to hWnd. False when the system cannot watch it.
    bool Start(const CString& folder, HWND hWnd, UINT nMessage);
    void Stop();

private:
    static DWORD WINAPI Run(void* pParameter);

    HANDLE m_hChange = INVALID_HANDLE_VALUE;
    HANDLE m_hStop = nullptr;
    HANDLE m_hThread = nullptr;
    HWND m_hWnd = nullptr;
    UINT m_nMessage = 0;
};
