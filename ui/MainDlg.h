// The main window: the hosts file as a numbered list of lines with a status
// each, the commands that change them, and saving, backing up and restoring.
//
// The window is the view of the entry list (hosts/document/EntryList.h), which holds
// the rows. The list control is a virtual list that asks the window for the
// cells it shows, and the window asks the entry list, so that loading,
// editing and closing a file of a million lines costs no per-row work in the
// control.
#pragma once

#include "framework/CListCtrl.h"
#include "hosts/document/EntryList.h"
#include "ui/CheckEntriesDlg.h"
#include "ui/EditCommands.h"
#include "ui/FindController.h"
#include "ui/HostsFollower.h"
#include "ui/IconDialog.h"
#include "ui/SaveCommand.h"
#include "ui/SectionsDlg.h"

class CMainDlg : public CIconDialog
{
public:
    CMainDlg();

    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter does nothing
    void OnCancel() override;  // every way out comes here

    // Fills the list from a file; an empty path means the system hosts
    // file. The modified mark is left as it is. A hosts file that cannot be
    // loaded whole (no memory for every line) leaves the list empty, with a
    // message; a backup that cannot leaves the list as it was, with a
    // message. True when the file was loaded.
    bool LoadHostsFile(const CString& path);
    // Appends a row; its index, or -1 when it could not be stored.
    int AddLine(const CString& text);
    // The list shows the row's text and status anew.
    void UpdateStatus(int nRow);
    // Appends "<target> <entry>" and shows it; false, with a message, when the
    // row could not be stored. Both texts are in the rows' encoding: UTF-8
    // in a file shown as UTF-8, the ANSI code page otherwise.
    bool AddEntry(CString entry, CString target);

    // Asks about unsaved changes; false when the window must stay open
    // because the user chose to save and the save failed or was given up to
    // keep another program's changes.
    bool AskSaveIfModified();

    // Saves the rows over the hosts file (ui/SaveCommand.h); once they are
    // saved, they are what the file holds and the window is not modified.
    CSaveCommand::Result SaveChanges();

    int GetRowCount() const { return m_entries.GetCount(); }
    size_t GetHistorySize() const { return m_entries.GetHistorySize(); }
    size_t GetStoreSize() const { return m_entries.GetStoreSize(); }

    int m_bModified;
    CListCtrl m_list;
    // How often the list has taken in another program's version of the file.
    int GetFollowedCount() const { return m_follower.GetFollowedCount(); }

    // Test hook: rows beyond this many cannot be stored, as when memory runs
    // out (the entry list's own).
    static size_t& s_nRowLimitForTesting;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnClose();
    void OnDestroy();
    BOOL OnQueryEndSession(WPARAM wParam, LPARAM nLogOff);
    void OnEndSession(UINT bEnding, LPARAM nLogOff);
    // Following the hosts file.
    void OnTimer(UINT nIDEvent, LPARAM) { m_follower.OnTimer(nIDEvent); }
    void OnActivate(UINT nState, LPARAM) { Default(); m_follower.OnActivate(nState); }
    void OnEnable(UINT bEnable, LPARAM) { Default(); m_follower.OnEnable(bEnable); }
    LRESULT OnHostsFolderChanged(WPARAM, LPARAM) { m_follower.OnFolderChanged(); return 0; }
    void OnRefresh() { LoadHostsFile(CString()); }
    void OnCommentSelected() { SetSelectedRowsCommented(true); }
    void OnUncommentSelected() { SetSelectedRowsCommented(false); }
    void OnAddNewEntry();
    void OnSaveChanges() { SaveChanges(); }
    void OnBackupNow();
    void OnRestore();
    void OnViewHostsFile();
    void OnViewBackupFolder();
    void OnProductHomePage();
    void OnContactUs();
    // The Edit menu.
    void OnUndo() { m_edits.Undo(); }
    void OnRedo() { m_edits.Redo(); }
    void OnEditLine() { m_edits.EditLine(RowsCodePage()); }
    void OnDeleteLines() { m_edits.DeleteLines(); }
    void OnCompactEntries() { m_edits.CompactEntries(); }
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM)
    {
        m_edits.UpdateMenu(reinterpret_cast<HMENU>(wParam));
        return 0;
    }
    void OnFind() { m_find.OnFind(); }
    void OnFindNext() { m_find.Search(true); }
    void OnFindPrevious() { m_find.Search(false); }
    void OnSelectAll() { m_list.SetAllSelected(true); }
    void OnSections() { CSectionsDlg(this, m_list, m_entries, m_bModified).Open(); }
    void OnCheckEntries() { CCheckEntriesDlg::Run(*this, m_list, m_entries, m_bModified); }
    LRESULT OnFindMessage(WPARAM wParam, LPARAM lParam) { return m_find.OnFindMessage(wParam, lParam); }
    // The list's questions, in their A and W forms: a cell's text, and
    // (type-ahead, LVM_FINDITEM) which row's number matches a text. The list
    // asks in the W form, so that a UTF-8 file's texts show as they are.
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnFindItem(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Comments (true) or uncomments (false) every selected row that needs it.
    void SetSelectedRowsCommented(bool bCommented);
    // The list shows what the entry list holds.
    void ShowRows();
    // The code page of the rows' texts.
    UINT RowsCodePage() const { return m_entries.IsUtf8() ? CP_UTF8 : CP_ACP; }

    // Shows the rows anew after a load (another file) or a follow.
    void ShowLoadedRows(bool bFollowed);

    CEntryList m_entries;
    // Noticing, loading and taking in another program's changes.
    CHostsFollower m_follower{*this, m_entries, m_bModified, [this](bool bFollowed) { ShowLoadedRows(bFollowed); }};
    // The Find dialog and the window's keys.
    CFindController m_find{*this, m_list, m_entries};
    // Edit Line, Delete Lines, Undo and Redo.
    CEditCommands m_edits{*this, m_list, m_entries, m_bModified};
};
