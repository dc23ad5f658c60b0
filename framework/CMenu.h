// A menu handle the window owns; this wrapper never destroys it.
#pragma once

#include <windows.h>

class CMenu
{
public:
    explicit CMenu(HMENU hMenu = nullptr) : m_hMenu(hMenu) {}

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* pszNewItem = nullptr)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, pszNewItem);
    }

    HMENU m_hMenu;
};
