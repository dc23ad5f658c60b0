// The main window: the hosts file as a numbered list of lines with a status
// each, the commands that change them, and saving, backing up and restoring.
//
// The rows are the document. They live in m_rows, and the list control is a
// virtual list that asks the window for the cells it shows, so that loading,
// editing and closing a file of a million lines costs no per-row work in the
// control.
#pragma once

#include "framework/CDialog.h"
#include "framework/CListCtrl.h"

#include <vector>

class CMainDlg : public CDialog
{
public:
    CMainDlg();

    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter does nothing
    void OnCancel() override;  // every way out comes here

    // Empties the list and fills it from a file; an empty path means the
    // system hosts file. The modified mark is left as it is. A file that
    // cannot be loaded whole (no memory for every line) leaves the list
    // empty, with a message.
    void LoadHostsFile(const CString& path);
    // Appends a row; its index, or -1 when it could not be stored.
    int AddLine(const CString& text);
    void UpdateStatus(int nRow, const CString& text);
    // Appends "<target> <entry>" and shows it; false, with a message, when the
    // row could not be stored.
    bool AddEntry(CString entry, CString target);

    // Asks about unsaved changes; false when the window must stay open
    // because the user chose to save and the save failed.
    bool AskSaveIfModified();

    enum SaveResult { Saved, Declined, Failed };
    SaveResult SaveChanges();
    // Writes the rows over the system hosts file. *pbOpened tells whether the
    // file was opened, i.e. whether a failure may have changed it.
    BOOL WriteHostsFile(bool* pbOpened = nullptr);

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    const CString& GetRowText(int nRow) const { return m_rows[static_cast<size_t>(nRow)].text; }

    int m_bModified;
    CListCtrl m_list;
    HICON m_hIcon;

    // Test hook: rows beyond this many cannot be stored, as when memory runs
    // out.
    static size_t s_nRowLimitForTesting;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnClose();
    void OnDestroy();
    void OnFileExit();
    void OnRefresh();
    void OnCommentSelected();
    void OnUncommentSelected();
    void OnAddNewEntry();
    void OnSaveChanges();
    void OnBackupNow();
    void OnRestore();
    void OnViewHostsFile();
    void OnViewBackupFolder();
    void OnProductHomePage();
    void OnContactUs();
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetDispInfoW(NMHDR* pNMHDR, LRESULT* pResult);
    // Type-ahead and LVM_FINDITEM: the list asks which row's number matches.
    void OnFindItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnFindItemW(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    class CRowBatch;

    struct Row
    {
        CString text;
        bool bCommented;
    };

    void SetRowText(int nRow, const CString& text) { m_rows[static_cast<size_t>(nRow)].text = text; }
    // Fills a cell's text for the list; nMax counts the terminating zero.
    void GetCellText(int nRow, int nColumn, char* pszBuffer, int nMax) const;
    // Comments (true) or uncomments (false) every selected row that needs it.
    void SetSelectedRowsCommented(bool bCommented);
    void ClearRows();
    void ShowRows();

    std::vector<Row> m_rows;
    bool m_bBatch;  // rows change in bulk (CRowBatch): the list is told once at the end
};

// Where the icon goes in a client area while the window is minimised:
// (extent - icon + 1) / 2, the division truncating toward zero.
int CenteredIconOffset(int nClientExtent, int nIconExtent);
