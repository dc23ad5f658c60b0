#include "res/resource.h"
#include "SectionsBench.h"
#include "BenchSave.h"

#include <commctrl.h>

#include <cstdlib>

namespace
{
const int kSections = ID_EDIT_SECTIONS;
const int kSectionList = IDC_SECTION_LIST;
const int kSwitchOn = IDC_SWITCH_ON;
const int kSwitchOff = IDC_SWITCH_OFF;
const int kGoTo = IDC_GO_TO;
const int kMainList = IDC_HOSTS_LIST;


// A command run to its end on the window's thread, then painted.
void Run(HWND hDlg, int nID, HWND hMain)
{
    ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
    ::UpdateWindow(hMain);
    ::UpdateWindow(hDlg);
}
}

bool BenchSections(UiDriver& driver, HWND hMain, const std::function<void(const char*, const char*, double)>& record,
                   const std::function<bool(bool, const std::string&)>& check)
{
    double dStart = Seconds();
    driver.Command(hMain, kSections);
    HWND hDlg = nullptr;
    if (!check(WaitUntil([&] { return (hDlg = FindDialog(driver, "Sections")) != nullptr; }),
               "the Sections dialog did not open"))
        return false;
    HWND hSections = ::GetDlgItem(hDlg, kSectionList);
    ::UpdateWindow(hDlg);
    record("sections_open", "Sections dialog open (every section found)", Seconds() - dStart);

    // The largest section: the generated file's blocklist.
    int nLargest = -1;
    int nEntries = 0;
    for (int n = 0; n < UiDriver::RowCount(hSections); ++n)
    {
        int nCount = std::atoi(UiDriver::Cell(hSections, n, 1).c_str());
        if (nCount > nEntries)
            nLargest = n, nEntries = nCount;
    }
    bool bOk = check(nLargest >= 0, "the Sections dialog listed no section");
    if (bOk)
    {
        UiDriver::Select(hSections, {nLargest});
        dStart = Seconds();
        Run(hDlg, kSwitchOff, hMain);
        record("sections_off", "Switch Off, the largest section", Seconds() - dStart);
        bOk = check(UiDriver::Cell(hSections, nLargest, 2) == "Commented",
                    "after Switch Off: " + UiDriver::Cell(hSections, nLargest, 2));
        dStart = Seconds();
        Run(hDlg, kSwitchOn, hMain);
        record("sections_on", "Switch On, the largest section", Seconds() - dStart);
        bOk = check(UiDriver::Cell(hSections, nLargest, 2) == "Active",
                    "after Switch On: " + UiDriver::Cell(hSections, nLargest, 2)) && bOk;
    }
    if (!bOk)
    {
        driver.Command(hDlg, IDCANCEL);
        return false;
    }

    // Go To: until the main list has selected the section's entries.
    HWND hList = ::GetDlgItem(hMain, kMainList);
    dStart = Seconds();
    driver.Command(hDlg, kGoTo);
    bOk = check(WaitUntil([&] {
                    return !::IsWindow(hDlg) && ::SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0) == nEntries;
                }),
                "Go To did not select the section's entries");
    ::UpdateWindow(hMain);
    record("sections_goto", "Go To, the largest section (its entries selected)", Seconds() - dStart);
    return bOk;
}
