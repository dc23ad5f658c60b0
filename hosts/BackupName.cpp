#include "hosts/BackupName.h"

CString MakeFileNameSafe(CString dateTimeText)
{
    for (const char* p = "/\\:*<>"; *p; ++p)
        dateTimeText.Replace(*p, ' ');
    dateTimeText.Remove('|');
    return dateTimeText;
}
