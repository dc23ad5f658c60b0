#include "ui/SectionsDlg.h"

#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "res/resource.h"

namespace
{
const char kNoSections[] =
    "This hosts file has no sections.\n"
    "A section is a comment line naming the entries that follow it, up to the next such line or a blank line.";
}

BEGIN_MESSAGE_MAP(CSectionsDlg, CDialog)
    ON_COMMAND(IDC_SWITCH_ON, OnSwitchOn)
    ON_COMMAND(IDC_SWITCH_OFF, OnSwitchOff)
    ON_COMMAND(IDC_GO_TO, OnGoTo)
    ON_NOTIFY(NM_DBLCLK, IDC_SECTION_LIST, OnDblClk)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_SECTION_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_SECTION_LIST, OnGetDispInfo)
END_MESSAGE_MAP()

CSectionsDlg::CSectionsDlg(CWnd* pOwner, CListCtrl& rows, CEntryList& entries, int& bModified)
    : CDialog(IDD_SECTIONS, pOwner), m_rows(rows), m_entries(entries), m_bModified(bModified)
{
}

void CSectionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SECTION_LIST, m_list);
}

void CSectionsDlg::Open()
{
    bool bFound = false;
    {
        CWaitCursor wait;
        bFound = m_sections.Find(m_entries);
    }
    if (!bFound)
        m_pParentWnd->MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
    else if (m_sections.GetCount() == 0)
        m_pParentWnd->MessageBox(kNoSections, nullptr, MB_ICONINFORMATION);
    else if (DoModal() == IDOK && m_nChosen >= 0)
        SelectInRows(m_nChosen);
}

BOOL CSectionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Headings are shown in the rows' encoding, which may be UTF-8.
    m_list.SetUnicodeFormat(TRUE);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // Widths in pixels at 100 %, at the dialog's DPI.
    m_list.InsertColumn(0, "Section", LVCFMT_LEFT, AfxScaleForDpi(300, m_nDpi));
    m_list.InsertColumn(1, "Entries", LVCFMT_LEFT, AfxScaleForDpi(70, m_nDpi));
    m_list.InsertColumn(2, "Status", LVCFMT_LEFT, AfxScaleForDpi(100, m_nDpi));
    m_list.SetItemCountEx(m_sections.GetCount(), 0);
    return TRUE;
}

void CSectionsDlg::OnDpiChanged(UINT nOldDpi, UINT nNewDpi)
{
    m_list.RescaleColumns(nOldDpi, nNewDpi);
}

void CSectionsDlg::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    CListCtrl::CDispCell cell(pNMHDR, pResult, static_cast<size_t>(m_sections.GetCount()));
    if (!cell)
        return;
    const CSections::Section& section = m_sections.GetSection(cell.nRow);
    if (cell.nColumn == 0)
    {
        CSections::Heading text = CSections::HeadingText(m_entries, section.nHeading);
        cell.SetText(text.pch, text.nLength, m_entries.IsUtf8() ? CP_UTF8 : CP_ACP);
    }
    else if (cell.nColumn == 1)
    {
        cell.SetNumber(section.nEntries);
    }
    else if (cell.nColumn == 2)
    {
        cell.SetString(CSections::StatusText(m_sections.GetStatus(cell.nRow)));
    }
}

void CSectionsDlg::SwitchSelected(bool bOn)
{
    bool bStored = true;
    bool bChanged = false;
    {
        CWaitCursor wait;
        // Each press is one step; without memory for it, not done at all.
        m_entries.BeginStep();
        for (int nSection = m_list.GetNextItem(-1, LVNI_SELECTED); nSection >= 0 && bStored;
             nSection = m_list.GetNextItem(nSection, LVNI_SELECTED))
        {
            bool bSectionChanged = false;
            bStored = m_sections.Switch(m_entries, nSection, bOn, &bSectionChanged);
            bChanged = bChanged || bSectionChanged;
        }
        if (bStored)
        {
            m_entries.EndStep();
        }
        else
        {
            m_entries.CancelStep();
            bChanged = false;
            m_sections.Find(m_entries);  // the counts as the rows are again
        }
    }
    if (bChanged)
    {
        // The main list asks for the cells it shows anew.
        m_bModified = 1;
        m_rows.Invalidate(FALSE);
    }
    m_list.Invalidate(FALSE);
    if (!bStored)
        MessageBox(kOutOfMemoryText, nullptr, MB_ICONERROR);
}

void CSectionsDlg::OnGoTo()
{
    GoTo(m_list.GetNextItem(-1, LVNI_SELECTED));
}

void CSectionsDlg::OnOK()
{
    OnGoTo();
}

void CSectionsDlg::OnDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    // The section double-clicked; none on the empty part of the list.
    *pResult = 0;
    GoTo(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem);
}

void CSectionsDlg::GoTo(int nSection)
{
    if (nSection < 0 || nSection >= m_sections.GetCount())
        return;
    m_nChosen = nSection;
    EndDialog(IDOK);
}

void CSectionsDlg::SelectInRows(int nSection)
{
    // The section's entries, which gaps (punctuation comments and the like)
    // may part into thousands of runs; the heading is focused, not selected.
    const CSections::Section& section = m_sections.GetSection(nSection);
    CWaitCursor wait;
    m_rows.SelectOnlyRows(section.nHeading + 1, section.nEnd, [this](int nRow) { return m_sections.IsEntry(nRow); },
                          section.nHeading);
    m_pParentWnd->SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_rows.m_hWnd), TRUE);
}
