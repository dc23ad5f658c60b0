#include "ui/EditCommands.h"

#include "framework/CWaitCursor.h"
#include "res/resource.h"
#include "ui/CompactEntries.h"
#include "ui/EditLineDlg.h"

#include <vector>

namespace
{
// A selection of this many rows or fewer is taken out row by row.
const int kFewRows = 1000;
}

void CEditCommands::ShowRows(bool bKeepEveryRowSelected)
{
    // Rows in and out leave no old selection worth keeping, and a large one
    // costs more to take out than the list does to start anew; with every
    // row selected (an Undo after Select All), the others may only be taken
    // out.
    const int nSelected = m_list.GetSelectedCount();
    if (m_list.GetItemCount() != m_rows.GetCount() ||
        (nSelected > kFewRows && !(bKeepEveryRowSelected && nSelected == m_rows.GetCount())))
        m_list.ResetItems(m_rows.GetCount());
    m_list.Invalidate(FALSE);
}

void CEditCommands::ShowOnly(int nRow)
{
    ShowRows(false);
    if (nRow < 0)
        return;
    m_list.SelectOnly(nRow);
    m_list.EnsureVisible(nRow, FALSE);
}

void CEditCommands::Show(const std::vector<uint8_t>& picked, int nFocus)
{
    ShowRows(true);
    if (nFocus < 0)
        return;
    int nEnd = static_cast<int>(picked.size());
    while (nEnd > nFocus && !picked[static_cast<size_t>(nEnd) - 1])
        --nEnd;
    m_list.SelectOnlyRows(nFocus, nEnd, [&picked](int nRow) { return picked[static_cast<size_t>(nRow)] != 0; },
                          nFocus);
    m_list.EnsureVisible(nFocus, FALSE);
}

void CEditCommands::EditLine(UINT nCodePage)
{
    int nRow = m_list.GetNextItem(-1, LVNI_FOCUSED);
    if (nRow < 0 || !(m_list.GetItemState(nRow, LVIS_SELECTED) & LVIS_SELECTED))
        nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nRow < 0 || nRow >= m_rows.GetCount())
        return;
    CEditLineDlg dlg;
    dlg.m_nCodePage = nCodePage;
    dlg.m_strLine = m_rows.GetTextString(nRow);
    const CString before = dlg.m_strLine;
    if (dlg.DoModal() != IDOK || dlg.m_strLine == before)
        return;
    m_rows.BeginStep();
    const bool bStored =
        m_rows.SetText(nRow, dlg.m_strLine.c_str(), static_cast<size_t>(dlg.m_strLine.GetLength()));
    m_rows.EndStep();
    if (!bStored)
    {
        m_window.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return;
    }
    m_bModified = 1;
    ShowOnly(nRow);
}

void CEditCommands::DeleteLines()
{
    const int nRows = m_rows.GetCount();
    const int nSelected = m_list.GetSelectedCount();
    if (nSelected <= 0)
        return;
    bool bStored = true;
    std::vector<uint32_t> rows;
    {
        CWaitCursor wait;
        try
        {
            rows.reserve(static_cast<size_t>(nSelected));
            if (nSelected == nRows)
                for (int nRow = 0; nRow < nRows; ++nRow)
                    rows.push_back(static_cast<uint32_t>(nRow));
            else
                for (int nRow = m_list.GetNextItem(-1, LVNI_SELECTED); nRow >= 0 && nRow < nRows;
                     nRow = m_list.GetNextItem(nRow, LVNI_SELECTED))
                    rows.push_back(static_cast<uint32_t>(nRow));
        }
        catch (const std::bad_alloc&)
        {
            bStored = false;
        }
        if (bStored)
        {
            m_rows.BeginStep();
            bStored = m_rows.RemoveRows(rows);
            if (bStored)
                m_rows.EndStep();
            else
                m_rows.CancelStep();
        }
    }
    if (!bStored)
    {
        m_window.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return;
    }
    if (rows.empty())
        return;
    m_bModified = 1;
    // The row after the last one removed, or else the new last row.
    const int nAfter = static_cast<int>(rows.back()) + 1 - static_cast<int>(rows.size());
    ShowOnly(m_rows.GetCount() == 0 ? -1 : std::min(nAfter, m_rows.GetCount() - 1));
}

void CEditCommands::CompactEntries()
{
    m_rows.BeginStep();
    const CCompactResult result = AskAndCompact(m_window, m_rows);
    if (result == CCompactResult::noMemory)
    {
        m_rows.CancelStep();
        return;
    }
    m_rows.EndStep();
    if (result == CCompactResult::compacted)
    {
        m_bModified = 1;
        ShowRows(false);
    }
}

void CEditCommands::TakeBack(bool bUndo)
{
    CRowHistory::Pick pick;
    bool bDone;
    {
        CWaitCursor wait;
        if (!(bUndo ? m_rows.CanUndo() : m_rows.CanRedo()))
            return;
        bDone = bUndo ? m_rows.Undo(pick) : m_rows.Redo(pick);
        if (bDone)
        {
            // Modified exactly while the rows differ from the file's lines.
            m_bModified = m_rows.HasChanges() ? 1 : 0;
            Show(pick.rows, pick.nFocus);
        }
    }
    if (!bDone)
        m_window.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
}

void CEditCommands::UpdateMenu(HMENU hMenu) const
{
    ::EnableMenuItem(hMenu, ID_EDIT_UNDO, MF_BYCOMMAND | (m_rows.CanUndo() ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(hMenu, ID_EDIT_REDO, MF_BYCOMMAND | (m_rows.CanRedo() ? MF_ENABLED : MF_GRAYED));
}
