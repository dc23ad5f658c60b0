// The About box, reached from the main window's system menu, and its item
// there.
#pragma once

#include "framework/CDialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();

    // The icon at its size for the box's DPI, in place of the one the
    // template loads at the system's.
    BOOL OnInitDialog() override;

protected:
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;

private:
    void ShowIcon();
};

// Puts "About Tarnwick..." (the string table's text) at the end of a
// window's system menu, after a separator.
void AppendAboutItem(CWnd& wnd);
// Whether a WM_SYSCOMMAND is that item's.
bool IsAboutCommand(UINT nID);
