// The write at the heart of a save. The new bytes go to a new file in the
// hosts file's own folder, go to disk, get the hosts file's read-only, hidden
// and system attributes, its creation time and the archive attribute, and
// then take the hosts file's place in one rename that replaces it
// (MoveFileEx), so that the hosts file holds its old bytes or its new bytes,
// whole, whatever happens meanwhile. A read-only file cannot be replaced so,
// and lifting the attribute would leave it off after a kill: it is first
// renamed aside to a name of ours, with its attributes, and the new file
// takes its name. Between those two renames there is no hosts file:
// RecoverHostsFile puts the old one back after a kill, and every save and
// every start calls it first.
//
// Just before the replace the hosts file is read once more: when it no longer
// holds what the user agreed to replace, nothing is replaced and the caller
// is told. Where the replace must not or cannot be used (a file with more
// than one hard link, a symbolic link or other reparse point, a replace that
// fails), the file is written in place instead, and a write that fails puts
// back the bytes it held just before, from memory. Afterwards the file is
// read back and compared with what was written. The window asks its
// questions before and chooses its messages after; this piece shows nothing.
#pragma once

#include "hosts/disk/WriteBytes.h"
#include "hosts/document/ContentDigest.h"

#include <windows.h>

#include <functional>

struct CSaveResult
{
    bool bSaved = false;            // the new bytes took the hosts file's place
    bool bChangedMeanwhile = false; // nothing written: the file held something else...
    CContentDigest found;           // ...this
    bool bNotHeld = false;          // saved, but read back the file holds other bytes
    DWORD dwError = 0;              // why the save failed
    bool bPutBackFailed = false;    // written in place, the hosts file may be incomplete...
    DWORD dwPutBackError = 0;       // ...and this is why
    CContentDigest written;         // what the save wrote
};

// Saves the bytes of source as the hosts file at pszHostsPath, whose bytes
// must still be those of expected; the caller has made a backup copy, on
// disk, before. The file's read-only, hidden and system attributes are the
// same afterwards, and archive is set (hosts/disk/SavedAttributes.h); after a
// failure all are as they were. Never throws.
CSaveResult SaveHostsFile(const char* pszHostsPath, const HostsByteSource& source, const CContentDigest& expected);

// Where the hosts file is missing and a save of ours renamed it aside (and
// was killed before the new file took its name), renames it back, attributes
// and all. Then removes what killed saves left in the folder, except a file
// that holds the only copy of the hosts file's bytes. Call it before the
// hosts file is first read and at the start of every save.
void RecoverHostsFile(const char* pszHostsPath);

// The steps of a save, for tests that stop it at each of them.
enum class SaveStep
{
    none,
    createNew,     // the new file in the hosts file's folder
    writeNew,      // half of the new bytes written to it
    flushNew,      // all written, before the flush
    check,         // before the hosts file is read once more
    replace,       // before the new file takes the hosts file's place
    moveNew,       // a read-only hosts file renamed aside, before the new file takes its name
    writeInPlace,  // half of the new bytes written over the hosts file itself
    putBack,       // the same, and the old bytes cannot go back over it
    readBack       // after the write, before the file is read back
};

// Test hook: the save stops at step. With bKill it ends there at once, as if
// the process had been killed (nothing after it runs, nothing is cleaned
// up); otherwise the step fails with dwError and the save handles that like
// any failure. afterWrite, when set, runs once the new bytes are in place.
struct CSaveHookForTesting
{
    SaveStep step = SaveStep::none;
    bool bKill = false;
    DWORD dwError = ERROR_WRITE_FAULT;
    std::function<void()> afterWrite;
};
extern CSaveHookForTesting g_saveHookForTesting;

// The names of the files a save makes in the hosts file's folder; a save
// removes those that a killed save left behind.
extern const char kNewFilePattern[];
