// The Edit menu's commands that change rows one by one or take them back:
// Edit Line, Delete Lines, Compact Entries, Undo and Redo. The entry list does the work
// (hosts/document/EntryList.h, its history in hosts/document/RowHistory.h);
// this shows it in the main window's list.
#pragma once

#include "framework/CListCtrl.h"
#include "hosts/document/EntryList.h"

#include <windows.h>

class CEditCommands
{
public:
    CEditCommands(CWnd& window, CListCtrl& list, CEntryList& rows, int& bModified)
        : m_window(window), m_list(list), m_rows(rows), m_bModified(bModified)
    {
    }

    // The focused row when it is selected, else the first selected row, in
    // the Edit Line dialog; nothing without a selected row. nCodePage is
    // the rows' code page.
    void EditLine(UINT nCodePage);
    // Removes every selected row; the row after the last one removed is
    // then the only one selected.
    void DeleteLines();
    // Compacts runs of one address, after asking (ui/CompactEntries.h).
    void CompactEntries();
    void Undo() { TakeBack(true); }
    void Redo() { TakeBack(false); }
    // Greys Undo and Redo in the menu when there is nothing to take back.
    void UpdateMenu(HMENU hMenu) const;

private:
    void TakeBack(bool bUndo);
    // The list shows the rows anew, with no row selected, or (with
    // bKeepEveryRowSelected) every row still selected when it was.
    void ShowRows(bool bKeepEveryRowSelected);
    // The list shows the rows anew, with only the picked rows selected.
    void Show(const std::vector<uint8_t>& picked, int nFocus);
    void ShowOnly(int nRow);

    CWnd& m_window;
    CListCtrl& m_list;
    CEntryList& m_rows;
    int& m_bModified;
};
