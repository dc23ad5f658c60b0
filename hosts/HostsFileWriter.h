// Writes line texts over a file (the hosts file when saving).
#pragma once

#include "hosts/ContentDigest.h"
#include "hosts/HostsLineWriter.h"

#include <windows.h>

#include <functional>

// Hands out the next line text (*ppch, *pnLength bytes) and returns true,
// or returns false when there are no more.
using HostsLineSource = std::function<bool(const char** ppch, size_t* pnLength)>;

// Creates or truncates the file at pszPath and writes each text that nextLine
// hands out, followed by CR LF, until nextLine returns false. An empty source
// gives a zero-byte file.
//
// TRUE when every line was written and is on disk (flushed); pWritten then
// gets the digest of the bytes written. FALSE when the file could not be
// opened (*pOpened false; for example error 5 with no right to write, 32
// when another program holds it open) or when writing or flushing failed
// after the open (*pOpened true; for example error 112 on a full disk, 8 when
// the source ran out of memory). After FALSE, GetLastError() tells why. The
// file is closed before returning, and no exception leaves once it is open.
BOOL WriteHostsLines(const char* pszPath, const HostsLineSource& nextLine, bool* pOpened = nullptr,
                     CContentDigest* pWritten = nullptr);

// Puts what the system still holds in its cache for an existing file on disk,
// without changing the file. FALSE with GetLastError() when the file cannot
// be opened for writing (a read-only file gives error 5) or the flush fails.
BOOL FlushFileToDisk(const char* pszPath);
