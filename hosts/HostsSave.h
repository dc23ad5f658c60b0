// The write at the heart of a save: the backup copy just made goes to disk,
// then the rows go over the hosts file; should that fail once the file has
// been opened, the backup is put back, so that a failed save never leaves a
// truncated hosts file. The window asks its questions before and chooses its
// messages after; this piece shows nothing.
#pragma once

#include "hosts/ContentDigest.h"
#include "hosts/HostsFileWriter.h"

#include <windows.h>

struct CSaveResult
{
    bool bSaved = false;
    DWORD dwError = 0;            // why the write failed
    bool bPutBackFailed = false;  // the hosts file may be incomplete...
    DWORD dwPutBackError = 0;     // ...and this is why
    CContentDigest written;       // what the hosts file holds after a save
};

// Never throws. Both paths are the caller's, taken before anything is
// written; the error codes are those GetLastError() gave.
CSaveResult SaveHostsFile(const char* pszHostsPath, const char* pszBackupPath, const HostsByteSource& source);
