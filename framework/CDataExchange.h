// Moves data between a dialog's members and its controls.
#pragma once

#include "framework/CString.h"

#include <windows.h>

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;
};

// Binds a control wrapper to the dialog's control with that id.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Exchanges a string member with a control's window text.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// The same with the member's text in nCodePage (CP_ACP or CP_UTF8), the
// control's read and written in UTF-16.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value, UINT nCodePage);
