#include "ui/CheckEntriesDlg.h"

#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "hosts/document/EntryList.h"
#include "hosts/review/EntryFix.h"
#include "res/resource.h"
#include "ui/CompactEntries.h"

#include <new>

namespace
{
const char kNoProblems[] = "No problems found: Windows reads every active entry as written.";
const char kNoMend[] = "None of the selected problems can be fixed here: go to the row and edit it.";
const char kStalling[] =
    "%d active entry lines: Windows' DNS Client is reported to stall name resolution for minutes on hosts files "
    "this long. Edit > Compact Entries puts up to 9 names on a line.";

// Selects exactly the rows with a problem, the focus on the first. Whether a
// row has one is found by a problem index that steps from the last row asked
// about to the next: the list asks about the rows in order, so a pass over
// them all steps through the problems once.
void SelectProblemRows(CListCtrl& list, const CEntryCheck& check)
{
    const size_t nLast = check.GetCount() - 1;
    size_t nAt = 0;
    auto hasProblem = [&check, nLast, nAt](int nRow) mutable {
        while (nAt > 0 && check.GetRow(nAt - 1) >= nRow)
            --nAt;
        while (nAt < nLast && check.GetRow(nAt) < nRow)
            ++nAt;
        // nAt: the first problem on this row or after it, or the last problem.
        return check.GetRow(nAt) == nRow;
    };
    list.SelectOnlyRows(check.GetRow(0), check.GetRow(nLast) + 1, hasProblem, check.GetRow(0));
}
}

BEGIN_MESSAGE_MAP(CCheckEntriesDlg, CDialog)
    ON_COMMAND(IDC_GO_TO_PROBLEM, OnGoTo)
    ON_COMMAND(IDC_SELECT_PROBLEM_ROWS, OnSelectRows)
    ON_COMMAND(IDC_FIX_PROBLEMS, OnFix)
    ON_NOTIFY(NM_DBLCLK, IDC_PROBLEM_LIST, OnDoubleClick)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_PROBLEM_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_PROBLEM_LIST, OnGetDispInfo)
END_MESSAGE_MAP()

CCheckEntriesDlg::CCheckEntriesDlg(CEntryList& entries, CEntryCheck& check, CListCtrl& mainList, int& bModified,
                                   CWnd* pOwner)
    : CDialog(IDD_CHECK_ENTRIES, pOwner), m_entries(entries), m_check(check), m_mainList(mainList),
      m_bModified(bModified)
{
}

void CCheckEntriesDlg::Run(CWnd& mainWnd, CListCtrl& mainList, CEntryList& entries, int& bModified)
{
    CEntryCheck check;
    bool bChecked;
    {
        CWaitCursor wait;
        bChecked = check.Run(entries);
    }
    if (!bChecked)
    {
        mainWnd.MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return;
    }
    CCheckEntriesDlg dlg(entries, check, mainList, bModified, &mainWnd);
    if (check.GetCount() == 0 && dlg.StallRows() == 0)
    {
        mainWnd.MessageBox(kNoProblems, nullptr, MB_ICONINFORMATION);
        return;
    }
    INT_PTR nResult = dlg.DoModal();
    if (nResult == IDOK && dlg.m_nGoToRow >= 0)
        mainList.SelectOnly(dlg.m_nGoToRow);
    else if (nResult == IDC_SELECT_PROBLEM_ROWS)
        SelectProblemRows(mainList, check);
    else if (nResult == IDC_FIX_PROBLEMS)
        mainWnd.MessageBox(kNoProblems, nullptr, MB_ICONINFORMATION);
}

void CCheckEntriesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROBLEM_LIST, m_list);
}

BOOL CCheckEntriesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The list asks for the cells it shows: a million problems cost nothing
    // in the control.
    if (!m_list.RecreateAsOwnerData())
    {
        MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_list.SetUnicodeFormat(TRUE);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Widths in pixels at 100 %, at the dialog's DPI.
    m_list.InsertColumn(0, "Sr No", LVCFMT_LEFT, AfxScaleForDpi(70, m_nDpi));
    m_list.InsertColumn(1, "Problem", LVCFMT_LEFT, AfxScaleForDpi(480, m_nDpi));
    ShowProblems();
    return TRUE;
}

void CCheckEntriesDlg::ShowProblems()
{
    m_list.DeleteAllItems();
    m_list.SetItemCountEx(static_cast<int>(m_check.GetCount()) + StallRows(), LVSICF_NOSCROLL);
    m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(0, FALSE);
}

void CCheckEntriesDlg::OnDpiChanged(UINT nOldDpi, UINT nNewDpi)
{
    m_list.RescaleColumns(nOldDpi, nNewDpi);
}

void CCheckEntriesDlg::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    const size_t nStall = static_cast<size_t>(StallRows());
    CListCtrl::CDispCell cell(pNMHDR, pResult, m_check.GetCount() + nStall);
    if (!cell)
        return;
    if (static_cast<size_t>(cell.nRow) < nStall)
    {
        CString text;
        if (cell.nColumn == 1)
            text.Format(kStalling, m_check.GetActiveEntryLines());
        cell.SetString(text.c_str());
        return;
    }
    size_t nProblem = static_cast<size_t>(cell.nRow) - nStall;
    if (cell.nColumn == 0)
    {
        cell.SetNumber(m_check.GetRow(nProblem) + 1);
    }
    else
    {
        CString text = m_check.GetText(m_entries, nProblem);
        cell.SetText(text.c_str(), static_cast<size_t>(text.GetLength()), m_entries.IsUtf8() ? CP_UTF8 : CP_ACP);
    }
}

void CCheckEntriesDlg::OnGoTo()
{
    // The first selected problem; the stalling row has no row to go to.
    int nItem = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nItem >= 0 && nItem < StallRows())
        nItem = m_list.GetNextItem(nItem, LVNI_SELECTED);
    if (nItem < 0)
        return;
    m_nGoToRow = m_check.GetRow(static_cast<size_t>(nItem - StallRows()));
    EndDialog(IDOK);
}

void CCheckEntriesDlg::OnOK()
{
    OnGoTo();
}

void CCheckEntriesDlg::OnDoubleClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnGoTo();
}

void CCheckEntriesDlg::OnSelectRows()
{
    if (m_check.GetCount() > 0)
        EndDialog(IDC_SELECT_PROBLEM_ROWS);
}

void CCheckEntriesDlg::OnFix()
{
    const int nStall = StallRows();
    std::vector<uint32_t> chosen;
    bool bCompact = false;
    bool bMendable = false;
    try
    {
        // Every problem selected (with the stalling row or not) needs no
        // look at each row.
        const int nSelected = m_list.GetSelectedCount();
        const bool bFirst = (m_list.GetItemState(0, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        const bool bEvery = nSelected == m_list.GetItemCount() - (nStall && !bFirst ? 1 : 0);
        if (bEvery)
        {
            bCompact = nStall && bFirst;
            for (size_t nProblem = 0; nProblem < m_check.GetCount(); ++nProblem)
            {
                chosen.push_back(static_cast<uint32_t>(nProblem));
                bMendable = bMendable || CEntryFix::HasMend(m_entries, m_check, nProblem);
            }
        }
        for (int nItem = bEvery ? -1 : m_list.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
             nItem = m_list.GetNextItem(nItem, LVNI_SELECTED))
        {
            if (nItem < nStall)
            {
                bCompact = true;
                continue;
            }
            const size_t nProblem = static_cast<size_t>(nItem - nStall);
            if (nProblem >= m_check.GetCount())
                break;
            chosen.push_back(static_cast<uint32_t>(nProblem));
            bMendable = bMendable || CEntryFix::HasMend(m_entries, m_check, nProblem);
        }
    }
    catch (const std::bad_alloc&)
    {
        MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return;
    }
    if (!bMendable && !bCompact)
    {
        MessageBox(kNoMend, nullptr, MB_ICONINFORMATION);
        return;
    }
    if (!FixRows(bMendable ? chosen : std::vector<uint32_t>(), bCompact))
        return;
    m_bModified = 1;
    m_mainList.ResetItems(m_entries.GetCount());
    bool bChecked;
    {
        CWaitCursor wait;
        bChecked = m_check.Run(m_entries);
    }
    if (!bChecked)
    {
        MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        EndDialog(IDCANCEL);
    }
    else if (m_check.GetCount() == 0 && StallRows() == 0)
    {
        EndDialog(IDC_FIX_PROBLEMS);
    }
    else
    {
        ShowProblems();
    }
}

bool CCheckEntriesDlg::FixRows(const std::vector<uint32_t>& chosen, bool bCompact)
{
    m_entries.BeginStep();
    CEntryFix::Result mended = CEntryFix::nothingMended;
    if (!chosen.empty())
    {
        CWaitCursor wait;
        mended = CEntryFix::Mend(m_entries, m_check, chosen);
    }
    CCompactResult compacted = CCompactResult::unchanged;
    if (mended != CEntryFix::noMemory && bCompact)
        compacted = AskAndCompact(*this, m_entries);
    if (mended == CEntryFix::noMemory || compacted == CCompactResult::noMemory)
    {
        m_entries.CancelStep();
        if (mended == CEntryFix::noMemory)
            MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
        return false;
    }
    m_entries.EndStep();
    // Every mend left undone: each would move a name to another address.
    if (mended == CEntryFix::nothingMended && !bCompact)
        MessageBox(kNoMend, nullptr, MB_ICONINFORMATION);
    return mended == CEntryFix::mended || compacted == CCompactResult::compacted;
}
