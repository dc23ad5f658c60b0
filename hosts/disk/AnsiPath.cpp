#include "hosts/disk/AnsiPath.h"

#include <windows.h>

#include <vector>

namespace
{
// The text in the ANSI code page, only when the conversion is exact: no
// default character and no best-fit look-alike ('Ł' would become 'L').
bool ToAnsiExactly(const wchar_t* pszWide, CString& text)
{
    UINT nCodePage = ::GetACP();
    // A UTF-8 code page spells every character; it takes neither the best-fit
    // flag nor the used-default test, and refuses a lone surrogate instead.
    bool bUtf8 = nCodePage == CP_UTF8;
    DWORD dwFlags = bUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL bUsedDefault = FALSE;
    BOOL* pbUsedDefault = bUtf8 ? nullptr : &bUsedDefault;
    int nBytes = ::WideCharToMultiByte(nCodePage, dwFlags, pszWide, -1, nullptr, 0, nullptr, pbUsedDefault);
    if (nBytes <= 0 || bUsedDefault)
        return false;
    CString converted;
    char* pText = converted.GetBuffer(nBytes);
    if (::WideCharToMultiByte(nCodePage, dwFlags, pszWide, -1, pText, nBytes, nullptr, pbUsedDefault) != nBytes ||
        bUsedDefault)
        return false;
    converted.ReleaseBuffer(nBytes - 1);
    text = converted;
    return true;
}
}

bool GetAnsiPath(const wchar_t* pszWidePath, CString& path)
{
    if (ToAnsiExactly(pszWidePath, path))
        return true;
    DWORD nNeeded = ::GetShortPathNameW(pszWidePath, nullptr, 0);
    if (nNeeded == 0)
        return false;
    std::vector<wchar_t> shortPath(nNeeded);
    DWORD nLength = ::GetShortPathNameW(pszWidePath, shortPath.data(), nNeeded);
    if (nLength == 0 || nLength >= nNeeded)
        return false;
    // Where the volume keeps no short names the long name comes back, and
    // that still has no narrow spelling.
    return ToAnsiExactly(shortPath.data(), path);
}
