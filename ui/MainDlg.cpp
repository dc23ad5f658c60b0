#include "ui/MainDlg.h"

#include "app/AppSettings.h"
#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "hosts/CarryChanges.h"
#include "hosts/CommentRules.h"
#include "hosts/HostsFiles.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/EntryDlg.h"
#include "ui/HostsSaver.h"
#include "ui/RestoreDlg.h"
#include "ui/ShellHandoff.h"
#include "ui/SystemError.h"

#include <cstdio>
#include <cstring>

namespace
{
const char kAskSave[] = "Would you like to save the changes?";
const char kLoadOutOfMemory[] = "Not enough memory to load the hosts file.";
const char kLoadReadFailed[] =
    "Failed to read the whole file. None of its lines are shown, so that saving cannot shorten the hosts file.";
const char kLoadBackupFailed[] = "Failed to Load the Selected Backup File.\nError : %s";
const char kChangesLost[] =
    "The hosts file has been changed by another program; the list now shows its lines.\n"
    "%d of your changes could not be kept: the lines they were made on have been changed or removed there.";
const char kAddOutOfMemory[] = "Not enough memory to add the entry.";
const char kOutOfMemory[] = "Not enough memory to complete the operation.";
const char kNoList[] = "Failed to create the list of the hosts file's lines.\nError : %s";
const char kRestoreLoading[] =
    "The Selected Old Hosts File will now be loaded into the main screen.\n"
    "You can complete the Restore by Pressing Save Changes Button on the main screen.";

const UINT MB_NOTE = MB_ICONINFORMATION;
const UINT MB_ERROR = MB_ICONERROR;

// A new entry is one line of the file: a line feed or carriage return would
// split it, a Ctrl-Z would end the file for the next load. Every control
// character but tab becomes a space. Byte by byte: no byte below 0x20 is
// ever part of a longer character, in UTF-8 or in an ANSI code page (the
// second bytes of double-byte characters are 0x40 and above), whereas
// stepping through UTF-8 text by the ANSI code page's characters would take
// a line feed after a byte like 0x81 for the second half of a character.
CString OneLine(CString text)
{
    const int nLength = text.GetLength();
    char* p = text.GetBuffer(nLength);
    for (int n = 0; n < nLength; ++n)
        if (p[n] > 0 && p[n] < 0x20 && p[n] != '\t')
            p[n] = ' ';
    text.ReleaseBuffer(nLength);
    return text;
}

// LVFI_SUBSTRING, the same as LVFI_PARTIAL since Windows Vista; not in every
// SDK's headers.
const UINT kFindSubstring = 0x0004;

// The watcher's message: something in the hosts file's folder changed.
const UINT kHostsFolderChanged = WM_APP + 1;
// A program may write the file in several pieces: it is followed once it has
// stayed unchanged this long; one that cannot be read is tried again after
// the longer wait.
const UINT_PTR kFollowTimer = 1;
const UINT kQuietMilliseconds = 300;
const UINT kRetryMilliseconds = 1000;
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
    ON_MESSAGE(kHostsFolderChanged, OnHostsFolderChanged)
    ON_COMMAND(IDC_ADD_NEW_ENTRY, OnAddNewEntry)
    ON_COMMAND(IDC_COMMENT_SELECTED, OnCommentSelected)
    ON_COMMAND(IDC_UNCOMMENT_SELECTED, OnUncommentSelected)
    ON_COMMAND(IDC_SAVE_CHANGES, OnSaveChanges)
    ON_COMMAND(ID_FILE_ADD_NEW_ENTRY, OnAddNewEntry)
    ON_COMMAND(ID_FILE_BACKUP_NOW, OnBackupNow)
    ON_COMMAND(ID_FILE_RESTORE, OnRestore)
    ON_COMMAND(ID_FILE_SAVE_CHANGES, OnSaveChanges)
    ON_COMMAND(ID_FILE_EXIT, OnCancel)
    ON_COMMAND(ID_EDIT_FIND, OnFind)
    ON_COMMAND(ID_EDIT_FIND_NEXT, OnFindNext)
    ON_COMMAND(ID_EDIT_FIND_PREVIOUS, OnFindPrevious)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnSelectAll)
    ON_COMMAND(ID_EDIT_CHECK_ENTRIES, OnCheckEntries)
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

    // Other programs write the hosts file too; the list follows them. The
    // watch starts first, so that no change after the load is missed.
    CHostsFiles files;
    CString hostsPath;
    files.GetHostsFilePath(hostsPath);
    int nSlash = hostsPath.ReverseFind('\\');
    if (nSlash > 0)
        m_watcher.Start(hostsPath.Left(nSlash), m_hWnd, kHostsFolderChanged);

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
    // A file is loaded whole or not at all: a list missing some lines would
    // save a shortened hosts file.
    CEntryList::LoadResult result;
    DWORD dwOpenError = 0;
    {
        CWaitCursor wait;
        if (path.IsEmpty())
        {
            // The old rows go first, so that only one file's lines are ever
            // held. A hosts file that cannot be read shows as an empty list.
            CHostsFiles files;
            CString hostsPath;
            files.GetHostsFilePath(hostsPath);
            CContentDigest digest;
            result = m_entries.Load(hostsPath, &digest);
            if (result == CEntryList::notOpened)
                m_entries.Empty();
            m_hostsDigest = digest;
            m_bListFromBackup = false;
            m_list.DeleteAllItems();
        }
        else
        {
            // A backup that cannot be read whole leaves the list as it was,
            // so that a save cannot empty or shorten the hosts file by
            // mistake. Loading it leaves what the hosts file held alone.
            CEntryList backup;
            result = backup.Load(path);
            dwOpenError = ::GetLastError();
            if (result == CEntryList::loaded)
            {
                m_entries.Swap(backup);
                m_bListFromBackup = true;
                m_list.DeleteAllItems();
            }
        }
        ShowRows();
    }
    if (result == CEntryList::notOpened && !path.IsEmpty())
        MessageBox(WithSystemText(kLoadBackupFailed, dwOpenError), nullptr, MB_ERROR);
    else
        TellLoadFailure(result);
    return result == CEntryList::loaded;
}

void CMainDlg::TellLoadFailure(CEntryList::LoadResult result)
{
    if (result == CEntryList::noMemory)
        MessageBox(kLoadOutOfMemory, nullptr, MB_ERROR);
    else if (result == CEntryList::readFailed)
        MessageBox(kLoadReadFailed, nullptr, MB_ERROR);
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
    *pResult = 0;
    const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    if (item.iItem < 0 || item.iItem >= GetRowCount())
        return;
    char szNumber[12];
    CEntryList::Text text{"", 0, szNumber, 0};
    switch (item.iSubItem)
    {
    case 0:
        text.nLength = static_cast<size_t>(std::snprintf(szNumber, sizeof(szNumber), "%d", item.iItem + 1));
        break;
    case 1:
        text = m_entries.GetText(item.iItem);
        break;
    case 2:
        text.pch = StatusWordFor(m_entries.IsCommented(item.iItem));
        text.nLength = std::strlen(text.pch);
        break;
    default:
        break;
    }
    CListCtrl::SetDispInfoText(pNMHDR, text.pchMark, text.nMark, text.pch, text.nLength, RowsCodePage());
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
    int nRow = bAll ? 0 : m_list.GetNextItem(-1, LVNI_SELECTED);
    while (nRow >= 0 && nRow < nRows)
    {
        int nNext = bAll ? (nRow + 1 < nRows ? nRow + 1 : -1) : m_list.GetNextItem(nRow, LVNI_SELECTED);
        bool bChanged = false;
        bStored = bCommented ? m_entries.Comment(nRow, &bChanged) : m_entries.Uncomment(nRow, &bChanged);
        if (!bStored)
            break;
        if (bChanged)
            m_bModified = 1;
        nRow = nNext;
    }
    ShowRows();
    if (!bStored)
        MessageBox(kOutOfMemory, nullptr, MB_ERROR);
}

void CMainDlg::OnCommentSelected()
{
    SetSelectedRowsCommented(true);
}

void CMainDlg::OnUncommentSelected()
{
    SetSelectedRowsCommented(false);
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
        line.Format("%s %s", OneLine(target).c_str(), OneLine(entry).c_str());
        nRow = AddLine(line);
        if (nRow >= 0)
            m_list.EnsureVisible(nRow, FALSE);
    }
    if (nRow < 0)
        MessageBox(kAddOutOfMemory, nullptr, MB_ERROR);
    return nRow >= 0;
}

void CMainDlg::OnRefresh()
{
    LoadHostsFile(CString());
}

bool CMainDlg::AskSaveIfModified()
{
    if (!m_bModified || MessageBox(kAskSave, nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    CHostsSaver::Result result = SaveChanges();
    return result == CHostsSaver::Saved || result == CHostsSaver::Declined;
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

LRESULT CMainDlg::OnHostsFolderChanged(WPARAM, LPARAM)
{
    // Once the folder has been quiet for a moment.
    m_bFollowPending = true;
    FollowLater(kQuietMilliseconds);
    return 0;
}

void CMainDlg::OnTimer(UINT nIDEvent, LPARAM)
{
    if (nIDEvent == kFollowTimer)
        FollowWhenIdle();
}

void CMainDlg::OnActivate(UINT nState, LPARAM)
{
    Default();
    // Back from the editor, say: what it wrote shows at once.
    if (LOWORD(nState) != WA_INACTIVE && m_bFollowPending)
        FollowLater(0);
}

void CMainDlg::OnEnable(UINT bEnable, LPARAM)
{
    Default();
    if (bEnable && m_bFollowPending)
        FollowLater(0);
}

void CMainDlg::FollowLater(UINT nDelay)
{
    ::SetTimer(m_hWnd, kFollowTimer, nDelay, nullptr);
}

void CMainDlg::FollowWhenIdle()
{
    ::KillTimer(m_hWnd, kFollowTimer);
    // Not in the middle of a save, nor under a dialog or message box, which
    // may be about the rows as they are.
    if (m_nSaving > 0 || !::IsWindowEnabled(m_hWnd))
    {
        m_bFollowPending = true;
        return;
    }
    m_bFollowPending = false;
    FollowHostsFile();
}

CHostsSaver::Followed CMainDlg::FollowHostsFile()
{
    if (m_bListFromBackup)
        return CHostsSaver::notFollowed;
    CHostsFiles files;
    CString path;
    files.GetHostsFilePath(path);
    // Most changes in the folder leave the file's bytes as they were (other
    // files, Tarnwick's own save): a digest read in small pieces tells,
    // without taking the memory of a whole copy.
    CContentDigest digest;
    if (DigestFile(path, digest) && digest == m_hostsDigest)
        return CHostsSaver::followedAll;
    if (!m_entries.HasChanges())
    {
        // Nothing to carry over: the file's lines take the place of the
        // list's, which go first (as for Refresh), so that only one file's
        // lines are ever held.
        CEntryList::LoadResult result;
        {
            CWaitCursor wait;
            result = m_entries.Load(path, &digest);
        }
        if (result == CEntryList::notOpened)
        {
            RetryFollowing(path);
            return CHostsSaver::notFollowed;
        }
        m_hostsDigest = result == CEntryList::loaded ? digest : CContentDigest();
        m_bModified = 0;
        ++m_nFollowed;
        ShowRows();
        TellLoadFailure(result);
        return result == CEntryList::loaded ? CHostsSaver::followedAll : CHostsSaver::notFollowed;
    }
    CEntryList theirs;
    CEntryList::LoadResult result;
    int nLost = 0;
    {
        CWaitCursor wait;
        result = theirs.Load(path, &digest, &m_hostsDigest);
        if (result == CEntryList::loaded)
            nLost = CarryChanges(m_entries, theirs);
    }
    if (result == CEntryList::unchanged)
        return CHostsSaver::followedAll;  // the same bytes again after all
    if (result != CEntryList::loaded)
    {
        RetryFollowing(path);
        return CHostsSaver::notFollowed;
    }
    if (nLost < 0)
    {
        MessageBox(kOutOfMemory, nullptr, MB_ERROR);
        return CHostsSaver::notFollowed;
    }
    // The list control keeps the first visible, focused and selected rows
    // by their numbers.
    m_entries.Swap(theirs);
    m_hostsDigest = digest;
    m_bModified = m_entries.HasChanges() ? 1 : 0;
    ++m_nFollowed;
    ShowRows();
    if (nLost == 0)
        return CHostsSaver::followedAll;
    CString message;
    message.Format(kChangesLost, nLost);
    MessageBox(message, nullptr, MB_ICONWARNING);
    return CHostsSaver::followedSome;
}

void CMainDlg::RetryFollowing(const CString& path)
{
    // Held by a program that shares it with no one, say: tried again. A
    // file that is gone leaves the list as it is.
    if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
    {
        m_bFollowPending = true;
        FollowLater(kRetryMilliseconds);
    }
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
    m_watcher.Stop();
    ::KillTimer(m_hWnd, kFollowTimer);
    Default();
}

void CMainDlg::OnSaveChanges()
{
    SaveChanges();
}

CHostsSaver::Result CMainDlg::SaveChanges()
{
    // The modified mark is cleared only once the rows are on disk, so that a
    // failed or declined save still asks on exit.
    CHostsSaver saver(*this, m_entries, [this] { return FollowHostsFile(); });
    ++m_nSaving;
    CHostsSaver::Result result = saver.Save(m_hostsDigest);
    --m_nSaving;
    if (result == CHostsSaver::Saved)
    {
        // The file now holds the rows: what changes from here on is new.
        m_bModified = 0;
        m_entries.MarkSaved();
        m_bListFromBackup = false;
    }
    if (m_bFollowPending)
        FollowLater(0);
    return result;
}

void CMainDlg::OnBackupNow()
{
    CHostsSaver saver(*this, m_entries);
    saver.Backup();
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
