#include "ui/EditLineDlg.h"

#include "framework/WideText.h"
#include "hosts/lines/LineScan.h"
#include "hosts/review/EntryCheck.h"
#include "res/resource.h"

namespace
{
const char kEmptyLine[] = "A line cannot be empty.\nTo remove the line, use Edit > Delete Lines.";
const char kCannotHold[] =
    "The hosts file is not in UTF-8, and its code page (%u) cannot hold every character of the entry.";
}

BEGIN_MESSAGE_MAP(CEditLineDlg, CDialog)
    ON_CONTROL(EN_CHANGE, IDC_LINE_TEXT, OnLineChanged)
END_MESSAGE_MAP()

CEditLineDlg::CEditLineDlg() : CDialog(IDD_EDIT_LINE), m_nCodePage(CP_ACP)
{
    m_bUnicode = true;
}

void CEditLineDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_LINE_TEXT, m_strLine, m_nCodePage);
}

BOOL CEditLineDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    OnLineChanged();
    return TRUE;
}

CString CEditLineDlg::TypedLine(bool* pbLost) const
{
    return OneHostsLine(GetWindowTextIn(GetDlgItem(IDC_LINE_TEXT), m_nCodePage, pbLost));
}

void CEditLineDlg::OnLineChanged()
{
    // The line taken alone: what other rows map is Check Entries' to say.
    bool bLost = false;
    const CString line = TypedLine(&bLost);
    const CString problem =
        CEntryCheck::CheckLine(line.c_str(), static_cast<size_t>(line.GetLength()), m_nCodePage == CP_UTF8);
    SetWindowTextIn(GetDlgItem(IDC_LINE_PROBLEM), problem.c_str(), m_nCodePage);
}

void CEditLineDlg::OnOK()
{
    // A problem never stops the line: a user may keep one Windows ignores.
    bool bLost = false;
    CString line = TypedLine(&bLost);
    if (bLost && m_nCodePage != CP_UTF8)
    {
        CString text;
        text.Format(kCannotHold, ::GetACP());
        MessageBox(text, nullptr, MB_ICONERROR);
        return;
    }
    CString rest = line;
    if (rest.TrimLeft().IsEmpty())
    {
        MessageBox(kEmptyLine, nullptr, MB_ICONERROR);
        return;
    }
    m_strLine = line;
    EndDialog(IDOK);
}
