#include "hosts/lines/CommentRules.h"

bool IsCommented(CString text)
{
    return IsCommented(text.c_str(), static_cast<size_t>(text.GetLength()));
}

bool IsCommented(const char* pch, size_t nLength)
{
    size_t n = 0;
    while (n < nLength && IsCWhiteSpace(pch[n]))
        ++n;
    return n < nLength && pch[n] == '#';
}

const char* StatusWordFor(bool bCommented)
{
    return bCommented ? "Commented" : "Active";
}

CString CommentLine(const CString& text)
{
    CString result(kCommentMark);
    result += text;
    return result;
}

size_t UncommentedStart(const char* pch, size_t nLength)
{
    if (nLength == 0)
        return 0;
    size_t n = 1;
    while (n < nLength && IsCWhiteSpace(pch[n]))
        ++n;
    return n;
}

CString UncommentLine(const CString& text)
{
    size_t nStart = UncommentedStart(text.c_str(), static_cast<size_t>(text.GetLength()));
    return text.Mid(static_cast<int>(nStart));
}
