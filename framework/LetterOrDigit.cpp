// The Windows side of LetterOrDigit.h.
#include "framework/LetterOrDigit.h"

#include <windows.h>

bool IsLetterOrDigit(unsigned long nCodePoint)
{
    wchar_t awch[2] = {static_cast<wchar_t>(nCodePoint)};
    int nLength = 1;
    if (nCodePoint > 0xFFFF)
    {
        // A supplementary character is a surrogate pair in UTF-16.
        awch[0] = static_cast<wchar_t>(0xD7C0 + (nCodePoint >> 10));
        awch[1] = static_cast<wchar_t>(0xDC00 | (nCodePoint & 0x3FF));
        nLength = 2;
    }
    WORD awType[2] = {};
    return ::GetStringTypeW(CT_CTYPE1, awch, nLength, awType) && (awType[0] & (C1_ALPHA | C1_DIGIT)) != 0;
}

bool IsAnsiLetterOrDigit(const char* pch, int nLength)
{
    wchar_t wch;
    return ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, pch, nLength, &wch, 1) == 1 && IsLetterOrDigit(wch);
}
