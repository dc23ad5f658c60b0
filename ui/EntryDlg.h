// "Hosts File Entry": asks for a host name and the address to map it to.
#pragma once

#include "framework/CDialog.h"

class CEntryDlg : public CDialog
{
public:
    CEntryDlg();

    BOOL OnInitDialog() override;
    // Ends the dialog only when the file's encoding can hold both texts:
    // the fields take any character, a file in the ANSI code page does not.
    void OnOK() override;

    HICON m_hIcon;
    CString m_strEntry;   // host name
    CString m_strTarget;  // address, "127.0.0.1" to begin with
    // The code page of both texts: the ANSI code page, or UTF-8 for a file
    // shown as UTF-8. The fields themselves take any character.
    UINT m_nCodePage;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;
};
