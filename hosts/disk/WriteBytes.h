// Writes a file's bytes over a file (the hosts file when saving).
#pragma once

#include "hosts/document/ContentDigest.h"

#include <windows.h>

#include <functional>

// Takes the next piece of the bytes to write; false when it could not be
// written (the source then stops).
using HostsByteSink = std::function<bool(const char* pch, size_t nLength)>;
// Hands every piece of the bytes to write, in order, to the sink.
using HostsByteSource = std::function<void(const HostsByteSink& sink)>;

// Creates or truncates the file at pszPath and writes the pieces that the
// source hands out, exactly as they are. An empty source gives a zero-byte
// file.
//
// TRUE when every piece was written and is on disk (flushed); pWritten then
// gets the digest of the bytes written. FALSE when the file could not be
// opened (*pOpened false; for example error 5 with no right to write, 32
// when another program holds it open) or when writing or flushing failed
// after the open (*pOpened true; for example error 112 on a full disk, 8 when
// the source ran out of memory). After FALSE, GetLastError() tells why. The
// file is closed before returning, and no exception leaves once it is open.
BOOL WriteHostsLines(const char* pszPath, const HostsByteSource& source, bool* pOpened = nullptr,
                     CContentDigest* pWritten = nullptr);

// The same on a file already open for writing (hFile, which stays open):
// the pieces go from its current position and the file then ends there. Not
// flushed: the caller flushes when it chooses. TRUE, with pWritten, or FALSE
// with GetLastError() (8 when there is no memory, in which case nothing was
// written).
BOOL WriteHostsBytes(HANDLE hFile, const HostsByteSource& source, CContentDigest* pWritten = nullptr);
