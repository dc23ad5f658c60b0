// Edit > Edit Line: one row's text in a field, with the first problem the
// entry check finds on it shown below as it is typed.
#pragma once

#include "framework/CDialog.h"
#include "framework/CString.h"
#include "framework/MessageMap.h"

class CEditLineDlg : public CDialog
{
public:
    CEditLineDlg();

    BOOL OnInitDialog() override;
    // Ends the dialog only with a line that is not empty and that the
    // rows' encoding can hold.
    void OnOK() override;

    // The row's text as the list shows it, then the line as edited, with
    // every control character but tab a space. In m_nCodePage: the ANSI
    // code page, or UTF-8 for a file shown as UTF-8.
    CString m_strLine;
    UINT m_nCodePage;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnLineChanged();

    DECLARE_MESSAGE_MAP()

private:
    // The line as typed, in the code page; *pbLost when it cannot hold it.
    CString TypedLine(bool* pbLost) const;
};
