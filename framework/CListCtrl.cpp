#include "framework/CListCtrl.h"

#include "framework/Dpi.h"
#include "framework/WideText.h"

#include <cstring>

int CListCtrl::InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = nFormat;
    column.cx = nWidth;
    column.pszText = const_cast<char*>(pszHeading);
    column.iSubItem = nCol;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

void CListCtrl::RescaleColumns(UINT nOldDpi, UINT nNewDpi)
{
    HWND hHeader = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    int nColumns = hHeader ? static_cast<int>(::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int nCol = 0; nCol < nColumns; ++nCol)
        SetColumnWidth(nCol, AfxRescaleForDpi(GetColumnWidth(nCol), nOldDpi, nNewDpi));
}

int CListCtrl::InsertItem(int nItem, const char* pszText)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(pszText);
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* pszText)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(pszText);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item = {};
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

void CListCtrl::SetAllSelected(bool bSelected)
{
    CBulkStates bulk(*this);
    SetItemState(-1, bSelected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

CListCtrl::CBulkStates::CBulkStates(CListCtrl& list) : m_list(list), m_dwExStyle(list.GetExtendedStyle())
{
    m_list.SetRedraw(FALSE);
    if (m_dwExStyle & LVS_EX_FULLROWSELECT)
        m_list.SetExtendedStyle(m_dwExStyle & ~LVS_EX_FULLROWSELECT);
}

CListCtrl::CBulkStates::~CBulkStates()
{
    if (m_dwExStyle & LVS_EX_FULLROWSELECT)
        m_list.SetExtendedStyle(m_dwExStyle);
    m_list.SetRedraw(TRUE);
    m_list.Invalidate(FALSE);
}

void CListCtrl::SelectOnly(int nItem)
{
    SetAllSelected(false);
    SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    // Shift with a click or an arrow key extends the selection from here.
    SendMessage(LVM_SETSELECTIONMARK, 0, nItem);
    EnsureVisible(nItem, FALSE);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The control copies at most the buffer's size; grow until the text fits.
    CString text;
    for (int nSize = 256;; nSize *= 2)
    {
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.cchTextMax = nSize;
        item.pszText = text.GetBuffer(nSize);
        int nLength = static_cast<int>(
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        if (nLength < nSize - 1 || nSize >= (1 << 24))
        {
            text.ReleaseBuffer(nLength);
            return text;
        }
    }
}

void CListCtrl::SetDispInfoText(NMHDR* pNMHDR, const char* pchHead, size_t nHead, const char* pch, size_t nLength,
                                UINT nCodePage)
{
    // The A and W items differ only in the type of the text they point to.
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    size_t nMax = static_cast<size_t>(item.cchTextMax) - 1;
    if (nHead > nMax)
        nHead = nMax;
    if (nLength > nMax - nHead)
    {
        nLength = nMax - nHead;
        // A UTF-8 text is cut before a character, not inside one.
        if (nCodePage == CP_UTF8)
            while (nLength > 0 && (static_cast<unsigned char>(pch[nLength]) & 0xC0) == 0x80)
                --nLength;
    }
    if (pNMHDR->code == LVN_GETDISPINFOW)
    {
        // At most one UTF-16 unit per byte in every ANSI code page and in
        // UTF-8, so the conversion of nMax bytes fits.
        wchar_t* pszText = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR)->item.pszText;
        int nWritten = 0;
        if (nHead)
            nWritten = ::MultiByteToWideChar(nCodePage, 0, pchHead, static_cast<int>(nHead), pszText,
                                             static_cast<int>(nMax));
        if (nLength)
            nWritten += ::MultiByteToWideChar(nCodePage, 0, pch, static_cast<int>(nLength), pszText + nWritten,
                                              static_cast<int>(nMax) - nWritten);
        pszText[nWritten] = L'\0';
        return;
    }
    if (nCodePage != CP_ACP)
    {
        // Asked in the ANSI form for a text in another code page: what the
        // ANSI code page can spell of it.
        CString text = FromWide(ToWide(pchHead, static_cast<int>(nHead), nCodePage).data(), -1, CP_ACP) +
                       FromWide(ToWide(pch, static_cast<int>(nLength), nCodePage).data(), -1, CP_ACP);
        size_t nText = static_cast<size_t>(text.GetLength());
        if (nText > nMax)
            nText = nMax;
        std::memcpy(item.pszText, text.c_str(), nText);
        item.pszText[nText] = '\0';
        return;
    }
    std::memcpy(item.pszText, pchHead, nHead);
    std::memcpy(item.pszText + nHead, pch, nLength);
    item.pszText[nHead + nLength] = '\0';
}

CListCtrl::FindRequest CListCtrl::GetFindRequest(const NMHDR* pNMHDR)
{
    const NMLVFINDITEMA* pFind = reinterpret_cast<const NMLVFINDITEMA*>(pNMHDR);
    FindRequest request = {nullptr, nullptr, pFind->lvfi.flags, pFind->iStart};
    if (pNMHDR->code == LVN_ODFINDITEMW)
        request.pszTextW = reinterpret_cast<const NMLVFINDITEMW*>(pNMHDR)->lvfi.psz;
    else
        request.pszText = pFind->lvfi.psz;
    return request;
}

BOOL CListCtrl::RecreateAsOwnerData()
{
    HWND hOld = m_hWnd;
    HWND hParent = ::GetParent(hOld);
    RECT rc;
    ::GetWindowRect(hOld, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    DWORD dwStyle = static_cast<DWORD>(::GetWindowLongPtrA(hOld, GWL_STYLE)) | LVS_OWNERDATA;
    DWORD dwExStyle = static_cast<DWORD>(::GetWindowLongPtrA(hOld, GWL_EXSTYLE));
    int nID = ::GetDlgCtrlID(hOld);
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageA(hOld, WM_GETFONT, 0, 0));
    HWND hNew = ::CreateWindowExA(dwExStyle, WC_LISTVIEWA, "", dwStyle, rc.left, rc.top, rc.right - rc.left,
                                  rc.bottom - rc.top, hParent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nID)),
                                  reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hParent, GWLP_HINSTANCE)),
                                  nullptr);
    if (!hNew)
        return FALSE;
    // Same place in the tab and drawing order as the control it replaces.
    ::SetWindowPos(hNew, hOld, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SendMessageA(hNew, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
    ::DestroyWindow(hOld);
    m_hWnd = hNew;
    return TRUE;
}
