// Where the hosts file, the data folder and the backup folder are, and the
// backup copy of the hosts file. Every path is worked out afresh on each call.
#pragma once

#include "framework/COleDateTime.h"
#include "framework/CString.h"
#include "hosts/disk/WriteBytes.h"

#include <windows.h>

#include <functional>

class CHostsFiles
{
public:
    virtual ~CHostsFiles();

    // "<system directory>\drivers\etc\hosts".
    void GetHostsFilePath(CString& path);
    // The executable's folder without a trailing backslash; empty when the
    // executable's path holds no backslash.
    void GetModuleFolder(CString& folder);
    // The user's local application-data folder (its short form when its name
    // cannot be spelt in the ANSI code page), or the executable's folder when
    // the shell cannot give it or no narrow text names it.
    void GetDataFolder(CString& folder);
    // "<data folder>\<application title>", created when missing.
    void GetBackupFolder(CString& folder);

    // Copies the hosts file as it is on disk to "<backup folder>\Hosts file
    // backup on <date and time>", never replacing an existing file nor
    // following a link (hosts/disk/BackupCopy.h); the copy is on disk when this
    // returns, and is an ordinary file, not read-only, hidden or system.
    // backupPath is filled either way; after FALSE, GetLastError() tells why
    // (80 when a backup of the same second exists).
    BOOL BackupHostsFile(CString& backupPath);
    // The same with a given moment and locale instead of now and the user's
    // default locale.
    BOOL BackupHostsFile(CString& backupPath, const COleDateTime& when, LCID lcid = LANG_USER_DEFAULT);
    // Writes the bytes that source hands out as a backup, under the name a
    // copy made now gets, in the same way (never replacing a file nor
    // following a link), and puts them on disk. backupPath is filled either
    // way; after FALSE, GetLastError() tells why (80 when a backup of the
    // same second exists), and nothing of the new file is left.
    BOOL BackupContent(CString& backupPath, const HostsByteSource& source);

private:
    // "<backup folder>\Hosts file backup on <date and time>", and the folder.
    void GetBackupPath(CString& backupPath, CString& folder, const COleDateTime& when, LCID lcid);
};

// Runs backup, which makes a backup under the name of this second. When that
// name is taken (a copy this program made a moment ago), waits for the next
// second, whose name is free, and runs it once more. What backup returned,
// with GetLastError() after FALSE.
BOOL BackUpUnderNewName(const std::function<BOOL()>& backup);
