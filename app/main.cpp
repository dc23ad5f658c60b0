#include "app/HostsApp.h"

#include "framework/DllSearch.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    // Before anything loads a library: from here on DLLs come from the
    // system folder only, never from the folder the program was started from.
    AfxRestrictDllSearch();
    return AfxWinMain(&theApp, hInstance);
}
