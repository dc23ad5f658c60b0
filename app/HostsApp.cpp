#include "app/HostsApp.h"

#include "framework/DllSearch.h"
#include "res/resource.h"
#include "ui/MainDlg.h"

CHostsApp theApp;

BEGIN_MESSAGE_MAP(CHostsApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

BOOL CHostsApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = 8;
    controls.dwICC = 0xFF;  // list view, tree view, bars, tab, up-down, progress, hot-key, animate
    AfxInitCommonControlsEx(&controls);

    AfxEnableControlContainer();
    SetRegistryKey("Pellmoor");
    Enable3dControls();

    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The main window has closed: end the program.
    return FALSE;
}
