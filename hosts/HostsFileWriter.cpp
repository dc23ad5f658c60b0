#include "hosts/HostsFileWriter.h"

#include "framework/CFile.h"

#include <string>

namespace
{
// Output is gathered into blocks of about this size, so that a large file
// takes a few WriteFile calls rather than one per line.
const size_t kBlockSize = 64 * 1024;

BOOL WriteBlock(CFile& file, std::string& block)
{
    // Lines are CString texts (int lengths), so a block stays far below 4 GiB.
    BOOL bWritten = file.Write(block.data(), static_cast<UINT>(block.size()));
    block.clear();
    return bWritten;
}
}

BOOL WriteHostsLines(const char* pszPath, const std::function<bool(CString&)>& nextLine, bool* pOpened)
{
    if (pOpened)
        *pOpened = false;

    CFile file;
    CFileException error;
    if (!file.Open(pszPath, CFile::modeCreate | CFile::modeWrite, &error))
        return FALSE;
    if (pOpened)
        *pOpened = true;

    std::string block;
    block.reserve(kBlockSize + 1024);
    CString text;
    while (nextLine(text))
    {
        AppendHostsLine(block, text);
        if (block.size() >= kBlockSize && !WriteBlock(file, block))
            return FALSE;  // CFile's destructor closes and keeps the last error
    }
    if (!block.empty() && !WriteBlock(file, block))
        return FALSE;
    // TRUE promises the lines are on disk, not only in the system's cache.
    if (!file.Flush())
        return FALSE;

    file.Close();
    return TRUE;
}

BOOL FlushFileToDisk(const char* pszPath)
{
    // Shared with everyone: a reader or scanner that has the file open must
    // not make the flush fail.
    CFile file;
    if (!file.Open(pszPath, CFile::modeWrite | CFile::shareDenyNone))
        return FALSE;
    return file.Flush();
}
