// The program's settings in the per-user profile, section "Settings".
#pragma once

#include "framework/CString.h"

class CAppSettings
{
public:
    virtual ~CAppSettings() = default;

    // The editor that opens the hosts file and backups: "HostsEditorPath",
    // read afresh at every use; notepad.exe in the Windows folder when unset.
    void GetHostsEditorPath(CString& path);

    // "Run" is 1 while the main window exists and 0 after it is destroyed.
    void MarkRunning();
    void MarkStopped();
};
