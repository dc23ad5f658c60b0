// The application object: registers the controls, sets the profile key and
// runs the main window; the program ends when that window closes.
#pragma once

#include "framework/CWinApp.h"

class CHostsApp : public CWinApp
{
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CHostsApp theApp;
