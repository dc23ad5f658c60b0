// A copy made by an elevated program in a folder that every program of the
// user can write (the backup folder), without following a link that one of
// them may have put there: a junction in place of the folder, or a link, a
// file or a hard link under the copy's name, whose name is predictable.
#pragma once

#include "hosts/disk/WriteBytes.h"

#include <windows.h>

// Copies the file at pszSource to pszTarget in pszFolder. The folder must be
// a plain folder, not a junction or other reparse point (else
// ERROR_CANT_ACCESS_FILE; a file in its place gives ERROR_PATH_NOT_FOUND); it
// is held so that it cannot be renamed or replaced meanwhile. The copy is
// created new (ERROR_FILE_EXISTS when anything has its name), written,
// flushed to disk and given the source's last-write time and its archive and
// not-content-indexed attributes (an ordinary file: not read-only, hidden or
// system), all through the handle that created it; a copy that fails
// part-way is removed through that handle. FALSE with GetLastError().
BOOL CopyIntoPlainFolder(const char* pszSource, const char* pszFolder, const char* pszTarget);

// The same for the bytes that source hands out instead of a file's: written
// to a new pszTarget in the plain folder pszFolder and flushed to disk, an
// ordinary file; removed through its handle when that fails part-way.
BOOL WriteIntoPlainFolder(const char* pszFolder, const char* pszTarget, const HostsByteSource& source);
