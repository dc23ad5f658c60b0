#include "hosts/CommentRules.h"

bool IsCommented(CString text)
{
    text.TrimLeft();
    return !text.IsEmpty() && text[0] == '#';
}

const char* StatusWord(const CString& text)
{
    return IsCommented(text) ? "Commented" : "Active";
}

CString CommentLine(const CString& text)
{
    CString result;
    result.Format("# %s", text.c_str());
    return result;
}

CString UncommentLine(const CString& text)
{
    CString rest = text.Right(text.GetLength() - 1);
    CString result;
    result.Format("%s", rest.c_str());
    result.TrimLeft();
    return result;
}
