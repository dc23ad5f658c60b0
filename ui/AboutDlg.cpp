#include "ui/AboutDlg.h"

#include "framework/CWinApp.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
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
