#include "ui/IconDialog.h"

#include "framework/CPaintDC.h"
#include "framework/CWinApp.h"
#include "res/resource.h"
#include "ui/AppIcons.h"

BEGIN_MESSAGE_MAP(CIconDialog, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

CIconDialog::CIconDialog(UINT nIDTemplate) : CDialog(nIDTemplate)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

BOOL CIconDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_hIcon = SetAppIcons(m_hWnd, m_nDpi);
    return TRUE;
}

void CIconDialog::OnDpiChanged(UINT, UINT nNewDpi)
{
    m_hIcon = SetAppIcons(m_hWnd, nNewDpi);
}

int CenteredIconOffset(int nClientExtent, int nIconExtent)
{
    return (nClientExtent - nIconExtent + 1) / 2;
}

void CIconDialog::OnPaint()
{
    if (!IsIconic())
    {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = CenteredIconOffset(rect.right - rect.left, cxIcon);
    int y = CenteredIconOffset(rect.bottom - rect.top, cyIcon);
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CIconDialog::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
