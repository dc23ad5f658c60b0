// A report-view list control (SysListView32) bound to a dialog's control.
#pragma once

#include "framework/CWnd.h"

#include <commctrl.h>

#include <cstddef>
#include <functional>

class CListCtrl : public CWnd
{
public:
    DWORD SetExtendedStyle(DWORD dwExStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwExStyle));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int GetSelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetNextItem(int nItem, int nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
    }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK)
    {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK));
    }
    // For a list that asks its parent for cell texts (LVS_OWNERDATA).
    BOOL SetItemCountEx(int nItems, DWORD dwFlags)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(nItems), dwFlags));
    }
    BOOL RedrawItems(int nFirst, int nLast)
    {
        return static_cast<BOOL>(SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(nFirst), nLast));
    }
    void SetRedraw(BOOL bRedraw) { SendMessage(WM_SETREDRAW, bRedraw); }
    // nItem -1: every row.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
    }

    // Gives the list nItems rows and no selection, the first visible row
    // staying where it was. Wine deselects an owner-data list's rows one by
    // one, each searching its selection's ranges, which takes seconds for a
    // selection of many runs; emptying the list drops them at once.
    void ResetItems(int nItems);
    // Selects (or deselects) every row at once; the focused row stays. The
    // list's redraw is off meanwhile: Wine's list repaints row by row
    // otherwise, which takes minutes for a million rows.
    void SetAllSelected(bool bSelected);
    // The row becomes the only selected row and the focused one, scrolled
    // into view.
    void SelectOnly(int nItem);
    // Exactly the rows from nFirst up to nEnd that isWanted says become the
    // selection; nFocus becomes the focused row (selected or not) and the
    // selection mark, scrolled into view. isWanted is asked only about rows
    // of that span, each a few times, in ascending and in descending order.
    // The states change in bulk (CBulkStates), in the cheaper of two ways
    // for the wanted rows at hand; with most rows wanted it costs about what
    // "Select All" does.
    void SelectOnlyRows(int nFirst, int nEnd, const std::function<bool(int)>& isWanted, int nFocus);

    // While it lives, the list changes many rows' states quickly: its redraw
    // is off, and so is full-row select, for which Wine's list asks its header
    // where the first column is for every row it sets a state on (that
    // message is more than half of what selecting a million rows costs). At
    // the end both come back and the whole list is redrawn.
    class CBulkStates
    {
    public:
        explicit CBulkStates(CListCtrl& list);
        ~CBulkStates();
        CBulkStates(const CBulkStates&) = delete;
        CBulkStates& operator=(const CBulkStates&) = delete;

    private:
        CListCtrl& m_list;
        DWORD m_dwExStyle;
    };

    int InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth);
    int GetColumnWidth(int nCol) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol))); }
    BOOL SetColumnWidth(int nCol, int nWidth)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(nWidth, 0)));
    }
    // Every column's width, as it is now (the user may have dragged it),
    // taken from one DPI to another.
    void RescaleColumns(UINT nOldDpi, UINT nNewDpi);
    int InsertItem(int nItem, const char* pszText);
    BOOL SetItemText(int nItem, int nSubItem, const char* pszText);
    CString GetItemText(int nItem, int nSubItem) const;

    // Notifications in their Unicode form (LVN_GETDISPINFOW and the like),
    // whatever form the parent window has.
    BOOL SetUnicodeFormat(BOOL bUnicode) { return static_cast<BOOL>(SendMessage(CCM_SETUNICODEFORMAT, bUnicode)); }

    // The cell whose text a list that asks its parent for cells wants
    // (LVN_GETDISPINFOA or W), for the handler to answer with a number or a
    // text. It is a cell (true) when the list wants a text for a row below
    // nRows; the text is empty until the handler answers. The notification's
    // result is set: the list reads none.
    class CDispCell
    {
    public:
        CDispCell(NMHDR* pNMHDR, LRESULT* pResult, size_t nRows);
        explicit operator bool() const { return m_bWanted; }

        int nRow;
        int nColumn;

        void SetNumber(int nNumber) const;
        // A nul-terminated text in nCodePage (the ANSI code page or UTF-8).
        void SetString(const char* psz, UINT nCodePage = CP_ACP) const;
        // nLength bytes in nCodePage, cut to the control's buffer.
        void SetText(const char* pch, size_t nLength, UINT nCodePage = CP_ACP) const
        {
            SetText("", 0, pch, nLength, nCodePage);
        }
        // A text in two pieces, nHead bytes then nLength; the head is whole
        // characters.
        void SetText(const char* pchHead, size_t nHead, const char* pch, size_t nLength, UINT nCodePage) const;

    private:
        NMHDR* m_pNMHDR;
        bool m_bWanted;
    };

    // What an LVN_ODFINDITEMA or W notification looks for: its text in the
    // form it came in (the other pointer null), its flags and start row.
    struct FindRequest
    {
        const char* pszText;
        const wchar_t* pszTextW;
        UINT nFlags;
        int nStart;
    };
    static FindRequest GetFindRequest(const NMHDR* pNMHDR);

    // Replaces the control with one of the same place, id and styles that asks
    // its parent for its cells (LVS_OWNERDATA), which the template cannot say
    // without changing how the dialog is described.
    BOOL RecreateAsOwnerData();
};
