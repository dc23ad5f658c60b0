// The About box, reached from the main window's system menu, and its item
// there.
#pragma once

#include "framework/CDialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();
};

// Puts "About Tarnwick..." (the string table's text) at the end of a
// window's system menu, after a separator.
void AppendAboutItem(CWnd& wnd);
// Whether a WM_SYSCOMMAND is that item's.
bool IsAboutCommand(UINT nID);
