// A DLL named like the common controls library, as someone could leave it in
// a Downloads folder beside tarnwick.exe. Whenever a process loads it, it
// writes the path of that process's program to "planted-dll-ran" in its own
// folder, and it passes InitCommonControlsEx on to the system's library, as
// an attacker's copy would, so that the program goes on working.
#include <windows.h>

namespace
{
// The folder of a module, with its trailing backslash.
DWORD FolderOf(HMODULE hModule, char* pszPath)
{
    DWORD nLength = ::GetModuleFileNameA(hModule, pszPath, MAX_PATH);
    while (nLength > 0 && pszPath[nLength - 1] != '\\')
        --nLength;
    pszPath[nLength] = '\0';
    return nLength;
}
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    char szMarker[MAX_PATH + 16];
    DWORD nFolder = FolderOf(hInstance, szMarker);
    lstrcpyA(szMarker + nFolder, "planted-dll-ran");
    char szProgram[MAX_PATH] = "";
    DWORD nProgram = ::GetModuleFileNameA(nullptr, szProgram, MAX_PATH);
    HANDLE hFile = ::CreateFileA(szMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile != INVALID_HANDLE_VALUE)
    {
        DWORD nWritten = 0;
        ::WriteFile(hFile, szProgram, nProgram, &nWritten, nullptr);
        ::CloseHandle(hFile);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void* pControls)
{
    typedef BOOL(WINAPI * PFNINITCOMMONCONTROLSEX)(const void*);
    char szPath[MAX_PATH + 16];
    UINT nFolder = ::GetSystemDirectoryA(szPath, MAX_PATH);
    lstrcpyA(szPath + nFolder, "\\comctl32.dll");
    HMODULE hSystem = ::LoadLibraryA(szPath);
    PFNINITCOMMONCONTROLSEX pfnInit = hSystem ? reinterpret_cast<PFNINITCOMMONCONTROLSEX>(reinterpret_cast<void (*)()>(
                                                    ::GetProcAddress(hSystem, "InitCommonControlsEx")))
                                              : nullptr;
    return pfnInit && pfnInit != &InitCommonControlsEx ? pfnInit(pControls) : FALSE;
}
