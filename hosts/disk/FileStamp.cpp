#include "hosts/disk/FileStamp.h"

#include <windows.h>

CFileStamp ReadFileStamp(const char* pszPath)
{
    CFileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data))
        return stamp;
    stamp.bRead = true;
    stamp.nSize = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp.nWriteTime =
        static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}
