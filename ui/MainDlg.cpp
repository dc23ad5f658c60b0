#include "ui/MainDlg.h"

#include "app/AppSettings.h"
#include "framework/CPaintDC.h"
#include "framework/CWaitCursor.h"
#include "framework/CWinApp.h"
#include "hosts/CommentRules.h"
#include "hosts/HostsFileWriter.h"
#include "hosts/HostsFiles.h"
#include "hosts/HostsLineReader.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/EntryDlg.h"
#include "ui/RestoreDlg.h"
#include "ui/ShellHandoff.h"
#include "ui/SystemError.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace
{
const char kAskSave[] = "Would you like to save the changes?";
const char kBackedUpAskSave[] =
    "Current Hosts File Backed Up Successfully as [%s].\nPlease Press Yes to continue start Saving the Changes made.";
const char kSaved[] = "Changes have been saved successfully.";
const char kSaveFailedAccess[] =
    "Failed to Save Changes.\nError : %sPlease try running the application as administrator.";
const char kSaveFailed[] = "Failed to Save Changes.\nError : %s";
const char kSaveBackupFailed[] =
    "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : %s";
const char kBackedUp[] = "Current Hosts File Backed Up Successfully as [%s].";
const char kBackupFailed[] = "Failed to Backup Current Hosts File.\nError : %s";
const char kPutBackFailed[] =
    "\nThe hosts file may be incomplete: putting back the copy made before saving failed too.\nError : %s"
    "Please restore it from [%s].";
const char kLoadOutOfMemory[] = "Not enough memory to load the hosts file.";
const char kAddOutOfMemory[] = "Not enough memory to add the entry.";
const char kNoList[] = "Failed to create the list of the hosts file's lines.\nError : %s";
const char kRestoreLoading[] =
    "The Selected Old Hosts File will now be loaded into the main screen.\n"
    "You can complete the Restore by Pressing Save Changes Button on the main screen.";

const UINT MB_CONFIRM = MB_YESNO | MB_ICONINFORMATION;
const UINT MB_NOTE = MB_ICONINFORMATION;
const UINT MB_ERROR = MB_ICONERROR;

// A line feed or carriage return in a new entry would split it into two
// lines of the file: both become spaces.
CString OneLine(CString text)
{
    text.Replace('\r', ' ');
    text.Replace('\n', ' ');
    return text;
}

// Whether a row's number, written as the "Sr No" cell shows it, is the wanted
// text (bPartial: begins with it).
bool NumberMatches(int nNumber, const char* pszWanted, int nWanted, bool bPartial)
{
    char szDigits[12];  // backwards
    int nLength = 0;
    do
    {
        szDigits[nLength++] = static_cast<char>('0' + nNumber % 10);
        nNumber /= 10;
    } while (nNumber);
    if (nWanted > nLength || (!bPartial && nWanted != nLength))
        return false;
    for (int n = 0; n < nWanted; ++n)
        if (szDigits[nLength - 1 - n] != pszWanted[n])
            return false;
    return true;
}

// LVFI_SUBSTRING, the same as LVFI_PARTIAL since Windows Vista; not in every
// SDK's headers.
const UINT kFindSubstring = 0x0004;

// The answer a list control gives to a search of its first column, for the
// rows that it asks the window about: the first row from nStart whose number
// matches, then (LVFI_WRAP) from the first row up to nStart; -1 when none
// does. The text is matched whole or, with LVFI_PARTIAL or LVFI_SUBSTRING, as
// a prefix, without regard to case, which digits do not have. The rows carry
// no item data, so a search by LVFI_PARAM finds none.
template <typename Char>
int FindRowByNumber(const Char* pszWanted, UINT nFlags, int nStart, int nRows)
{
    if ((nFlags & LVFI_PARAM) || !(nFlags & (LVFI_STRING | LVFI_PARTIAL | kFindSubstring)) || !pszWanted)
        return -1;
    bool bPartial = (nFlags & (LVFI_PARTIAL | kFindSubstring)) != 0;
    // Numbers are at most ten digits; any other character matches no row.
    char szWanted[10];
    int nWanted = 0;
    for (; pszWanted[nWanted]; ++nWanted)
    {
        if (nWanted == 10 || pszWanted[nWanted] < '0' || pszWanted[nWanted] > '9')
            return -1;
        szWanted[nWanted] = static_cast<char>(pszWanted[nWanted]);
    }

    if (nStart < 0 || nStart > nRows)
        nStart = 0;
    for (int nRow = nStart; nRow < nRows; ++nRow)
        if (NumberMatches(nRow + 1, szWanted, nWanted, bPartial))
            return nRow;
    if (nFlags & LVFI_WRAP)
        for (int nRow = 0; nRow < nStart; ++nRow)
            if (NumberMatches(nRow + 1, szWanted, nWanted, bPartial))
                return nRow;
    return -1;
}
}

// Rows change in bulk while this lives, and the list is not told of each one.
// When it ends, also through an exception, the list is brought to what m_rows
// holds, so that it always shows exactly the rows that a save would write.
class CMainDlg::CRowBatch
{
public:
    explicit CRowBatch(CMainDlg& dlg) : m_dlg(dlg) { m_dlg.m_bBatch = true; }
    ~CRowBatch()
    {
        m_dlg.m_bBatch = false;
        m_dlg.ShowRows();
    }
    CRowBatch(const CRowBatch&) = delete;
    CRowBatch& operator=(const CRowBatch&) = delete;

private:
    CMainDlg& m_dlg;
};

size_t CMainDlg::s_nRowLimitForTesting = static_cast<size_t>(-1);

BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_COMMAND(IDC_ADD_NEW_ENTRY, OnAddNewEntry)
    ON_COMMAND(IDC_COMMENT_SELECTED, OnCommentSelected)
    ON_COMMAND(IDC_UNCOMMENT_SELECTED, OnUncommentSelected)
    ON_COMMAND(IDC_SAVE_CHANGES, OnSaveChanges)
    ON_COMMAND(ID_FILE_ADD_NEW_ENTRY, OnAddNewEntry)
    ON_COMMAND(ID_FILE_BACKUP_NOW, OnBackupNow)
    ON_COMMAND(ID_FILE_RESTORE, OnRestore)
    ON_COMMAND(ID_FILE_SAVE_CHANGES, OnSaveChanges)
    ON_COMMAND(ID_FILE_EXIT, OnFileExit)
    ON_COMMAND(ID_VIEW_REFRESH, OnRefresh)
    ON_COMMAND(ID_VIEW_HOSTS_FILE, OnViewHostsFile)
    ON_COMMAND(ID_VIEW_BACKUP_FOLDER, OnViewBackupFolder)
    ON_COMMAND(ID_HELP_PRODUCT_HOMEPAGE, OnProductHomePage)
    ON_COMMAND(ID_HELP_CONTACT_US, OnContactUs)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_HOSTS_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_HOSTS_LIST, OnGetDispInfoW)
    ON_NOTIFY(LVN_ODFINDITEMA, IDC_HOSTS_LIST, OnFindItem)
    ON_NOTIFY(LVN_ODFINDITEMW, IDC_HOSTS_LIST, OnFindItemW)
END_MESSAGE_MAP()

CMainDlg::CMainDlg() : CDialog(IDD_MAIN), m_bModified(0), m_bBatch(false)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HOSTS_LIST, m_list);
}

BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CMenu sysMenu = GetSystemMenu(FALSE);
    if (sysMenu.m_hMenu)
    {
        char szAbout[256] = "";
        ::LoadStringA(AfxGetInstanceHandle(), IDS_ABOUTBOX, szAbout, sizeof(szAbout));
        if (szAbout[0])
        {
            sysMenu.AppendMenu(MF_SEPARATOR);
            sysMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, szAbout);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (!m_list.RecreateAsOwnerData())
    {
        // The rows would be saved but never shown: better not to open.
        CSystemError error = CSystemError::FromLastError();
        CString message;
        message.Format(kNoList, error.GetText());
        MessageBox(message, nullptr, MB_ERROR);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_list.InsertColumn(0, "Sr No", LVCFMT_LEFT, 70);
    m_list.InsertColumn(1, "Data", LVCFMT_LEFT, 350);
    m_list.InsertColumn(2, "Status", LVCFMT_LEFT, 100);

    CAppSettings settings;
    settings.MarkRunning();

    LoadHostsFile(CString());
    return TRUE;
}

void CMainDlg::LoadHostsFile(const CString& path)
{
    // A file is loaded whole or not at all: a list missing some lines would
    // save a shortened hosts file.
    bool bComplete = true;
    {
        CWaitCursor wait;
        ClearRows();

        CString file = path;
        if (file.IsEmpty())
        {
            CHostsFiles files;
            files.GetHostsFilePath(file);
        }
        try
        {
            CRowBatch batch(*this);
            ReadHostsLines(file, [this](const CString& line) {
                if (AddLine(line) < 0)
                    throw std::bad_alloc();  // stops the reading
            });
        }
        catch (const std::bad_alloc&)
        {
            bComplete = false;
            ClearRows();
        }
    }
    if (!bComplete)
        MessageBox(kLoadOutOfMemory, nullptr, MB_ERROR);
}

int CMainDlg::AddLine(const CString& text)
{
    int nRow = GetRowCount();
    try
    {
        if (m_rows.size() >= s_nRowLimitForTesting)
            throw std::bad_alloc();
        m_rows.push_back(Row{text, false});
    }
    catch (const std::bad_alloc&)
    {
        return -1;
    }
    if (!m_bBatch)
        m_list.SetItemCountEx(GetRowCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    UpdateStatus(nRow, text);
    return nRow;
}

void CMainDlg::UpdateStatus(int nRow, const CString& text)
{
    if (nRow < 0)
        return;
    m_rows[static_cast<size_t>(nRow)].bCommented = IsCommented(text);
    if (!m_bBatch)
        m_list.RedrawItems(nRow, nRow);
}

void CMainDlg::ClearRows()
{
    m_list.DeleteAllItems();
    std::vector<Row>().swap(m_rows);
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

void CMainDlg::GetCellText(int nRow, int nColumn, char* pszBuffer, int nMax) const
{
    if (nMax <= 0)
        return;
    pszBuffer[0] = '\0';
    if (nRow < 0 || nRow >= GetRowCount())
        return;
    const Row& row = m_rows[static_cast<size_t>(nRow)];
    switch (nColumn)
    {
    case 0:
        std::snprintf(pszBuffer, static_cast<size_t>(nMax), "%d", nRow + 1);
        break;
    case 1:
        ::lstrcpynA(pszBuffer, row.text, nMax);
        break;
    case 2:
        ::lstrcpynA(pszBuffer, row.bCommented ? "Commented" : "Active", nMax);
        break;
    default:
        break;
    }
}

void CMainDlg::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    if ((item.mask & LVIF_TEXT) && item.pszText)
        GetCellText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
    *pResult = 0;
}

void CMainDlg::OnGetDispInfoW(NMHDR* pNMHDR, LRESULT* pResult)
{
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR)->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
    {
        CString text;
        int nMax = GetRowCount() > item.iItem && item.iSubItem == 1
                       ? GetRowText(item.iItem).GetLength() + 1
                       : 32;
        GetCellText(item.iItem, item.iSubItem, text.GetBuffer(nMax), nMax);
        text.ReleaseBuffer();
        int nWritten = ::MultiByteToWideChar(CP_ACP, 0, text, -1, item.pszText, item.cchTextMax);
        if (nWritten == 0)
            item.pszText[item.cchTextMax - 1] = L'\0';
    }
    *pResult = 0;
}

void CMainDlg::OnFindItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLVFINDITEMA* pFind = reinterpret_cast<NMLVFINDITEMA*>(pNMHDR);
    *pResult = FindRowByNumber(pFind->lvfi.psz, pFind->lvfi.flags, pFind->iStart, GetRowCount());
}

void CMainDlg::OnFindItemW(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLVFINDITEMW* pFind = reinterpret_cast<NMLVFINDITEMW*>(pNMHDR);
    *pResult = FindRowByNumber(pFind->lvfi.psz, pFind->lvfi.flags, pFind->iStart, GetRowCount());
}

void CMainDlg::SetSelectedRowsCommented(bool bCommented)
{
    // Each selected row exactly once, in ascending order: the next selected
    // row is found before the current one is touched. Rows already in the
    // wanted state are left alone; the list repaints once at the end.
    CRowBatch batch(*this);
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (nRow != -1)
    {
        int nNext = m_list.GetNextItem(nRow, LVNI_SELECTED);
        const CString& text = GetRowText(nRow);
        if (IsCommented(text) != bCommented)
        {
            CString changed = bCommented ? CommentLine(text) : UncommentLine(text);
            SetRowText(nRow, changed);
            UpdateStatus(nRow, changed);
            m_bModified = 1;
        }
        nRow = nNext;
    }
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
    CEntryDlg dlg;
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
    if (m_bModified && MessageBox(kAskSave, nullptr, MB_YESNO | MB_ICONQUESTION) == IDYES)
        return SaveChanges() != Failed;
    return true;
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
        CWaitCursor wait;
        ClearRows();
    }
    CDialog::OnCancel();
}

void CMainDlg::OnClose()
{
    OnCancel();
}

void CMainDlg::OnFileExit()
{
    OnCancel();
}

void CMainDlg::OnDestroy()
{
    CAppSettings settings;
    settings.MarkStopped();
    Default();
}

void CMainDlg::OnSaveChanges()
{
    SaveChanges();
}

CMainDlg::SaveResult CMainDlg::SaveChanges()
{
    // The modified mark is cleared only once the rows are on disk, so that a
    // failed or declined save still asks on exit.
    CHostsFiles files;
    CString backupPath;
    if (!files.BackupHostsFile(backupPath))
    {
        CSystemError error = CSystemError::FromLastError();
        CString message;
        message.Format(kSaveBackupFailed, error.GetText());
        MessageBox(message, nullptr, MB_ERROR);
        return Failed;
    }

    CString question;
    question.Format(kBackedUpAskSave, backupPath.c_str());
    if (MessageBox(question, nullptr, MB_CONFIRM) != IDYES)
        return Declined;

    // The copy is the way back should the write fail or the machine stop in
    // the middle of it, so it goes to disk before the hosts file is opened.
    // A write reports success only once the new lines are on disk too.
    bool bOpened = false;
    if (FlushFileToDisk(backupPath) && WriteHostsFile(&bOpened))
    {
        m_bModified = 0;
        MessageBox(kSaved, nullptr, MB_NOTE);
        return Saved;
    }

    CSystemError error = CSystemError::FromLastError();
    CString message;
    message.Format(error.GetCode() == ERROR_ACCESS_DENIED ? kSaveFailedAccess : kSaveFailed, error.GetText());
    if (bOpened)
    {
        // The write failed part way: put back the copy made a moment ago, so
        // that a failed save never leaves a truncated hosts file. If that
        // fails too, the user must know where the old lines are.
        CString hostsPath;
        files.GetHostsFilePath(hostsPath);
        if (!::CopyFileA(backupPath, hostsPath, FALSE) || !FlushFileToDisk(hostsPath))
        {
            CSystemError putBackError = CSystemError::FromLastError();
            CString note;
            note.Format(kPutBackFailed, putBackError.GetText(), backupPath.c_str());
            message += note;
        }
    }
    MessageBox(message, nullptr, MB_ERROR);
    return Failed;
}

BOOL CMainDlg::WriteHostsFile(bool* pbOpened)
{
    CWaitCursor wait;
    CHostsFiles files;
    CString path;
    files.GetHostsFilePath(path);
    size_t nNext = 0;
    return WriteHostsLines(
        path,
        [this, &nNext](CString& text) {
            if (nNext >= m_rows.size())
                return false;
            text = m_rows[nNext++].text;
            return true;
        },
        pbOpened);
}

void CMainDlg::OnBackupNow()
{
    CHostsFiles files;
    CString backupPath;
    CString message;
    if (files.BackupHostsFile(backupPath))
    {
        message.Format(kBackedUp, backupPath.c_str());
        MessageBox(message, nullptr, MB_NOTE);
    }
    else
    {
        CSystemError error = CSystemError::FromLastError();
        message.Format(kBackupFailed, error.GetText());
        MessageBox(message, nullptr, MB_ERROR);
    }
}

void CMainDlg::OnRestore()
{
    CRestoreDlg dlg;
    if (dlg.DoModal() == IDOK)
    {
        MessageBox(kRestoreLoading, nullptr, MB_NOTE);
        LoadHostsFile(dlg.m_strSelectedPath);
    }
}

void CMainDlg::OnViewHostsFile()
{
    CHostsFiles files;
    CString path;
    files.GetHostsFilePath(path);
    OpenInEditor(path);
}

void CMainDlg::OnViewBackupFolder()
{
    CHostsFiles files;
    CString folder;
    files.GetBackupFolder(folder);
    ShellOpen(folder);
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
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
    {
        CAboutDlg dlg;
        dlg.DoModal();
    }
    else
    {
        Default();
    }
}

int CenteredIconOffset(int nClientExtent, int nIconExtent)
{
    return (nClientExtent - nIconExtent + 1) / 2;
}

void CMainDlg::OnPaint()
{
    if (!IsIconic())
    {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = CenteredIconOffset(rect.right - rect.left, cxIcon);
    int y = CenteredIconOffset(rect.bottom - rect.top, cyIcon);
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CMainDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
