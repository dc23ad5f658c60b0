#include "framework/DllSearch.h"

HMODULE AfxLoadSystemLibrary(const char* pszFileName)
{
    char szPath[MAX_PATH];
    UINT nFolder = ::GetSystemDirectoryA(szPath, MAX_PATH);
    int nName = lstrlenA(pszFileName);
    if (nFolder == 0 || nFolder + 1 + nName >= MAX_PATH)
        return nullptr;
    szPath[nFolder] = '\\';
    lstrcpynA(szPath + nFolder + 1, pszFileName, nName + 1);
    return ::LoadLibraryA(szPath);
}

void AfxRestrictDllSearch()
{
    typedef BOOL(WINAPI * PFNSETDEFAULTDLLDIRECTORIES)(DWORD);
    // kernel32 is in every process from its start: looking it up loads nothing.
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    PFNSETDEFAULTDLLDIRECTORIES pfnSetDefaultDllDirectories =
        hKernel ? AfxGetProcAddress<PFNSETDEFAULTDLLDIRECTORIES>(hKernel, "SetDefaultDllDirectories") : nullptr;
    if (pfnSetDefaultDllDirectories && pfnSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // The older systems can only take the current folder out.
    ::SetDllDirectoryA("");
}

BOOL AfxInitCommonControlsEx(const INITCOMMONCONTROLSEX* pControls)
{
    typedef BOOL(WINAPI * PFNINITCOMMONCONTROLSEX)(const INITCOMMONCONTROLSEX*);
    HMODULE hControls = AfxLoadSystemLibrary("comctl32.dll");
    if (!hControls)
        return FALSE;
    PFNINITCOMMONCONTROLSEX pfnInit = AfxGetProcAddress<PFNINITCOMMONCONTROLSEX>(hControls, "InitCommonControlsEx");
    return pfnInit ? pfnInit(pControls) : FALSE;
}

HWND AfxFindText(FINDREPLACEW* pfr)
{
    typedef HWND(WINAPI * PFNFINDTEXTW)(FINDREPLACEW*);
    static PFNFINDTEXTW s_pfnFindText = nullptr;
    if (!s_pfnFindText)
    {
        HMODULE hDialogs = AfxLoadSystemLibrary("comdlg32.dll");
        if (hDialogs)
            s_pfnFindText = AfxGetProcAddress<PFNFINDTEXTW>(hDialogs, "FindTextW");
    }
    return s_pfnFindText ? s_pfnFindText(pfr) : nullptr;
}
