#include "ui/AboutDlg.h"

#include "framework/CWinApp.h"
#include "res/resource.h"
#include "ui/AppIcons.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowIcon();
    return TRUE;
}

void CAboutDlg::OnDpiChanged(UINT, UINT)
{
    ShowIcon();
}

void CAboutDlg::ShowIcon()
{
    // The box's one icon control; it takes the size of its icon.
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        if ((::GetWindowLongA(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            ::SendMessageA(hChild, STM_SETICON, reinterpret_cast<WPARAM>(AppIcon(SM_CXICON, m_nDpi)), 0);
}

void AppendAboutItem(CWnd& wnd)
{
    CMenu sysMenu = wnd.GetSystemMenu(FALSE);
    if (!sysMenu.m_hMenu)
        return;
    char szAbout[256] = "";
    ::LoadStringA(AfxGetInstanceHandle(), IDS_ABOUTBOX, szAbout, sizeof(szAbout));
    if (szAbout[0])
    {
        sysMenu.AppendMenu(MF_SEPARATOR);
        sysMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, szAbout);
    }
}

bool IsAboutCommand(UINT nID)
{
    return (nID & 0xFFF0) == IDM_ABOUTBOX;
}
