// Writes line texts over a file (the hosts file when saving).
#pragma once

#include "hosts/HostsLineWriter.h"

#include <windows.h>

#include <functional>

// Creates or truncates the file at pszPath and writes each text that nextLine
// hands out, followed by CR LF, until nextLine returns false. An empty source
// gives a zero-byte file.
//
// TRUE when every line was written and is on disk (flushed). FALSE when the
// file could not be opened (*pOpened false; for example error 5 with no right
// to write, 32 when another program holds it open) or when writing or
// flushing failed after the open (*pOpened true; for example error 112 on a
// full disk). After FALSE, GetLastError() tells why. The file is closed
// before returning.
BOOL WriteHostsLines(const char* pszPath, const std::function<bool(CString&)>& nextLine,
                     bool* pOpened = nullptr);

// Puts what the system still holds in its cache for an existing file on disk,
// without changing the file. FALSE with GetLastError() when the file cannot
// be opened for writing (a read-only file gives error 5) or the flush fails.
BOOL FlushFileToDisk(const char* pszPath);
