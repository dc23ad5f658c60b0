#include "hosts/disk/BackupName.h"

#include <cstring>

CString MakeFileNameSafe(CString dateTimeText)
{
    dateTimeText.Remove('|');
    int nLength = dateTimeText.GetLength();
    char* p = dateTimeText.GetBuffer(nLength);
    for (int n = 0; n < nLength; ++n)
    {
        // The second byte of a double-byte character may be '\\' (0x5C) and
        // is no character of its own.
        if (IsAnsiLeadByte(p[n]) && p[n + 1] != '\0')
        {
            ++n;
            continue;
        }
        unsigned char ch = static_cast<unsigned char>(p[n]);
        if (ch < 0x20 || std::strchr("/\\:*<>?\"", ch))
            p[n] = ' ';
    }
    dateTimeText.ReleaseBuffer(nLength);
    return dateTimeText;
}
