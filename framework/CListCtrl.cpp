#include "framework/CListCtrl.h"

#include "framework/Dpi.h"
#include "framework/WideText.h"

#include <cstdio>
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

void CListCtrl::ResetItems(int nItems)
{
    const int nTop = static_cast<int>(SendMessage(LVM_GETTOPINDEX));
    const int nPerPage = static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE));
    DeleteAllItems();
    SetItemCountEx(nItems, LVSICF_NOSCROLL);
    // Scrolled down from the top until the row that was last in view is.
    if (nTop > 0 && nItems > 0)
        EnsureVisible(nTop + nPerPage - 1 < nItems ? nTop + nPerPage - 1 : nItems - 1, FALSE);
}

void CListCtrl::SelectOnly(int nItem)
{
    SelectOnlyRows(nItem, nItem + 1, [](int) { return true; }, nItem);
}

namespace
{
// What a row's state change costs in Wine's list, notifications to the
// parent included, measured in what its selection's ranges cost: in that time
// it compares about a thousand ranges, or moves about eight thousand of them
// in the array that holds them.
const double kRangesComparedPerRow = 1000;
const double kRangesMovedPerRow = 8000;
// A selection of this many rows or fewer is cleared row by row.
const int kFewSelected = 16;
}

void CListCtrl::SelectOnlyRows(int nFirst, int nEnd, const std::function<bool(int)>& isWanted, int nFocus)
{
    // Wine keeps an owner-data list's selection as a sorted array of ranges.
    // Selecting a row that starts a range after the last one costs little,
    // but one that extends a range compares every range in the array.
    // Deselecting a row searches the array from its start for the range
    // holding it, and a row inside a range splits it, inserting a range in
    // front of it. So there are two cheap ways:
    // (a) clear the selection and select the wanted rows in ascending order,
    //     each extending row comparing the ranges made so far;
    // (b) select every row and take out the others, run by run from the last
    //     run back to the first and each run's rows in ascending order: the
    //     range to split or shorten is then always at the front, and each
    //     split moves the ranges after it.
    // Counting the wanted rows and their runs first tells which costs less.
    // On Windows the order changes nothing.
    const int nRows = GetItemCount();
    if (nFirst < 0)
        nFirst = 0;
    if (nEnd > nRows)
        nEnd = nRows;
    long long nWanted = 0;
    long long nRuns = 0;
    double dCompared = 0;  // by (a): each extending row, every run before it and its own
    int nLastWanted = -2;
    for (int nRow = nFirst; nRow < nEnd; ++nRow)
    {
        if (!isWanted(nRow))
            continue;
        ++nWanted;
        if (nRow == nLastWanted + 1)
            dCompared += static_cast<double>(nRuns);
        else
            ++nRuns;
        nLastWanted = nRow;
    }
    // By (b), every run of other rows splits a range but one at the list's
    // start; the j-th split moves j ranges.
    const double dSplits = nRuns == 0 ? 0 : static_cast<double>(nRuns - 1 + (nLastWanted < nRows - 1 ? 1 : 0));
    const bool bOneByOne = static_cast<double>(nWanted) + dCompared / kRangesComparedPerRow <=
                           static_cast<double>(nRows - nWanted) + dSplits * (dSplits + 1) / 2 / kRangesMovedPerRow;
    {
        CBulkStates bulk(*this);
        // Every row selected already (an Undo after Select All, say): only
        // the others are taken out. Wine's list sets the state of each of its
        // rows for -1, a million of them in 0.4 s: a few selected rows are
        // taken out one by one instead.
        const int nSelected = GetSelectedCount();
        if (bOneByOne && nSelected > 0 && nSelected <= kFewSelected)
        {
            for (int nRow = GetNextItem(-1, LVNI_SELECTED); nRow >= 0; nRow = GetNextItem(nRow, LVNI_SELECTED))
                SetItemState(nRow, 0, LVIS_SELECTED);
        }
        else if (bOneByOne ? nSelected > 0 : nSelected != nRows)
        {
            SetItemState(-1, bOneByOne ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        }
        if (bOneByOne)
        {
            for (int nRow = nFirst; nRow < nEnd; ++nRow)
                if (isWanted(nRow))
                    SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
        }
        else
        {
            auto wanted = [&](int nRow) { return nRow >= nFirst && nRow < nEnd && isWanted(nRow); };
            for (int nRow = nRows - 1; nRow >= 0;)
            {
                while (nRow >= 0 && wanted(nRow))
                    --nRow;
                const int nRunLast = nRow;
                while (nRow >= 0 && !wanted(nRow))
                    --nRow;
                for (int n = nRow + 1; n <= nRunLast; ++n)
                    SetItemState(n, 0, LVIS_SELECTED);
            }
        }
        SetItemState(nFocus, LVIS_FOCUSED, LVIS_FOCUSED);
        // Shift with a click or an arrow key extends the selection from here.
        SendMessage(LVM_SETSELECTIONMARK, 0, nFocus);
    }
    EnsureVisible(nFocus, FALSE);
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

CListCtrl::CDispCell::CDispCell(NMHDR* pNMHDR, LRESULT* pResult, size_t nRows) : m_pNMHDR(pNMHDR)
{
    *pResult = 0;
    // The A and W items differ only in the type of the text they point to.
    const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    nRow = item.iItem;
    nColumn = item.iSubItem;
    m_bWanted = (item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
                static_cast<size_t>(item.iItem) < nRows;
    // A column the handler does not answer shows empty.
    SetText("", 0);
}

void CListCtrl::CDispCell::SetNumber(int nNumber) const
{
    char szNumber[12];
    int nLength = std::snprintf(szNumber, sizeof(szNumber), "%d", nNumber);
    SetText(szNumber, static_cast<size_t>(nLength));
}

void CListCtrl::CDispCell::SetString(const char* psz, UINT nCodePage) const
{
    SetText(psz, std::strlen(psz), nCodePage);
}

void CListCtrl::CDispCell::SetText(const char* pchHead, size_t nHead, const char* pch, size_t nLength,
                                   UINT nCodePage) const
{
    if (!m_bWanted)
        return;
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(m_pNMHDR)->item;
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
    if (m_pNMHDR->code == LVN_GETDISPINFOW)
    {
        // At most one UTF-16 unit per byte in every ANSI code page and in
        // UTF-8, so the conversion of nMax bytes fits.
        wchar_t* pszText = reinterpret_cast<NMLVDISPINFOW*>(m_pNMHDR)->item.pszText;
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
