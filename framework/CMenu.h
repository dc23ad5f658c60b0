// A menu handle the window owns; this wrapper never destroys it.
#pragma once

#include "framework/CString.h"

#include <windows.h>

class CMenu
{
public:
    explicit CMenu(HMENU hMenu = nullptr) : m_hMenu(hMenu) {}

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* pszNewItem = nullptr)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, pszNewItem);
    }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    CString GetMenuString(UINT nIDItem, UINT nFlags) const;

    HMENU m_hMenu;
};
