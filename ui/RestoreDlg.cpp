#include "ui/RestoreDlg.h"

#include "framework/Dpi.h"
#include "hosts/disk/Locations.h"
#include "res/resource.h"
#include "ui/ShellHandoff.h"

namespace
{
const char kSelectToRestore[] =
    "Please Select the appropriate Backed Up Hosts File from the List above to Restore From";
const char kSelectToView[] = "Please Select the appropriate Backed Up Hosts File from the List above to View";
}

BEGIN_MESSAGE_MAP(CRestoreDlg, CDialog)
    ON_COMMAND(IDC_RESTORE, OnRestore)
    ON_COMMAND(IDC_VIEW_FILE, OnViewFile)
END_MESSAGE_MAP()

CRestoreDlg::CRestoreDlg() : CDialog(IDD_RESTORE)
{
}

void CRestoreDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BACKUP_LIST, m_list);
}

BOOL CRestoreDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Widths in pixels at 100 %, at the dialog's DPI.
    m_list.InsertColumn(0, "Sr No", LVCFMT_LEFT, AfxScaleForDpi(70, m_nDpi));
    m_list.InsertColumn(1, "File Name", LVCFMT_LEFT, AfxScaleForDpi(400, m_nDpi));

    CHostsFiles files;
    files.GetBackupFolder(m_strBackupFolder);
    m_list.SetRedraw(FALSE);  // one repaint for the whole list
    Walk(m_strBackupFolder, "*.*", true);
    m_list.SetRedraw(TRUE);
    return TRUE;
}

void CRestoreDlg::OnDpiChanged(UINT nOldDpi, UINT nNewDpi)
{
    m_list.RescaleColumns(nOldDpi, nNewDpi);
}

void CRestoreDlg::OnFile(const CString& path)
{
    int nRow = m_list.GetItemCount();
    CString number;
    number.Format("%d", nRow + 1);
    // The path relative to the backup folder: the folder's text taken out,
    // then the backslash that followed it.
    CString relative = path;
    relative.Replace(m_strBackupFolder, "");
    relative = relative.Right(relative.GetLength() - 1);
    nRow = m_list.InsertItem(nRow, number);
    m_list.SetItemText(nRow, 1, relative);
}

bool CRestoreDlg::GetSelectedPath(CString& path) const
{
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nRow < 0)
        return false;
    path.Format("%s\\%s", m_strBackupFolder.c_str(), m_list.GetItemText(nRow, 1).c_str());
    return true;
}

void CRestoreDlg::OnRestore()
{
    CString path;
    if (!GetSelectedPath(path))
    {
        MessageBox(kSelectToRestore, nullptr, MB_ICONINFORMATION);
        return;
    }
    m_strSelectedPath = path;
    CDialog::OnOK();
}

void CRestoreDlg::OnOK()
{
    OnRestore();
}

void CRestoreDlg::OnViewFile()
{
    CString path;
    if (!GetSelectedPath(path))
    {
        MessageBox(kSelectToView, nullptr, MB_ICONINFORMATION);
        return;
    }
    OpenInEditor(path);
}
