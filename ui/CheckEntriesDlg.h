// "Check Entries": the lines of the hosts file that Windows ignores, in
// whole or in part, one row per problem (hosts/review/EntryCheck.h). "Go To" (or a
// double-click) shows the row of the first selected problem in the main
// list; "Select Rows" selects every row with a problem there, so that
// "Comment Selected" can switch them all off; "Fix" mends the selected
// problems that have a mend (hosts/review/EntryFix.h), as one step, and
// shows what is left. On a list long enough to stall Windows' DNS Client,
// a first row without a number says so, and its Fix compacts the entries.
#pragma once

#include "framework/CDialog.h"
#include "framework/CListCtrl.h"
#include "hosts/review/EntryCheck.h"

class CEntryList;

class CCheckEntriesDlg : public CDialog
{
public:
    CCheckEntriesDlg(CEntryList& entries, CEntryCheck& check, CListCtrl& mainList, int& bModified, CWnd* pOwner);

    // Checks the rows of the main list and shows the problems: the dialog
    // when there are any, a message when there are none. Afterwards the
    // main list shows what the user asked for.
    static void Run(CWnd& mainWnd, CListCtrl& mainList, CEntryList& entries, int& bModified);

    BOOL OnInitDialog() override;
    void OnOK() override;  // Enter is "Go To"

    // After IDOK ("Go To"): the row to show; after IDC_SELECT_PROBLEM_ROWS:
    // every row with a problem is to be selected; after IDC_FIX_PROBLEMS:
    // a fix left no problem.
    int m_nGoToRow = -1;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;
    void OnGoTo();
    void OnSelectRows();
    void OnFix();
    void OnDoubleClick(NMHDR*, LRESULT* pResult);
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // The list's rows: the stalling row first when there is one, then the
    // problems.
    int StallRows() const { return m_check.GetActiveEntryLines() >= CEntryCheck::kStallingEntries ? 1 : 0; }
    void ShowProblems();
    // Mends the chosen problems and, with bCompact, compacts the entries,
    // as one step; whether a row changed.
    bool FixRows(const std::vector<uint32_t>& chosen, bool bCompact);

    CEntryList& m_entries;
    CEntryCheck& m_check;
    CListCtrl& m_mainList;
    int& m_bModified;
};
