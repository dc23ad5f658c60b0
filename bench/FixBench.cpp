#include "FixBench.h"

#include "BenchFiles.h"
#include "BenchFollow.h"
#include "BenchResults.h"
#include "BenchSave.h"
#include "CheckEntriesBench.h"
#include "TestFiles.h"

#include "hosts/document/EntryList.h"
#include "hosts/review/Compaction.h"
#include "hosts/review/EntryCheck.h"
#include "hosts/review/EntryFix.h"
#include "res/resource.h"
#include "ui/MainDlg.h"

#include <commctrl.h>

#include <numeric>

namespace
{
const char kNoProblems[] = "No problems found: Windows reads every active entry as written.";

void SetAllSelected(HWND hList, bool bSelected, int nItem = -1)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = bSelected ? LVIS_SELECTED : 0;
    ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
}

// Puts the file in the hosts file's place and has the window load it with
// no history: the follow of the change, its boxes answered, then Refresh.
std::string Take(UiDriver& driver, HWND hMain, HWND hList, const std::string& bytes, int nRows)
{
    if (!Put(SystemHostsPath(), bytes))
        return "the hosts file could not be written";
    if (!WaitUntil([&] { return UiDriver::RowCount(hList) == nRows; }))
        return "the list never followed the new hosts file";
    AnswerBoxes(driver, hMain);
    ::SendMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_VIEW_REFRESH, BN_CLICKED), 0);
    AnswerBoxes(driver, hMain);
    return UiDriver::RowCount(hList) == nRows ? std::string() : "Refresh did not load the new hosts file";
}

// A blocklist of one address, each name once.
std::string OneAddressBlocklist(int nLines)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(nLines) * 34);
    for (int n = 0; n < nLines; ++n)
        bytes.append("0.0.0.0 ad").append(std::to_string(n)).append(".tracker.example\r\n");
    return bytes;
}
}

std::string BenchFixAndCompact(UiDriver& driver, CMainDlg& dlg, int nLines, const BenchAdd& add)
{
    const HWND hMain = dlg.m_hWnd;
    const HWND hList = dlg.m_list.m_hWnd;
    const std::string hostsPath = SystemHostsPath();
    const std::string before = ReadBytes(hostsPath);
    const int nRowsBefore = UiDriver::RowCount(hList);
    const std::string lines = std::to_string(nLines) + " lines";

    // Fix: the rules alone first, on the same file, which also says what
    // the window must show afterwards.
    std::string bytes = RepeatedBlocklist(nLines);
    const double dFileMB = static_cast<double>(bytes.size()) / 1048576.0;
    int nRows = 0, nRowsFixed = 0, nLeft = 0, nStall = 0;
    size_t nProblems = 0;
    {
        CEntryList list;
        WriteBytes(TempPath("fix-bench.txt"), bytes);
        if (list.Load(TempPath("fix-bench.txt").c_str()) != CEntryList::loaded)
            return "the blocklist file could not be loaded";
        nRows = list.GetCount();
        CEntryCheck check;
        if (!check.Run(list))
            return "the check ran out of memory";
        nProblems = check.GetCount();
        nStall = check.GetActiveEntryLines() >= CEntryCheck::kStallingEntries ? 1 : 0;
        std::vector<uint32_t> all(nProblems);
        std::iota(all.begin(), all.end(), 0u);
        const double dStart = Seconds();
        list.BeginStep();
        const CEntryFix::Result result = CEntryFix::Mend(list, check, all);
        list.EndStep();
        add("fix_rules", "Fix, blocklist x" + lines + ": the mends alone, no window", Seconds() - dStart);
        if (result != CEntryFix::mended || !check.Run(list))
            return "the mends did not mend the blocklist";
        nRowsFixed = list.GetCount();
        nLeft = static_cast<int>(check.GetCount()) +
                (check.GetActiveEntryLines() >= CEntryCheck::kStallingEntries ? 1 : 0);
    }
    std::string failed = Take(driver, hMain, hList, bytes, nRows);
    if (!failed.empty())
        return failed;
    bytes.clear();
    bytes.shrink_to_fit();

    driver.Command(hMain, ID_EDIT_CHECK_ENTRIES);
    HWND hDlg = nullptr;
    if (!WaitUntil([&] { return (hDlg = FindDialog(driver, "Check Entries")) != nullptr; }))
        return "the Check Entries dialog did not open";
    const HWND hProblems = ::GetDlgItem(hDlg, IDC_PROBLEM_LIST);
    if (!WaitUntil([&] { return UiDriver::RowCount(hProblems) == static_cast<int>(nProblems) + nStall; }))
        return "the dialog did not list " + std::to_string(nProblems) + " problems";
    // Every problem, the stalling row (on a list that long) not.
    SetAllSelected(hProblems, true);
    if (nStall)
        SetAllSelected(hProblems, false, 0);
    const size_t nHistory = dlg.GetHistorySize();
    const double dMemory = ProcessMemory().dPrivateMB - static_cast<double>(dlg.GetStoreSize()) / 1048576.0;
    double dStart = Seconds();
    driver.Command(hDlg, IDC_FIX_PROBLEMS);
    if (nLeft == 0)
    {
        MessageBoxSeen box = WaitForBox(driver);
        if (box.text != kNoProblems)
            return "after Fix: " + box.text;
        ::UpdateWindow(hMain);
        add("fix", "Fix, blocklist x" + lines + ": every problem (" + std::to_string(nProblems) +
                       "), to the no-problems box",
            Seconds() - dStart);
        driver.Answer(box, IDOK);
    }
    else
    {
        if (!WaitUntil([&] { return UiDriver::RowCount(hProblems) == nLeft; }))
            return "after Fix the dialog lists " + std::to_string(UiDriver::RowCount(hProblems)) + " problems";
        ::UpdateWindow(hDlg);
        add("fix", "Fix, blocklist x" + lines + ": every problem (" + std::to_string(nProblems) +
                       "), to the problems left shown",
            Seconds() - dStart);
        driver.Command(hDlg, IDCANCEL);
    }
    add("fix_history", "- the history it keeps, share of the file (not seconds)",
        static_cast<double>(dlg.GetHistorySize() - nHistory) / 1048576.0 / dFileMB);
    // Beyond the rows: what the process holds more, less the texts the rows
    // gained (the heap keeps what a step freed, so its peak counts too).
    add("fix_memory", "- memory it takes beyond the rows, share of the file (not seconds)",
        (ProcessMemory().dPrivateMB - static_cast<double>(dlg.GetStoreSize()) / 1048576.0 - dMemory) / dFileMB);
    if (!WaitUntil([&] { return !::IsWindow(hDlg); }) || UiDriver::RowCount(hList) != nRowsFixed)
        return "after Fix the list has " + std::to_string(UiDriver::RowCount(hList)) + " rows, not " +
               std::to_string(nRowsFixed);
    // One Undo takes the press back, and leaves the window clean.
    dStart = Seconds();
    driver.Command(hMain, ID_EDIT_UNDO);
    if (!WaitUntil([&] { return UiDriver::RowCount(hList) == nRows; }))
        return "Undo of Fix left " + std::to_string(UiDriver::RowCount(hList)) + " rows";
    ::UpdateWindow(hMain);
    add("fix_undo", "- Undo of it", Seconds() - dStart);
    if (dlg.m_bModified)
        return "Undo of Fix left the window modified";

    // Compact Entries on a blocklist of one address.
    bytes = OneAddressBlocklist(nLines);
    const double dOneMB = static_cast<double>(bytes.size()) / 1048576.0;
    int nCompacted = 0;
    {
        WriteBytes(TempPath("fix-bench.txt"), bytes);
        CEntryList list;
        if (list.Load(TempPath("fix-bench.txt").c_str()) != CEntryList::loaded)
            return "the one-address file could not be loaded";
        dStart = Seconds();
        CCompaction compaction;
        list.BeginStep();
        const bool bDone = compaction.Find(list) && compaction.Apply(list);
        list.EndStep();
        add("compact_rules", "Compact Entries, " + lines + " of one address: the rules alone, no window",
            Seconds() - dStart);
        if (!bDone)
            return "the compaction ran out of memory";
        nCompacted = list.GetCount();
    }
    ::DeleteFileA(TempPath("fix-bench.txt").c_str());
    failed = Take(driver, hMain, hList, bytes, nLines);
    if (!failed.empty())
        return failed;
    bytes.clear();
    bytes.shrink_to_fit();
    const size_t nHistoryBefore = dlg.GetHistorySize();
    const double dMemoryBefore = ProcessMemory().dPrivateMB - static_cast<double>(dlg.GetStoreSize()) / 1048576.0;
    dStart = Seconds();
    driver.Command(hMain, ID_EDIT_COMPACT_ENTRIES);
    MessageBoxSeen question = WaitForBox(driver);
    const double dAsked = Seconds() - dStart;
    if (question.text.compare(0, 10, "Compacting") != 0)
        return "Compact Entries said: " + question.text;
    dStart = Seconds();
    driver.Answer(question, IDYES);
    if (!WaitUntil([&] { return UiDriver::RowCount(hList) == nCompacted; }))
        return "after compacting the list has " + std::to_string(UiDriver::RowCount(hList)) + " rows, not " +
               std::to_string(nCompacted);
    ::UpdateWindow(hMain);
    const double dApplied = Seconds() - dStart;
    add("compact", "Compact Entries, " + lines + " of one address: command to question and Yes to the list shown",
        dAsked + dApplied);
    add("compact_ask", "- of which command to question", dAsked);
    add("compact_history", "- the history it keeps, share of the file (not seconds)",
        static_cast<double>(dlg.GetHistorySize() - nHistoryBefore) / 1048576.0 / dOneMB);
    add("compact_memory", "- memory it takes beyond the rows, share of the file (not seconds)",
        (ProcessMemory().dPrivateMB - static_cast<double>(dlg.GetStoreSize()) / 1048576.0 - dMemoryBefore) / dOneMB);

    std::string saveFailed;
    CSaveTimes save;
    auto check = [&](bool bOk, const std::string& what) {
        if (!bOk && saveFailed.empty())
            saveFailed = what;
        return bOk;
    };
    if (!TimeSave(driver, hMain, check, save) || !saveFailed.empty())
        return "the save after compacting: " + saveFailed;
    add("compact_save", "Save Changes after compacting (command to success box)", save.dTotal);

    if (!Put(hostsPath, before))
        return "the hosts file could not be put back";
    ::SendMessageA(hMain, WM_COMMAND, MAKEWPARAM(ID_VIEW_REFRESH, BN_CLICKED), 0);
    AnswerBoxes(driver, hMain);
    if (UiDriver::RowCount(hList) != nRowsBefore)
        return "the list did not take the hosts file back";
    return std::string();
}
