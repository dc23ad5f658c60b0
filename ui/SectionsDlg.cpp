#include "ui/SectionsDlg.h"

#include "framework/CWaitCursor.h"
#include "framework/Dpi.h"
#include "res/resource.h"

#include <cstdio>
#include <cstring>

namespace
{
const char kNoSections[] =
    "This hosts file has no sections.\n"
    "A section is a comment line naming the entries that follow it, up to the next such line or a blank line.";
const char kOutOfMemory[] = "Not enough memory to complete the operation.";
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
        m_pParentWnd->MessageBox(kOutOfMemory, nullptr, MB_ICONERROR);
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
    *pResult = 0;
    const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    if (item.iItem < 0 || item.iItem >= m_sections.GetCount())
        return;
    const CSections::Section& section = m_sections.GetSection(item.iItem);
    char szCount[12];
    CSections::Heading text{szCount, 0};
    switch (item.iSubItem)
    {
    case 0:
        text = CSections::HeadingText(m_entries, section.nHeading);
        break;
    case 1:
        text.nLength = static_cast<size_t>(std::snprintf(szCount, sizeof(szCount), "%d", section.nEntries));
        break;
    case 2:
        text.pch = CSections::StatusText(m_sections.GetStatus(item.iItem));
        text.nLength = std::strlen(text.pch);
        break;
    default:
        break;
    }
    CListCtrl::SetDispInfoText(pNMHDR, text.pch, text.nLength, m_entries.IsUtf8() ? CP_UTF8 : CP_ACP);
}

void CSectionsDlg::SwitchSelected(bool bOn)
{
    bool bStored = true;
    bool bChanged = false;
    {
        CWaitCursor wait;
        for (int nSection = m_list.GetNextItem(-1, LVNI_SELECTED); nSection >= 0 && bStored;
             nSection = m_list.GetNextItem(nSection, LVNI_SELECTED))
        {
            bool bSectionChanged = false;
            bStored = m_sections.Switch(m_entries, nSection, bOn, &bSectionChanged);
            bChanged = bChanged || bSectionChanged;
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
        MessageBox(kOutOfMemory, nullptr, MB_ICONERROR);
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
    // The list keeps its selection as runs of rows. Wine's list looks
    // through every run for each row selected, so that selecting the
    // entries of a section with thousands of gaps (punctuation comments)
    // one by one took minutes at a million rows; selecting every row and
    // taking out the rows around the entries costs a row each. The cheaper
    // way is taken, with the list's states changed in bulk (one repaint at
    // the end: Wine's list repaints row by row otherwise).
    const CSections::Section& section = m_sections.GetSection(nSection);
    const int nRows = m_rows.GetItemCount();
    const long long nSpan = section.nEnd - section.nHeading - 1;
    const long long nGaps = nSpan - section.nEntries;
    const bool bOneByOne = section.nEntries * (nGaps + 1) <= nRows - nSpan + nGaps;
    CWaitCursor wait;
    {
        CListCtrl::CBulkStates bulk(m_rows);
        m_rows.SetItemState(-1, bOneByOne ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        if (bOneByOne)
        {
            for (int nRow = section.nHeading + 1; nRow < section.nEnd; ++nRow)
                if (m_sections.IsEntry(nRow))
                    m_rows.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
        }
        else
        {
            // From the ends of the run of every row inwards, so that each row
            // taken out shortens or splits the run that starts the selection.
            for (int nRow = 0; nRow <= section.nHeading; ++nRow)
                m_rows.SetItemState(nRow, 0, LVIS_SELECTED);
            for (int nRow = nRows - 1; nRow >= section.nEnd; --nRow)
                m_rows.SetItemState(nRow, 0, LVIS_SELECTED);
            for (int nRow = section.nEnd - 1; nRow > section.nHeading; --nRow)
                if (!m_sections.IsEntry(nRow))
                    m_rows.SetItemState(nRow, 0, LVIS_SELECTED);
        }
        m_rows.SetItemState(section.nHeading, LVIS_FOCUSED, LVIS_FOCUSED);
        // Shift with a click or an arrow key extends the selection from here.
        m_rows.SendMessage(LVM_SETSELECTIONMARK, 0, section.nHeading);
    }
    m_rows.EnsureVisible(section.nHeading, FALSE);
    m_pParentWnd->SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_rows.m_hWnd), TRUE);
}
