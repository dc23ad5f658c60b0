#include "framework/CDataExchange.h"

#include "framework/CWnd.h"
#include "framework/WideText.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.m_hWnd = pDX->m_pDlgWnd->GetDlgItem(nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        int nLength = ::GetWindowTextLengthA(hControl);
        CString text;
        if (nLength > 0)
        {
            int nCopied = ::GetWindowTextA(hControl, text.GetBuffer(nLength), nLength + 1);
            text.ReleaseBuffer(nCopied);
        }
        value = text;
    }
    else
    {
        ::SetWindowTextA(hControl, value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value, UINT nCodePage)
{
    HWND hControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = GetWindowTextIn(hControl, nCodePage);
    else
        SetWindowTextIn(hControl, value, nCodePage);
}
