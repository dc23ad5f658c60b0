// "Check Entries": the lines of the hosts file that Windows ignores, in
// whole or in part, one row per problem (hosts/review/EntryCheck.h). "Go To" (or a
// double-click) shows the row of the first selected problem in the main
// list; "Select Rows" selects every row with a problem there, so that
// "Comment Selected" can switch them all off. The check changes no row.
#pragma once

#include "framework/CDialog.h"
#include "framework/CListCtrl.h"

class CEntryCheck;
class CEntryList;

class CCheckEntriesDlg : public CDialog
{
public:
    CCheckEntriesDlg(const CEntryList& entries, const CEntryCheck& check, CWnd* pOwner);

    // Checks the rows of the main list and shows the problems: the dialog
    // when there are any, a message when there are none. Afterwards the
    // main list shows what the user asked for.
    static void Run(CWnd& mainWnd, CListCtrl& mainList, const CEntryList& entries);

    BOOL OnInitDialog() override;
    void OnOK() override;  // Enter is "Go To"

    // After IDOK ("Go To"): the row to show; after IDC_SELECT_PROBLEM_ROWS:
    // every row with a problem is to be selected.
    int m_nGoToRow = -1;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;
    void OnGoTo();
    void OnSelectRows();
    void OnDoubleClick(NMHDR*, LRESULT* pResult);
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    const CEntryList& m_entries;
    const CEntryCheck& m_check;
};
