#include "hosts/HostsSave.h"

CSaveResult SaveHostsFile(const char* pszHostsPath, const char* pszBackupPath, const HostsByteSource& source)
{
    CSaveResult result;
    // The copy is the way back should the write fail or the machine stop in
    // the middle of it, so it goes to disk before the hosts file is opened.
    bool bOpened = false;
    if (FlushFileToDisk(pszBackupPath) && WriteHostsLines(pszHostsPath, source, &bOpened, &result.written))
    {
        result.bSaved = true;
        return result;
    }
    result.dwError = ::GetLastError();
    if (bOpened && (!::CopyFileA(pszBackupPath, pszHostsPath, FALSE) || !FlushFileToDisk(pszHostsPath)))
    {
        result.bPutBackFailed = true;
        result.dwPutBackError = ::GetLastError();
    }
    return result;
}
