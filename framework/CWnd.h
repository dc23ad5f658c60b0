// A window handle with the few operations the dialogs need. Messages reach a
// window's handlers through its message map (OnWndMsg).
#pragma once

#include "framework/CCmdTarget.h"
#include "framework/CMenu.h"
#include "framework/CString.h"

#include <windows.h>

// What a command says when it cannot get the memory it needs.
extern const char kOutOfMemoryText[];

class CWnd : public CCmdTarget
{
public:
    CWnd() : m_hWnd(nullptr) {}

    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, nMsg, wParam, lParam);
    }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    BOOL Invalidate(BOOL bErase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, bErase); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                   reinterpret_cast<LPARAM>(hIcon)));
    }
    CMenu GetSystemMenu(BOOL bRevert) const { return CMenu(::GetSystemMenu(m_hWnd, bRevert)); }
    void CenterWindow();

    // A message box owned by this window; the caption defaults to the
    // application title.
    int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK) const;

    // Called by a handler that wants the system's default processing of the
    // message it is handling.
    void Default() { m_bUseDefault = true; }

    // Dispatches a message through the message map; FALSE when no entry took
    // it (or the handler asked for the default processing).
    BOOL OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    HWND m_hWnd;

private:
    bool m_bUseDefault = false;
};
