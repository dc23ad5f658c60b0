// Holds a file open from a process of its own, as another program (an
// editor, a virus scanner) would, until the test lets go:
//
//   file_holder.exe SHARE PATH READY-EVENT RELEASE-EVENT
//
// SHARE is "read" (others may read the file but not write it) or "none"
// (others may not open it at all). Opens PATH for reading with that sharing,
// sets the named event READY-EVENT, waits for the named event RELEASE-EVENT
// (a minute at most, so that a failed test cannot leave it behind), closes
// the file and exits with 0. Exits with 2 when the file cannot be opened and
// 3 when the command line or the events are wrong.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 3;
    DWORD dwShare = 0;
    if (std::strcmp(argv[1], "read") == 0)
        dwShare = FILE_SHARE_READ;
    else if (std::strcmp(argv[1], "none") != 0)
        return 3;

    HANDLE hReady = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    HANDLE hRelease = ::OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (!hReady || !hRelease)
        return 3;

    HANDLE hFile = ::CreateFileA(argv[2], GENERIC_READ, dwShare, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 2;
    ::SetEvent(hReady);
    ::WaitForSingleObject(hRelease, 60000);
    ::CloseHandle(hFile);
    ::CloseHandle(hRelease);
    ::CloseHandle(hReady);
    return 0;
}
