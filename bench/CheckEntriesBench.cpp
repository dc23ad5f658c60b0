#include "CheckEntriesBench.h"

#include "BenchFollow.h"

#include "hosts/document/EntryList.h"
#include "hosts/review/EntryCheck.h"
#include "res/resource.h"
#include "TestFiles.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <thread>

namespace
{
const double kTimeout = 600;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

template <typename Pred>
bool Wait(Pred pred)
{
    for (double dEnd = Now() + kTimeout; Now() < dEnd; std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        if (pred())
            return true;
    return false;
}

double PrivateMB()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage / 1048576.0;
}

int SelectedCount(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0));
}

void Run(HWND hWnd, int nID)
{
    ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0);
}

}

HWND FindCheckDialog(UiDriver& driver)
{
    for (HWND hWnd : driver.Windows())
    {
        char szText[32] = "";
        ::GetWindowTextA(hWnd, szText, sizeof(szText));
        if (std::string(szText) == "Check Entries" && !::GetMenu(hWnd))
            return hWnd;
    }
    return nullptr;
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
    double dStart = Now();
    if (!check.Run(list))
        return "the check ran out of memory";
    add("check_rules", "Check Entries, blocklist x" + lines + ": the rules alone, no window", Now() - dStart);
    int nProblemRows = 0;
    for (size_t n = 0; n < check.GetCount(); ++n)
        nProblemRows += n == 0 || check.GetRow(n) != check.GetRow(n - 1);
    if (!Wait([&] { return UiDriver::RowCount(hList) == list.GetCount(); }))
        return "the list never followed the blocklist file";
    // Every line of the file is gone: a wipe, whose box is answered and whose
    // backup is removed.
    AnswerBoxes(driver, hMain);

    dStart = Now();
    Run(hMain, ID_VIEW_REFRESH);
    ::UpdateWindow(hMain);
    add("check_load", "Check Entries, blocklist x" + lines + ": loading it (Refresh)", Now() - dStart);

    double dMemory = PrivateMB();
    dStart = Now();
    driver.Command(hMain, ID_EDIT_CHECK_ENTRIES);
    HWND hDlg = nullptr;
    if (!Wait([&] { return (hDlg = FindCheckDialog(driver)) != nullptr; }))
        return "the Check Entries dialog did not open";
    HWND hProblems = ::GetDlgItem(hDlg, IDC_PROBLEM_LIST);
    // A list this long has the stalling row first.
    const int nStall = check.GetActiveEntryLines() >= CEntryCheck::kStallingEntries ? 1 : 0;
    if (!Wait([&] { return UiDriver::RowCount(hProblems) == static_cast<int>(check.GetCount()) + nStall; }))
        return "the dialog never listed " + std::to_string(check.GetCount()) + " problems";
    ::UpdateWindow(hDlg);
    add("check_open", "Check Entries, blocklist x" + lines + ": check and dialog open (" +
                          std::to_string(check.GetCount()) + " problems)",
        Now() - dStart);
    add("check_memory", "Check Entries, blocklist x" + lines + ": memory held with the dialog open (MB)",
        PrivateMB() - dMemory);
    if (UiDriver::Cell(hProblems, nStall, 0) != std::to_string(check.GetRow(0) + 1) ||
        UiDriver::Cell(hProblems, nStall, 1) != check.GetText(list, 0).c_str())
        return "the dialog's first problem: " + UiDriver::Cell(hProblems, nStall, 1);

    dStart = Now();
    driver.Command(hDlg, IDC_SELECT_PROBLEM_ROWS);
    if (!Wait([&] { return !::IsWindow(hDlg) && SelectedCount(hList) == nProblemRows; }))
        return "Select Rows selected " + std::to_string(SelectedCount(hList)) + " rows, not " +
               std::to_string(nProblemRows);
    driver.Sync(hMain);
    ::UpdateWindow(hMain);
    add("check_select_rows", "Check Entries, blocklist x" + lines + ": Select Rows (" + std::to_string(nProblemRows) +
                                 " rows)",
        Now() - dStart);
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
    dStart = Now();
    Run(hMain, ID_EDIT_SELECT_ALL);
    ::UpdateWindow(hMain);
    add("check_select_all", "Check Entries, blocklist x" + lines + ": Select All on the same list", Now() - dStart);
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
