// The main window: the hosts file as a numbered list of lines with a status
// each, the commands that change them, and saving, backing up and restoring.
//
// The window is the view of the entry list (hosts/EntryList.h), which holds
// the rows. The list control is a virtual list that asks the window for the
// cells it shows, and the window asks the entry list, so that loading,
// editing and closing a file of a million lines costs no per-row work in the
// control.
#pragma once

#include "framework/CListCtrl.h"
#include "hosts/EntryList.h"
#include "ui/CheckEntriesDlg.h"
#include "ui/FindController.h"
#include "ui/HostsSaver.h"
#include "ui/HostsWatcher.h"
#include "ui/IconDialog.h"

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

    CHostsSaver::Result SaveChanges();

    // Brings the list up to what the hosts file holds now, when another
    // program has changed it: without unsaved changes the list simply shows
    // it; with them, they are carried onto its lines, and the user is told
    // how many could not be. A list loaded from a backup is not followed,
    // nor is a file that is gone or cannot be read now (it is tried again
    // once it can be).
    CHostsSaver::Followed FollowHostsFile();

    int GetRowCount() const { return m_entries.GetCount(); }

    int m_bModified;
    CListCtrl m_list;
    // How often the list has taken in another program's version of the file.
    int m_nFollowed = 0;

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
    void OnTimer(UINT nIDEvent, LPARAM);
    void OnActivate(UINT nState, LPARAM);
    void OnEnable(UINT bEnable, LPARAM);
    LRESULT OnHostsFolderChanged(WPARAM, LPARAM);
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
    // The Edit menu.
    void OnFind() { m_find.OnFind(); }
    void OnFindNext() { m_find.Search(true); }
    void OnFindPrevious() { m_find.Search(false); }
    void OnSelectAll() { m_list.SetAllSelected(true); }
    void OnCheckEntries() { CCheckEntriesDlg::Run(*this, m_list, m_entries); }
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

    // Follows the hosts file now, or, while a save runs or a dialog or
    // message box is open, as soon as it is over.
    void FollowWhenIdle();
    // Runs FollowWhenIdle from the message loop after nDelay milliseconds.
    void FollowLater(UINT nDelay);
    // Tries again in a while when the file exists but cannot be read now.
    void RetryFollowing(const CString& path);
    // The message for a file that could not be loaded whole.
    void TellLoadFailure(CEntryList::LoadResult result);

    CEntryList m_entries;
    // What the system hosts file held when it was last loaded, followed or
    // saved; a save asks first when it holds something else.
    CContentDigest m_hostsDigest;
    // The rows came from a backup: the user chose to replace the file with
    // them, so they do not follow it.
    bool m_bListFromBackup = false;
    // Changes in the hosts file's folder, and one not yet followed.
    CHostsWatcher m_watcher;
    bool m_bFollowPending = false;
    int m_nSaving = 0;
    // The Find dialog and the window's keys.
    CFindController m_find{*this, m_list, m_entries};
};
