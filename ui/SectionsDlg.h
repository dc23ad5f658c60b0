// "Sections" (Edit > Sections...): the file's own groups of entries
// (hosts/review/Sections.h), each with its entry count and status. "Switch On"
// and "Switch Off" uncomment or comment the entries of the selected sections
// in the main window's rows, which show the change at once; "Go To" (or a
// double-click) closes the dialog and selects a section's entries there.
//
// The main window forwards the command here and lends what it needs: its
// list control, its rows and its modified mark. Its list asks for cells as
// the main window's does, so that a file of a million rows costs the dialog
// nothing per row but the finding of the sections.
#pragma once

#include "framework/CDialog.h"
#include "framework/CListCtrl.h"
#include "hosts/document/EntryList.h"
#include "hosts/review/Sections.h"

class CSectionsDlg : public CDialog
{
public:
    // pOwner: the main window, which shows the rows in rows and sets
    // bModified when one changes.
    CSectionsDlg(CWnd* pOwner, CListCtrl& rows, CEntryList& entries, int& bModified);

    // Shows the sections, or says that the file has none; after "Go To"
    // selects the chosen section's entries in the main window's list.
    void Open();

    BOOL OnInitDialog() override;
    void OnOK() override;  // Enter: "Go To"

    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDpiChanged(UINT nOldDpi, UINT nNewDpi) override;
    void OnSwitchOn() { SwitchSelected(true); }
    void OnSwitchOff() { SwitchSelected(false); }
    void OnGoTo();
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Switches every selected section on or off; nothing when none is
    // selected.
    void SwitchSelected(bool bOn);
    // Closes the dialog with the section to go to.
    void GoTo(int nSection);
    // The section's entries become the main list's selection, its heading
    // the focused row, scrolled into view.
    void SelectInRows(int nSection);

    CListCtrl& m_rows;
    CEntryList& m_entries;
    int& m_bModified;
    CSections m_sections;
    int m_nChosen = -1;
};
