#include "ui/CheckEntriesDlg.h"

#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/document/EntryList.h"
#include "res/resource.h"

#include <cstdio>

namespace
{
const char kNoProblems[] = "No problems found: Windows reads every active entry as written.";
const char kNoMemory[] = "Not enough memory to complete the operation.";

// Selects exactly the rows with a problem, the focus on the first. With
// more of them than not, every row is selected at once and the others
// deselected, so that this never costs much more than "Select All".
//
// Wine keeps an owner-data list's selection as an array of ranges that a
// deselection searches from its start, and splitting a range inserts one
// in front of it. Taking the runs of rows without a problem from the last
// back to the first, the range to split is always the first, and each run's
// rows in ascending order then only move the start of the range after it:
// no search goes far. On Windows the order changes nothing.
void SetProblemRowStates(CListCtrl& list, const CEntryCheck& check, int nRows)
{
    int nProblemRows = 0;
    for (size_t n = 0; n < check.GetCount(); ++n)
        if (n == 0 || check.GetRow(n) != check.GetRow(n - 1))
            ++nProblemRows;
    bool bInvert = nProblemRows * 2 > nRows;
    list.SetItemState(-1, bInvert ? LVIS_SELECTED : 0, LVIS_SELECTED);
    if (bInvert)
    {
        // Rows after problem nProblem - 1's row and up to nRow have none.
        size_t nProblem = check.GetCount();
        for (int nRow = nRows - 1; nRow >= 0;)
        {
            while (nProblem > 0 && check.GetRow(nProblem - 1) > nRow)
                --nProblem;
            int nStart = nProblem > 0 ? check.GetRow(nProblem - 1) + 1 : 0;
            for (int n = nStart; n <= nRow; ++n)
                list.SetItemState(n, 0, LVIS_SELECTED);
            nRow = nStart - 2;  // the row before it has a problem
        }
    }
    else
    {
        for (size_t n = 0; n < check.GetCount(); ++n)
            if (n == 0 || check.GetRow(n) != check.GetRow(n - 1))
                list.SetItemState(check.GetRow(n), LVIS_SELECTED, LVIS_SELECTED);
    }
    int nFirst = check.GetRow(0);
    list.SetItemState(nFirst, LVIS_FOCUSED, LVIS_FOCUSED);
    list.SendMessage(LVM_SETSELECTIONMARK, 0, nFirst);
}

// The same with the list's states changed in bulk, then the first in view.
void SelectProblemRows(CListCtrl& list, const CEntryCheck& check, int nRows)
{
    {
        CListCtrl::CBulkStates bulk(list);
        SetProblemRowStates(list, check, nRows);
    }
    list.EnsureVisible(check.GetRow(0), FALSE);
}
}

BEGIN_MESSAGE_MAP(CCheckEntriesDlg, CDialog)
    ON_COMMAND(IDC_GO_TO_PROBLEM, OnGoTo)
    ON_COMMAND(IDC_SELECT_PROBLEM_ROWS, OnSelectRows)
    ON_NOTIFY(NM_DBLCLK, IDC_PROBLEM_LIST, OnDoubleClick)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_PROBLEM_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_PROBLEM_LIST, OnGetDispInfo)
END_MESSAGE_MAP()

CCheckEntriesDlg::CCheckEntriesDlg(const CEntryList& entries, const CEntryCheck& check, CWnd* pOwner)
    : CDialog(IDD_CHECK_ENTRIES, pOwner), m_entries(entries), m_check(check)
{
}

void CCheckEntriesDlg::Run(CWnd& mainWnd, CListCtrl& mainList, const CEntryList& entries)
{
    CEntryCheck check;
    bool bChecked;
    {
        CWaitCursor wait;
        bChecked = check.Run(entries);
    }
    if (!bChecked)
    {
        mainWnd.MessageBox(kNoMemory, nullptr, MB_ICONERROR);
        return;
    }
    if (check.GetCount() == 0)
    {
        mainWnd.MessageBox(kNoProblems, nullptr, MB_ICONINFORMATION);
        return;
    }
    CCheckEntriesDlg dlg(entries, check, &mainWnd);
    INT_PTR nResult = dlg.DoModal();
    if (nResult == IDOK && dlg.m_nGoToRow >= 0)
        mainList.SelectOnly(dlg.m_nGoToRow);
    else if (nResult == IDC_SELECT_PROBLEM_ROWS)
        SelectProblemRows(mainList, check, entries.GetCount());
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
        MessageBox(kNoMemory, nullptr, MB_ICONERROR);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_list.SetUnicodeFormat(TRUE);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Widths in pixels at 100 %, at the dialog's DPI.
    m_list.InsertColumn(0, "Sr No", LVCFMT_LEFT, AfxScaleForDpi(70, m_nDpi));
    m_list.InsertColumn(1, "Problem", LVCFMT_LEFT, AfxScaleForDpi(480, m_nDpi));
    m_list.SetItemCountEx(static_cast<int>(m_check.GetCount()), LVSICF_NOSCROLL);
    m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
}

void CCheckEntriesDlg::OnDpiChanged(UINT nOldDpi, UINT nNewDpi)
{
    m_list.RescaleColumns(nOldDpi, nNewDpi);
}

void CCheckEntriesDlg::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= m_check.GetCount())
        return;
    size_t nProblem = static_cast<size_t>(item.iItem);
    if (item.iSubItem == 0)
    {
        char szNumber[12];
        int nLength = std::snprintf(szNumber, sizeof(szNumber), "%d", m_check.GetRow(nProblem) + 1);
        CListCtrl::SetDispInfoText(pNMHDR, szNumber, static_cast<size_t>(nLength));
    }
    else
    {
        CString text = m_check.GetText(m_entries, nProblem);
        CListCtrl::SetDispInfoText(pNMHDR, text.c_str(), static_cast<size_t>(text.GetLength()),
                                   m_entries.IsUtf8() ? CP_UTF8 : CP_ACP);
    }
}

void CCheckEntriesDlg::OnGoTo()
{
    int nProblem = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nProblem < 0)
        return;
    m_nGoToRow = m_check.GetRow(static_cast<size_t>(nProblem));
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
    EndDialog(IDC_SELECT_PROBLEM_ROWS);
}
