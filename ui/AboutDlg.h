// The About box, reached from the main window's system menu.
#pragma once

#include "framework/CDialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();
};
