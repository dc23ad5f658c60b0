#include "ui/EntryDlg.h"

#include "framework/CWinApp.h"
#include "res/resource.h"
#include "ui/AppIcons.h"

CEntryDlg::CEntryDlg() : CDialog(IDD_ENTRY), m_hIcon(nullptr), m_strTarget("127.0.0.1"), m_nCodePage(CP_ACP)
{
    m_bUnicode = true;
}

BOOL CEntryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_hIcon = SetAppIcons(m_hWnd, m_nDpi);
    return TRUE;
}

void CEntryDlg::OnDpiChanged(UINT, UINT nNewDpi)
{
    m_hIcon = SetAppIcons(m_hWnd, nNewDpi);
}

void CEntryDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ENTRY, m_strEntry, m_nCodePage);
    DDX_Text(pDX, IDC_TARGET, m_strTarget, m_nCodePage);
}
