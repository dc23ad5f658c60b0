// A file's size and last-write time: a cheap look at whether a file may have
// changed since it was read, before reading it all for its digest.
#pragma once

#include <cstdint>

struct CFileStamp
{
    bool bRead = false;  // false: the file could not be looked at
    uint64_t nSize = 0;
    uint64_t nWriteTime = 0;

    // Equal stamps that were both read: the file is, as far as its stamp
    // tells, the same. A stamp that could not be read equals nothing.
    friend bool operator==(const CFileStamp& a, const CFileStamp& b)
    {
        return a.bRead && b.bRead && a.nSize == b.nSize && a.nWriteTime == b.nWriteTime;
    }
    friend bool operator!=(const CFileStamp& a, const CFileStamp& b) { return !(a == b); }
};

// The stamp of the file at pszPath now (bRead false when there is none).
CFileStamp ReadFileStamp(const char* pszPath);

