// Lists every file of the backup folder tree; "Restore" hands the chosen one
// to the main window, "View File" opens it in the editor.
#pragma once

#include "framework/CDialog.h"
#include "framework/CListCtrl.h"
#include "hosts/disk/FolderWalker.h"

class CRestoreDlg : public CDialog, public CFolderWalker
{
public:
    CRestoreDlg();

    BOOL OnInitDialog() override;
    // Enter restores the selected backup, like "Restore"; it never ends the
    // dialog without a choice.
    void OnOK() override;
    void OnFile(const CString& path) override;

    CString m_strSelectedPath;  // full path of the chosen backup after IDOK
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;
    void OnRestore();
    void OnViewFile();

    DECLARE_MESSAGE_MAP()

private:
    // Cell 1 of the selected row joined to the backup folder; false when no
    // row is selected.
    bool GetSelectedPath(CString& path) const;

    CString m_strBackupFolder;  // the folder being walked
};
