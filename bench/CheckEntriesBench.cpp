#include "CheckEntriesBench.h"

#include "BenchFollow.h"
#include "BenchResults.h"
#include "BenchSave.h"

#include "hosts/document/EntryList.h"
#include "hosts/review/EntryCheck.h"
#include "res/resource.h"
#include "TestFiles.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <thread>

namespace
{
int SelectedCount(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0));
}

void Run(HWND hWnd, int nID)
{
    ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0);
}
}

bool Put(const std::string& path, const std::string& bytes)
{
    for (int nTry = 0; nTry < 200; ++nTry, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
    {
        WriteBytes(path, bytes);
        if (ReadBytes(path) == bytes)
            return true;
    }
    return false;
}

std::string RepeatedBlocklist(int nLines)
{
    std::string blocklist = ReadBytes(std::string(TARNWICK_TEST_DATA) + "/real-blocklist-hosts.txt");
    std::string bytes;
    size_t nAt = 0;
    for (int n = 0; n < nLines && !blocklist.empty(); ++n)
    {
        size_t nEnd = blocklist.find('\n', nAt);
        if (nEnd == std::string::npos)
            nEnd = blocklist.size();
        bytes.append(blocklist, nAt, nEnd - nAt).append("\r\n");
        nAt = nEnd + 1 >= blocklist.size() ? 0 : nEnd + 1;
    }
    return bytes;
}

std::string BenchCheckEntries(UiDriver& driver, HWND hMain, HWND hList, int nLines, const BenchAdd& add)
{
    const std::string hostsPath = SystemHostsPath();
    const std::string before = ReadBytes(hostsPath);
    const std::string lines = std::to_string(nLines) + " lines";
    const int nRowsBefore = UiDriver::RowCount(hList);
    if (!Put(hostsPath, RepeatedBlocklist(nLines)))
        return "the blocklist file could not be written";

    // What the window must find: the rules run here on the same file, which
    // also times them without a window.
    CEntryList list;
    if (list.Load(hostsPath.c_str()) != CEntryList::loaded)
        return "the blocklist file could not be loaded";
    CEntryCheck check;
    double dStart = Seconds();
    if (!check.Run(list))
        return "the check ran out of memory";
    add("check_rules", "Check Entries, blocklist x" + lines + ": the rules alone, no window", Seconds() - dStart);
    int nProblemRows = 0;
    for (size_t n = 0; n < check.GetCount(); ++n)
        nProblemRows += n == 0 || check.GetRow(n) != check.GetRow(n - 1);
    if (!WaitUntil([&] { return UiDriver::RowCount(hList) == list.GetCount(); }))
        return "the list never followed the blocklist file";
    // Every line of the file is gone: a wipe, whose box is answered and whose
    // backup is removed.
    AnswerBoxes(driver, hMain);

    dStart = Seconds();
    Run(hMain, ID_VIEW_REFRESH);
    ::UpdateWindow(hMain);
    add("check_load", "Check Entries, blocklist x" + lines + ": loading it (Refresh)", Seconds() - dStart);

    double dMemory = ProcessMemory().dPrivateMB;
    dStart = Seconds();
    driver.Command(hMain, ID_EDIT_CHECK_ENTRIES);
    HWND hDlg = nullptr;
    if (!WaitUntil([&] { return (hDlg = FindDialog(driver, "Check Entries")) != nullptr; }))
        return "the Check Entries dialog did not open";
    HWND hProblems = ::GetDlgItem(hDlg, IDC_PROBLEM_LIST);
    // A list this long has the stalling row first.
    const int nStall = check.GetActiveEntryLines() >= CEntryCheck::kStallingEntries ? 1 : 0;
    if (!WaitUntil([&] { return UiDriver::RowCount(hProblems) == static_cast<int>(check.GetCount()) + nStall; }))
        return "the dialog never listed " + std::to_string(check.GetCount()) + " problems";
    ::UpdateWindow(hDlg);
    add("check_open", "Check Entries, blocklist x" + lines + ": check and dialog open (" +
                          std::to_string(check.GetCount()) + " problems)",
        Seconds() - dStart);
    add("check_memory", "Check Entries, blocklist x" + lines + ": memory held with the dialog open (MB)",
        ProcessMemory().dPrivateMB - dMemory);
    if (UiDriver::Cell(hProblems, nStall, 0) != std::to_string(check.GetRow(0) + 1) ||
        UiDriver::Cell(hProblems, nStall, 1) != check.GetText(list, 0).c_str())
        return "the dialog's first problem: " + UiDriver::Cell(hProblems, nStall, 1);

    dStart = Seconds();
    driver.Command(hDlg, IDC_SELECT_PROBLEM_ROWS);
    if (!WaitUntil([&] { return !::IsWindow(hDlg) && SelectedCount(hList) == nProblemRows; }))
        return "Select Rows selected " + std::to_string(SelectedCount(hList)) + " rows, not " +
               std::to_string(nProblemRows);
    driver.Sync(hMain);
    ::UpdateWindow(hMain);
    add("check_select_rows", "Check Entries, blocklist x" + lines + ": Select Rows (" + std::to_string(nProblemRows) +
                                 " rows)",
        Seconds() - dStart);
    // Exactly the rows with a problem, in their order.
    int nSelected = -1;
    for (size_t n = 0; n < check.GetCount(); ++n)
        if ((n == 0 || check.GetRow(n) != check.GetRow(n - 1)) &&
            (nSelected = static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(nSelected),
                                                         LVNI_SELECTED))) != check.GetRow(n))
            return "Select Rows selected row " + std::to_string(nSelected + 1) + ", not " + std::to_string(check.GetRow(n) + 1);

    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    dStart = Seconds();
    Run(hMain, ID_EDIT_SELECT_ALL);
    ::UpdateWindow(hMain);
    add("check_select_all", "Check Entries, blocklist x" + lines + ": Select All on the same list", Seconds() - dStart);
    if (SelectedCount(hList) != list.GetCount())
        return "Select All selected " + std::to_string(SelectedCount(hList)) + " rows";

    if (!Put(hostsPath, before))
        return "the hosts file could not be put back";
    Run(hMain, ID_VIEW_REFRESH);
    AnswerBoxes(driver, hMain);
    if (UiDriver::RowCount(hList) != nRowsBefore)
        return "the list did not take the hosts file back";
    return std::string();
}
