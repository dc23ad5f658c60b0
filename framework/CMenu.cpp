#include "framework/CMenu.h"

CString CMenu::GetMenuString(UINT nIDItem, UINT nFlags) const
{
    CString text;
    int nLength = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (nLength > 0)
    {
        ::GetMenuStringA(m_hMenu, nIDItem, text.GetBuffer(nLength), nLength + 1, nFlags);
        text.ReleaseBuffer(nLength);
    }
    return text;
}
