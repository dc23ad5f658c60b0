#include "hosts/disk/WriteBytes.h"

#include "framework/CFile.h"

#include <cstring>
#include <memory>
#include <new>

namespace
{
// Output is gathered into blocks of this size, so that a large file takes a
// few WriteFile calls rather than one per line; a longer piece (a run of
// lines as they were read) is written straight from where it is.
const size_t kBlockSize = 64 * 1024;

class CBlockWriter
{
public:
    CBlockWriter(CFile& file, char* pBlock, CContentHash& hash) : m_file(file), m_pBlock(pBlock), m_hash(hash) {}

    BOOL Add(const char* pch, size_t nLength)
    {
        if (m_nUsed + nLength > kBlockSize && !Flush())
            return FALSE;
        if (nLength >= kBlockSize)
            return Write(pch, nLength);
        std::memcpy(m_pBlock + m_nUsed, pch, nLength);
        m_nUsed += nLength;
        return TRUE;
    }
    BOOL Flush()
    {
        BOOL bWritten = Write(m_pBlock, m_nUsed);
        m_nUsed = 0;
        return bWritten;
    }

private:
    BOOL Write(const char* pch, size_t nLength)
    {
        m_hash.Add(pch, nLength);
        // CFile writes at most 4 GiB at a time; the file held in memory is
        // far shorter.
        return nLength == 0 || m_file.Write(pch, static_cast<UINT>(nLength));
    }

    CFile& m_file;
    char* m_pBlock;
    CContentHash& m_hash;
    size_t m_nUsed = 0;
};

BOOL WritePieces(CFile& file, char* pBlock, const HostsByteSource& source, CContentHash& hash)
{
    CBlockWriter writer(file, pBlock, hash);
    BOOL bWritten = TRUE;
    source([&writer, &bWritten](const char* pch, size_t nLength) {
        bWritten = writer.Add(pch, nLength);
        return bWritten != FALSE;
    });
    return bWritten && writer.Flush();
}

// Writes, ends the file where the pieces end and, with bFlush, flushes it;
// never throws.
BOOL WriteAll(CFile& file, char* pBlock, const HostsByteSource& source, CContentDigest* pWritten, bool bFlush)
{
    CContentHash hash;
    BOOL bWritten = FALSE;
    try
    {
        bWritten = WritePieces(file, pBlock, source, hash);
    }
    catch (const std::bad_alloc&)
    {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    // TRUE promises the bytes are on disk, not only in the system's cache.
    if (!bWritten || !::SetEndOfFile(file.m_hFile) || (bFlush && !file.Flush()))
        return FALSE;
    if (pWritten)
        *pWritten = hash.Digest();
    return TRUE;
}

std::unique_ptr<char[]> NewBlock()
{
    std::unique_ptr<char[]> pBlock(new (std::nothrow) char[kBlockSize]);
    if (!pBlock)
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return pBlock;
}
}

BOOL WriteHostsLines(const char* pszPath, const HostsByteSource& source, bool* pOpened, CContentDigest* pWritten)
{
    if (pOpened)
        *pOpened = false;

    // Everything the write needs is had before the file is truncated.
    std::unique_ptr<char[]> pBlock = NewBlock();
    if (!pBlock)
        return FALSE;
    CFile file;
    CFileException error;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite, &error))
        return FALSE;
    if (pOpened)
        *pOpened = true;
    if (!WriteAll(file, pBlock.get(), source, pWritten, true))
        return FALSE;  // CFile's destructor closes and keeps the last error
    file.Close();
    return TRUE;
}

BOOL WriteHostsBytes(HANDLE hFile, const HostsByteSource& source, CContentDigest* pWritten)
{
    std::unique_ptr<char[]> pBlock = NewBlock();
    if (!pBlock)
        return FALSE;
    CFile file(hFile);
    BOOL bWritten = WriteAll(file, pBlock.get(), source, pWritten, false);
    file.m_hFile = INVALID_HANDLE_VALUE;  // the caller's handle
    return bWritten;
}
