#include "ui/CheckEntriesDlg.h"

#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "hosts/document/EntryList.h"
#include "hosts/review/EntryCheck.h"
#include "res/resource.h"

namespace
{
const char kNoProblems[] = "No problems found: Windows reads every active entry as written.";
const char kNoMemory[] = "Not enough memory to complete the operation.";

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
        SelectProblemRows(mainList, check);
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
    CListCtrl::CDispCell cell(pNMHDR, pResult, m_check.GetCount());
    if (!cell)
        return;
    size_t nProblem = static_cast<size_t>(cell.nRow);
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
