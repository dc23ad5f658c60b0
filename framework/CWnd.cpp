#include "framework/CWnd.h"

#include "framework/AppName.h"

#include <commctrl.h>

const char kOutOfMemoryText[] = "Not enough memory to complete the operation.";

void CWnd::CenterWindow()
{
    RECT rcWindow;
    ::GetWindowRect(m_hWnd, &rcWindow);
    RECT rcArea;
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
    {
        ::GetWindowRect(hOwner, &rcArea);
    }
    else
    {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
        rcArea = info.rcWork;
    }
    int cx = rcWindow.right - rcWindow.left;
    int cy = rcWindow.bottom - rcWindow.top;
    int x = rcArea.left + (rcArea.right - rcArea.left - cx) / 2;
    int y = rcArea.top + (rcArea.bottom - rcArea.top - cy) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType) const
{
    return ::MessageBoxA(m_hWnd, pszText, pszCaption ? pszCaption : AfxGetAppName(), nType);
}

BOOL CWnd::OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    *pResult = 0;
    const AFX_MSGMAP_ENTRY* pEntry = nullptr;
    if (nMsg == WM_COMMAND)
    {
        // Menu items (code 0), accelerators (1) and button clicks (BN_CLICKED,
        // 0) as commands; other notifications by their code (ON_CONTROL).
        UINT nCode = HIWORD(wParam);
        pEntry = FindEntry(WM_COMMAND, nCode == 1 ? 0 : nCode, LOWORD(wParam));
    }
    else if (nMsg == WM_NOTIFY)
    {
        const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        pEntry = FindEntry(WM_NOTIFY, pHdr->code, static_cast<UINT>(pHdr->idFrom));
    }
    else
    {
        pEntry = FindEntry(nMsg, 0, 0);
    }
    if (!pEntry)
        return FALSE;

    bool bOuterDefault = m_bUseDefault;
    m_bUseDefault = false;
    switch (pEntry->nSig)
    {
    case AfxSig_vv:
        (this->*(pEntry->pfn))();
        break;
    case AfxSig_vwl:
        (this->*reinterpret_cast<void (CCmdTarget::*)(UINT, LPARAM)>(pEntry->pfn))(static_cast<UINT>(wParam), lParam);
        break;
    case AfxSig_hv:
        *pResult = reinterpret_cast<LRESULT>((this->*reinterpret_cast<HCURSOR (CCmdTarget::*)()>(pEntry->pfn))());
        break;
    case AfxSig_notify:
        (this->*reinterpret_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(pEntry->pfn))(
            reinterpret_cast<NMHDR*>(lParam), pResult);
        break;
    case AfxSig_bv:
        *pResult = (this->*reinterpret_cast<BOOL (CCmdTarget::*)()>(pEntry->pfn))();
        break;
    case AfxSig_lwl:
        *pResult = (this->*reinterpret_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(pEntry->pfn))(wParam, lParam);
        break;
    case AfxSig_bwl:
        *pResult = (this->*reinterpret_cast<BOOL (CCmdTarget::*)(WPARAM, LPARAM)>(pEntry->pfn))(wParam, lParam);
        break;
    case AfxSig_end:
        break;
    }
    bool bDefault = m_bUseDefault;
    m_bUseDefault = bOuterDefault;
    return bDefault ? FALSE : TRUE;
}
