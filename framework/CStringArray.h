// Ordered array of strings.
#pragma once

#include "framework/CString.h"

#include <vector>

class CStringArray
{
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    int Add(const CString& s)
    {
        m_items.push_back(s);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }
    const CString& GetAt(int nIndex) const { return m_items[static_cast<size_t>(nIndex)]; }
    void SetAt(int nIndex, const CString& s) { m_items[static_cast<size_t>(nIndex)] = s; }
    const CString& operator[](int nIndex) const { return GetAt(nIndex); }

private:
    std::vector<CString> m_items;
};
