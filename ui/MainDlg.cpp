#include "ui/MainDlg.h"

#include "app/AppSettings.h"
#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "hosts/disk/Locations.h"
#include "hosts/disk/SaveFile.h"
#include "hosts/lines/CommentRules.h"
#include "hosts/lines/LineScan.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/EntryDlg.h"
#include "ui/RestoreDlg.h"
#include "ui/SaveCommand.h"
#include "ui/ShellHandoff.h"
#include "ui/SystemError.h"

#include <cstdio>
#include <cstring>

namespace
{
const char kAskSave[] = "Would you like to save the changes?";
const char kAddOutOfMemory[] = "Not enough memory to add the entry.";
const char kNoList[] = "Failed to create the list of the hosts file's lines.\nError : %s";
const char kRestoreLoading[] =
    "The Selected Old Hosts File will now be loaded into the main screen.\n"
    "You can complete the Restore by Pressing Save Changes Button on the main screen.";

const UINT MB_NOTE = MB_ICONINFORMATION;
const UINT MB_ERROR = MB_ICONERROR;

// LVFI_SUBSTRING, the same as LVFI_PARTIAL since Windows Vista; not in every
// SDK's headers.
const UINT kFindSubstring = 0x0004;
}

size_t& CMainDlg::s_nRowLimitForTesting = CEntryList::s_nRowLimitForTesting;

BEGIN_MESSAGE_MAP(CMainDlg, CIconDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_WM_TIMER()
    ON_WM_ACTIVATE()
    ON_WM_ENABLE()
    ON_MESSAGE(CHostsFollower::s_nFolderChanged, OnHostsFolderChanged)
    ON_COMMAND(IDC_ADD_NEW_ENTRY, OnAddNewEntry)
    ON_COMMAND(IDC_COMMENT_SELECTED, OnCommentSelected)
    ON_COMMAND(IDC_UNCOMMENT_SELECTED, OnUncommentSelected)
    ON_COMMAND(IDC_SAVE_CHANGES, OnSaveChanges)
    ON_COMMAND(ID_FILE_ADD_NEW_ENTRY, OnAddNewEntry)
    ON_COMMAND(ID_FILE_BACKUP_NOW, OnBackupNow)
    ON_COMMAND(ID_FILE_RESTORE, OnRestore)
    ON_COMMAND(ID_FILE_SAVE_CHANGES, OnSaveChanges)
    ON_COMMAND(ID_FILE_EXIT, OnCancel)
    ON_COMMAND(ID_EDIT_UNDO, OnUndo)
    ON_COMMAND(ID_EDIT_REDO, OnRedo)
    ON_COMMAND(ID_EDIT_EDIT_LINE, OnEditLine)
    ON_COMMAND(ID_EDIT_DELETE_LINES, OnDeleteLines)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_COMMAND(ID_EDIT_FIND, OnFind)
    ON_COMMAND(ID_EDIT_FIND_NEXT, OnFindNext)
    ON_COMMAND(ID_EDIT_FIND_PREVIOUS, OnFindPrevious)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnSelectAll)
    ON_COMMAND(ID_EDIT_SECTIONS, OnSections)
    ON_COMMAND(ID_EDIT_CHECK_ENTRIES, OnCheckEntries)
    ON_COMMAND(ID_EDIT_COMPACT_ENTRIES, OnCompactEntries)
    ON_REGISTERED_MESSAGE(CFindController::s_nFindMessage, OnFindMessage)
    ON_COMMAND(ID_VIEW_REFRESH, OnRefresh)
    ON_COMMAND(ID_VIEW_HOSTS_FILE, OnViewHostsFile)
    ON_COMMAND(ID_VIEW_BACKUP_FOLDER, OnViewBackupFolder)
    ON_COMMAND(ID_HELP_PRODUCT_HOMEPAGE, OnProductHomePage)
    ON_COMMAND(ID_HELP_CONTACT_US, OnContactUs)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_HOSTS_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_HOSTS_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_ODFINDITEMA, IDC_HOSTS_LIST, OnFindItem)
    ON_NOTIFY(LVN_ODFINDITEMW, IDC_HOSTS_LIST, OnFindItem)
END_MESSAGE_MAP()

CMainDlg::CMainDlg() : CIconDialog(IDD_MAIN), m_bModified(0)
{
}

void CMainDlg::DoDataExchange(CDataExchange* pDX)
{
    CIconDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HOSTS_LIST, m_list);
}

BOOL CMainDlg::OnInitDialog()
{
    CIconDialog::OnInitDialog();
    AppendAboutItem(*this);

    if (!m_list.RecreateAsOwnerData())
    {
        // The rows would be saved but never shown: better not to open.
        MessageBox(WithSystemText(kNoList, ::GetLastError()), nullptr, MB_ERROR);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_list.SetUnicodeFormat(TRUE);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Widths in pixels at 100 %, at the window's DPI.
    m_list.InsertColumn(0, "Sr No", LVCFMT_LEFT, AfxScaleForDpi(70, m_nDpi));
    m_list.InsertColumn(1, "Data", LVCFMT_LEFT, AfxScaleForDpi(350, m_nDpi));
    m_list.InsertColumn(2, "Status", LVCFMT_LEFT, AfxScaleForDpi(100, m_nDpi));
    m_find.Start();

    CAppSettings settings;
    settings.MarkRunning();

    // Other programs write the hosts file too; the list follows them.
    m_follower.Start();

    CHostsFiles files;
    CString hostsPath;
    files.GetHostsFilePath(hostsPath);
    RecoverHostsFile(hostsPath);  // one a killed save left aside
    LoadHostsFile(CString());
    return TRUE;
}

void CMainDlg::OnDpiChanged(UINT nOldDpi, UINT nNewDpi)
{
    CIconDialog::OnDpiChanged(nOldDpi, nNewDpi);
    m_list.RescaleColumns(nOldDpi, nNewDpi);
}

bool CMainDlg::LoadHostsFile(const CString& path)
{
    return m_follower.Load(path);
}

void CMainDlg::ShowLoadedRows(bool bFollowed)
{
    // Another file's rows keep nothing of the list's selection and scroll
    // position; the file's new version keeps them by their numbers.
    if (!bFollowed)
        m_list.DeleteAllItems();
    ShowRows();
}

int CMainDlg::AddLine(const CString& text)
{
    if (!m_entries.Append(text))
        return -1;
    int nRow = GetRowCount() - 1;
    m_list.SetItemCountEx(GetRowCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    UpdateStatus(nRow);
    return nRow;
}

void CMainDlg::UpdateStatus(int nRow)
{
    if (nRow >= 0)
        m_list.RedrawItems(nRow, nRow);
}

void CMainDlg::ShowRows()
{
    // A new count repaints the whole list; the same count needs only the
    // changed texts repainted.
    if (m_list.GetItemCount() != GetRowCount())
        m_list.SetItemCountEx(GetRowCount(), LVSICF_NOSCROLL);
    else
        m_list.Invalidate(FALSE);
}

void CMainDlg::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    CListCtrl::CDispCell cell(pNMHDR, pResult, static_cast<size_t>(GetRowCount()));
    if (!cell)
        return;
    if (cell.nColumn == 0)
    {
        cell.SetNumber(cell.nRow + 1);
    }
    else if (cell.nColumn == 1)
    {
        CEntryList::Text text = m_entries.GetText(cell.nRow);
        cell.SetText(text.pchMark, text.nMark, text.pch, text.nLength, RowsCodePage());
    }
    else if (cell.nColumn == 2)
    {
        cell.SetString(StatusWordFor(m_entries.IsCommented(cell.nRow)), RowsCodePage());
    }
}

void CMainDlg::OnFindItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    // The first column is searched: the row numbers. The rows carry no item
    // data, so a search by LVFI_PARAM finds none.
    CListCtrl::FindRequest find = CListCtrl::GetFindRequest(pNMHDR);
    *pResult = -1;
    if ((find.nFlags & LVFI_PARAM) || !(find.nFlags & (LVFI_STRING | LVFI_PARTIAL | kFindSubstring)))
        return;
    bool bPartial = (find.nFlags & (LVFI_PARTIAL | kFindSubstring)) != 0;
    bool bWrap = (find.nFlags & LVFI_WRAP) != 0;
    *pResult = find.pszTextW ? m_entries.FindRowByNumber(find.pszTextW, bPartial, bWrap, find.nStart)
                             : m_entries.FindRowByNumber(find.pszText, bPartial, bWrap, find.nStart);
}

void CMainDlg::SetSelectedRowsCommented(bool bCommented)
{
    // Each selected row exactly once, in ascending order: the next selected
    // row is found before the current one is touched. With every row
    // selected those are simply all rows, which spares asking the list for
    // each. Rows already in the wanted state are left alone; the list
    // repaints once at the end.
    const int nRows = GetRowCount();
    const bool bAll = nRows > 0 && m_list.GetSelectedCount() == nRows;
    bool bStored = true;
    bool bAny = false;
    m_entries.BeginStep();
    int nRow = bAll ? 0 : m_list.GetNextItem(-1, LVNI_SELECTED);
    while (nRow >= 0 && nRow < nRows)
    {
        int nNext = bAll ? (nRow + 1 < nRows ? nRow + 1 : -1) : m_list.GetNextItem(nRow, LVNI_SELECTED);
        bool bChanged = false;
        bStored = bCommented ? m_entries.Comment(nRow, &bChanged) : m_entries.Uncomment(nRow, &bChanged);
        if (!bStored)
            break;
        bAny = bAny || bChanged;
        nRow = nNext;
    }
    // One step; without memory for it, not done at all.
    if (bStored)
        m_entries.EndStep();
    else
        m_entries.CancelStep();
    if (bStored && bAny)
        m_bModified = 1;
    ShowRows();
    if (!bStored)
        MessageBox(kOutOfMemoryText, nullptr, MB_ERROR);
}

void CMainDlg::OnAddNewEntry()
{
    // In a file shown as UTF-8, the new line is UTF-8 too: the file stays in
    // one encoding.
    CEntryDlg dlg;
    dlg.m_nCodePage = RowsCodePage();
    if (dlg.DoModal() == IDOK && AddEntry(dlg.m_strEntry, dlg.m_strTarget))
        m_bModified = 1;
}

bool CMainDlg::AddEntry(CString entry, CString target)
{
    int nRow = -1;
    {
        CWaitCursor wait;
        CString line;
        // A new entry is one line of the file.
        line.Format("%s %s", OneHostsLine(target).c_str(), OneHostsLine(entry).c_str());
        m_entries.BeginStep();
        nRow = AddLine(line);
        m_entries.EndStep();
        if (nRow >= 0)
            m_list.EnsureVisible(nRow, FALSE);
    }
    if (nRow < 0)
        MessageBox(kAddOutOfMemory, nullptr, MB_ERROR);
    return nRow >= 0;
}

bool CMainDlg::AskSaveIfModified()
{
    if (!m_bModified || MessageBox(kAskSave, nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    CSaveCommand::Result result = SaveChanges();
    return result == CSaveCommand::Saved || result == CSaveCommand::Declined;
}

void CMainDlg::OnOK()
{
}

void CMainDlg::OnCancel()
{
    // A save that the user asked for and that failed keeps the window open,
    // with its rows, so that nothing is lost without a word.
    if (!AskSaveIfModified())
        return;
    {
        // The list lets go of its rows; the entry list's memory goes with
        // the window object, once the window is off the screen.
        CWaitCursor wait;
        m_list.DeleteAllItems();
    }
    CDialog::OnCancel();
}

void CMainDlg::OnClose()
{
    OnCancel();
}

BOOL CMainDlg::OnQueryEndSession(WPARAM, LPARAM nLogOff)
{
    // Logging off or shutting down asks about unsaved rows as closing does;
    // the session waits, with a reason to show, until the user has answered.
    // A session that must end (ENDSESSION_CRITICAL) ends whatever is
    // answered: a question would only start a save that is then cut off.
    if (!m_bModified || (nLogOff & ENDSESSION_CRITICAL))
        return TRUE;
    ::ShutdownBlockReasonCreate(m_hWnd, L"Tarnwick has unsaved changes to the hosts file.");
    bool bMayEnd = AskSaveIfModified();
    ::ShutdownBlockReasonDestroy(m_hWnd);
    return bMayEnd ? TRUE : FALSE;
}

void CMainDlg::OnEndSession(UINT bEnding, LPARAM)
{
    // The process ends without the window being destroyed.
    if (bEnding)
    {
        CAppSettings settings;
        settings.MarkStopped();
    }
}

void CMainDlg::OnDestroy()
{
    CAppSettings settings;
    settings.MarkStopped();
    m_find.Stop();
    m_follower.Stop();
    Default();
}

CSaveCommand::Result CMainDlg::SaveChanges()
{
    // The modified mark is cleared only once the rows are on disk, so that a
    // failed or declined save still asks on exit.
    CSaveCommand::Result result = CSaveCommand(*this, m_entries, m_follower).Save();
    if (result == CSaveCommand::Saved)
    {
        // The file now holds the rows: what changes from here on is new.
        // Without memory for that, the rows stay marked: a save writes
        // them again as they are.
        m_bModified = m_entries.MarkSaved() ? 0 : 1;
    }
    return result;
}

void CMainDlg::OnBackupNow()
{
    CSaveCommand(*this, m_entries, m_follower).Backup();
}

void CMainDlg::OnRestore()
{
    CRestoreDlg dlg;
    if (dlg.DoModal() == IDOK)
    {
        MessageBox(kRestoreLoading, nullptr, MB_NOTE);
        // The rows differ from the hosts file until they are saved: closing
        // asks before the restore is dropped.
        if (LoadHostsFile(dlg.m_strSelectedPath))
            m_bModified = 1;
    }
}

void CMainDlg::OnViewHostsFile()
{
    OpenHostsFileInEditor();
}

void CMainDlg::OnViewBackupFolder()
{
    OpenBackupFolder();
}

void CMainDlg::OnProductHomePage()
{
    ShellOpen(kProductHomePage);
}

void CMainDlg::OnContactUs()
{
    ShellOpen(kContactMailLink);
}

void CMainDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if (IsAboutCommand(nID))
    {
        CAboutDlg dlg;
        dlg.DoModal();
    }
    else
    {
        Default();
    }
}
