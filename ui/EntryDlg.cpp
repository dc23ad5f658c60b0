#include "ui/EntryDlg.h"

#include "framework/CWinApp.h"
#include "framework/WideText.h"
#include "res/resource.h"
#include "ui/AppIcons.h"

namespace
{
const char kCannotHold[] =
    "The hosts file is not in UTF-8, and its code page (%u) cannot hold every character of the entry.";
}

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

void CEntryDlg::OnOK()
{
    if (m_nCodePage != CP_UTF8)
    {
        bool bEntryLost = false, bTargetLost = false;
        GetWindowTextIn(GetDlgItem(IDC_ENTRY), m_nCodePage, &bEntryLost);
        GetWindowTextIn(GetDlgItem(IDC_TARGET), m_nCodePage, &bTargetLost);
        if (bEntryLost || bTargetLost)
        {
            CString text;
            text.Format(kCannotHold, ::GetACP());
            MessageBox(text, nullptr, MB_ICONERROR);
            return;
        }
    }
    CDialog::OnOK();
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
