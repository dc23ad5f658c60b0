#include "framework/WideText.h"

std::vector<wchar_t> ToWide(const char* pch, int nLength, UINT nCodePage)
{
    std::vector<wchar_t> wide(1, L'\0');
    if (nLength < 0)
        nLength = lstrlenA(pch);
    if (nLength == 0)
        return wide;
    int nWide = ::MultiByteToWideChar(nCodePage, 0, pch, nLength, nullptr, 0);
    if (nWide <= 0)
        return wide;
    wide.resize(static_cast<size_t>(nWide) + 1);
    ::MultiByteToWideChar(nCodePage, 0, pch, nLength, wide.data(), nWide);
    wide[static_cast<size_t>(nWide)] = L'\0';
    return wide;
}

CString FromWide(const wchar_t* pwch, int nLength, UINT nCodePage, bool* pbLost)
{
    if (pbLost)
        *pbLost = false;
    if (nLength < 0)
        nLength = static_cast<int>(wcslen(pwch));
    if (nLength == 0)
        return CString();
    // UTF-8 takes neither flags nor a default character.
    const bool bUtf8 = nCodePage == CP_UTF8;
    const DWORD dwFlags = bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL bUsedDefault = FALSE;
    BOOL* pbUsedDefault = bUtf8 ? nullptr : &bUsedDefault;
    int nBytes = ::WideCharToMultiByte(nCodePage, dwFlags, pwch, nLength, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return CString();
    CString text;
    nBytes = ::WideCharToMultiByte(nCodePage, dwFlags, pwch, nLength, text.GetBuffer(nBytes), nBytes, nullptr,
                                   pbUsedDefault);
    text.ReleaseBuffer(nBytes > 0 ? nBytes : 0);
    if (pbLost)
        *pbLost = bUsedDefault != FALSE;
    return text;
}

CString GetWindowTextIn(HWND hWnd, UINT nCodePage, bool* pbLost)
{
    if (pbLost)
        *pbLost = false;
    int nLength = ::GetWindowTextLengthW(hWnd);
    if (nLength <= 0)
        return CString();
    std::vector<wchar_t> wide(static_cast<size_t>(nLength) + 1);
    int nCopied = ::GetWindowTextW(hWnd, wide.data(), nLength + 1);
    return FromWide(wide.data(), nCopied, nCodePage, pbLost);
}

BOOL SetWindowTextIn(HWND hWnd, const char* psz, UINT nCodePage)
{
    return ::SetWindowTextW(hWnd, ToWide(psz, -1, nCodePage).data());
}
