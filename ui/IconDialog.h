// A dialog that shows the program's icon (icon resource 128): as its big and
// small window icons, each at its size for the window's DPI, drawn in the
// middle of its client area while it is minimised (a dialog's window class
// has no icon of its own), and as the icon dragged for it.
#pragma once

#include "framework/CDialog.h"

class CIconDialog : public CDialog
{
public:
    explicit CIconDialog(UINT nIDTemplate);

    BOOL OnInitDialog() override;

    HICON m_hIcon;  // the big icon

protected:
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()
};

// Where the icon goes in a client area while the window is minimised:
// (extent - icon + 1) / 2, the division truncating toward zero.
int CenteredIconOffset(int nClientExtent, int nIconExtent);
