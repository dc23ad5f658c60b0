#include "app/AppSettings.h"

#include "framework/CWinApp.h"

#include <windows.h>

namespace
{
const char kSection[] = "Settings";
}

void CAppSettings::GetHostsEditorPath(CString& path)
{
    path = AfxGetApp()->GetProfileString(kSection, "HostsEditorPath", "");
    if (path.IsEmpty())
    {
        char szWindows[260] = "";
        ::GetWindowsDirectoryA(szWindows, sizeof(szWindows));
        path.Format("%s\\notepad.exe", szWindows);
    }
}

void CAppSettings::MarkRunning()
{
    AfxGetApp()->WriteProfileInt(kSection, "Run", 1);
}

void CAppSettings::MarkStopped()
{
    AfxGetApp()->WriteProfileInt(kSection, "Run", 0);
}
