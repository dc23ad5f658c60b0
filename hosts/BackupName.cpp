#include "hosts/BackupName.h"

#include <cstring>

CString MakeFileNameSafe(CString dateTimeText)
{
    dateTimeText.Remove('|');
    int nLength = dateTimeText.GetLength();
    char* p = dateTimeText.GetBuffer(nLength);
    for (int n = 0; n < nLength; ++n)
    {
        unsigned char ch = static_cast<unsigned char>(p[n]);
        if (ch < 0x20 || std::strchr("/\\:*<>?\"", ch))
            p[n] = ' ';
    }
    dateTimeText.ReleaseBuffer(nLength);
    return dateTimeText;
}
