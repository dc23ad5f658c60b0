// Stands in for an editor, browser or mail program in the tests: appends the
// command line it was started with to C:\tarnwick-shell.log and exits.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE hFile = ::CreateFileA("C:\\tarnwick-shell.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 1;
    const char* pszLine = ::GetCommandLineA();
    DWORD nWritten = 0;
    ::WriteFile(hFile, pszLine, static_cast<DWORD>(lstrlenA(pszLine)), &nWritten, nullptr);
    ::WriteFile(hFile, "\n", 1, &nWritten, nullptr);
    ::CloseHandle(hFile);
    return 0;
}
