// Times the program's real main window on a large hosts file, inside this
// process, as a user would drive it: the window runs its modal loop on the
// main thread while a second thread sends the commands, answers the
// questions and stops each clock (QueryPerformanceCounter) when the result
// is on the screen.
//
//   tarnwick_bench --generate N FILE      writes a benchmark hosts file of N lines
//   tarnwick_bench (--lines N | --file FILE) [--runs R] [--backups B] [--results TSV] [--follow-only]
//
// The second form puts the file (generated in memory for --lines) in place
// of the prefix's hosts file, fills the backup folder with B extra files
// (1,000 by default), runs R sessions of the main window (5 by default) and
// prints a markdown table of medians and spreads. With --follow-only a
// session times only start-up, Refresh and following another program's
// changes, then closes the window. Everything it changes is put back at the
// end. Exit status 1 when any step did not do what it must.
#include "BenchFiles.h"
#include "BenchFollow.h"
#include "BenchResults.h"
#include "BenchSave.h"
#include "CheckEntriesBench.h"
#include "EditsBench.h"
#include "FixBench.h"
#include "HostsGenerator.h"
#include "SectionsBench.h"
#include "TestFiles.h"
#include "UiDriver.h"

#include "app/HostsApp.h"
#include "framework/DllSearch.h"
#include "hosts/lines/LineScan.h"
#include "res/resource.h"
#include "ui/MainDlg.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const int kMainList = IDC_HOSTS_LIST;
const int kBackupList = IDC_BACKUP_LIST;
const int kEntryHost = IDC_ENTRY;
const int kCommentSelected = IDC_COMMENT_SELECTED;
const int kUncommentSelected = IDC_UNCOMMENT_SELECTED;
const int kAddNewEntry = IDC_ADD_NEW_ENTRY;
const int kRefresh = ID_VIEW_REFRESH;
const int kRestore = ID_FILE_RESTORE;
const int kFind = ID_EDIT_FIND;
const int kSelectAll = ID_EDIT_SELECT_ALL;
const int kFindWhat = 0x480;  // the Find dialog's text (edt1)

const char kAskSave[] = "Would you like to save the changes?";
const char kAddedHost[] = "bench-added.example";
const char kRestoreCaption[] = "Restore From Saved / Backed Up Hosts File";
const char kNowhere[] = "bench-no-row-holds-this.example";

// Paints whatever a command left to paint, so that a clock stopped after it
// includes drawing the visible rows.
void Paint(HWND hWnd)
{
    ::UpdateWindow(hWnd);
}

int SelectedCount(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0));
}

// Selects (or with nState 0 deselects) every row: LVM_SETITEMSTATE with -1.
void SelectAll(HWND hList, bool bRedraw, UINT nState = LVIS_SELECTED)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = nState;
    if (!bRedraw)
        ::SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (!bRedraw)
    {
        ::SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hList, nullptr, TRUE);
    }
}

// Runs a command to its end: a message sent from another thread returns only
// when the window's thread has handled it.
void RunCommand(HWND hDlg, int nID)
{
    ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

CResults g_results;
CMemorySampler g_sampler;
double g_dStartPrivateMB = 0;

void SampleMemory()
{
    g_results.SamplePrivateBytes(ProcessMemory().dPrivateMB);
}

bool Check(bool bCondition, const std::string& what)
{
    if (!bCondition)
        g_results.Fail(what);
    return bCondition;
}

std::string Row(HWND hList, int nRow)
{
    return "[" + UiDriver::Cell(hList, nRow, 0) + " | " + UiDriver::Cell(hList, nRow, 1) + " | " +
           UiDriver::Cell(hList, nRow, 2) + "]";
}

// A few rows spread over the list: first, last and some between.
std::vector<int> SampleRows(int nRows)
{
    std::vector<int> rows;
    for (int n : {0, 1, nRows / 3, nRows / 2, nRows - 2, nRows - 1})
        if (n >= 0 && n < nRows && std::find(rows.begin(), rows.end(), n) == rows.end())
            rows.push_back(n);
    return rows;
}

struct CSession
{
    int nRows;       // rows the file gives
    int nBackups;    // files in the backup folder
    bool bFirstRun;  // also times selecting with the list redrawing
    bool bFollowOnly;  // start-up, Refresh and the follow steps only
};

// Close: Escape, No to the question, until DoModal has returned; timed when
// bTimed.
bool CloseWindow(UiDriver& driver, HWND hMain, const std::atomic<double>& endTime, bool bTimed)
{
    double dStart = Seconds();
    driver.Command(hMain, IDCANCEL);
    MessageBoxSeen ask = WaitForBox(driver);
    double dNo = Seconds();
    Check(ask.text == kAskSave, "closing asked: " + ask.text);
    driver.Command(ask.hWnd, IDNO);
    if (!Check(WaitUntil([&] { return endTime.load() > 0; }), "the main window did not close"))
        return false;
    if (!bTimed)
        return true;
    g_results.Add("close", "Close with every row (Escape to DoModal returned)", endTime.load() - dStart);
    SampleMemory();
    g_results.Add("close_empty", "- of which No to DoModal returned", endTime.load() - dNo);
    return true;
}

// One session of the main window: every step timed once. False when a step
// failed; the window is then closed by RunModal.
bool DriveMainWindow(UiDriver& driver, const CSession& session, CMainDlg& dlg, const CWindowThreadCalls& calls,
                     const std::atomic<double>& startTime, const std::atomic<double>& endTime)
{
    const int nRows = session.nRows;

    // Start-up: from DoModal until the window shows the list with all rows.
    HWND hMain = nullptr;
    HWND hList = nullptr;
    if (!Check(WaitUntil([&] { return (hMain = FindDialog(driver, "Tarnwick", true)) != nullptr; }),
               "the main window did not open"))
        return false;
    hList = ::GetDlgItem(hMain, kMainList);
    if (!Check(WaitUntil([&] { return UiDriver::RowCount(hList) == nRows; }),
               "the list never held " + std::to_string(nRows) + " rows"))
        return false;
    Paint(hMain);
    g_results.Add("startup", "Start-up until the list is filled", Seconds() - startTime.load());
    SampleMemory();
    Check(UiDriver::Cell(hList, 0, 0) == "1" && UiDriver::Cell(hList, nRows - 1, 0) == std::to_string(nRows),
          "serial numbers after start-up: " + Row(hList, 0) + " " + Row(hList, nRows - 1));

    // The restore dialog over the backup folder, then Close.
    double dStart = Seconds();
    if (!session.bFollowOnly)
    {
        driver.Command(hMain, kRestore);
        HWND hRestore = nullptr;
        if (!Check(WaitUntil([&] { return (hRestore = FindDialog(driver, kRestoreCaption, false)) != nullptr; }),
                   "the restore dialog did not open"))
            return false;
        HWND hBackups = ::GetDlgItem(hRestore, kBackupList);
        if (!Check(WaitUntil([&] { return UiDriver::RowCount(hBackups) == session.nBackups; }),
                   "the restore dialog never listed " + std::to_string(session.nBackups) + " backups"))
            return false;
        Paint(hRestore);
        g_results.Add("restore", "Restore dialog open (" + std::to_string(session.nBackups) + " backups)",
                      Seconds() - dStart);
        SampleMemory();
        driver.Command(hRestore, IDCANCEL);
        if (!Check(WaitUntil([&] { return !::IsWindow(hRestore); }), "Close left the restore dialog open"))
            return false;
    }

    // Refresh.
    dStart = Seconds();
    RunCommand(hMain, kRefresh);
    Paint(hMain);
    g_results.Add("refresh", "Refresh", Seconds() - dStart);
    SampleMemory();
    Check(UiDriver::RowCount(hList) == nRows && UiDriver::Cell(hList, nRows - 1, 0) == std::to_string(nRows),
          "rows after Refresh");

    // Another program changes one line (a letter of the first one): from
    // the end of its write until the list shows the new line. This includes
    // the moment the window waits for the file to stay unchanged.
    std::string start = ReadStart(SystemHostsPath(), 3);
    std::string firstRow = UiDriver::Cell(hList, 0, 1);
    if (start.size() == 3 && firstRow.size() >= 3 && firstRow[2] == start[2])
    {
        const char chNew = start[2] == 'T' ? 't' : 'T';
        firstRow[2] = chNew;
        if (!Check(WriteByteAt(SystemHostsPath(), 2, chNew), "the hosts file could not be changed"))
            return false;
        dStart = Seconds();
        if (!Check(WaitUntil([&] { return UiDriver::Cell(hList, 0, 1) == firstRow; }),
                   "the list never showed another program's change"))
            return false;
        Paint(hMain);
        g_results.Add("follow", "Follow another program's one-line change (its write to the row shown)",
                      Seconds() - dStart);
        SampleMemory();
        Check(UiDriver::RowCount(hList) == nRows, "rows after following a change");
    }
    // Each follow's own memory: the highest the sampler saw since the step
    // before it (loading the base again and commenting), which holds less.
    auto follow = [](const std::string& key, const std::string& label, double d) {
        g_results.Add(key, label, d);
        SampleMemory();
        g_results.Add("mem_" + key, label + ": private bytes above start, highest sampled (MB)",
                      g_sampler.TakeRecentPeak() - g_dStartPrivateMB);
    };
    g_sampler.TakeRecentPeak();
    if (!TimeFollowing(driver, hMain, hList, nRows, {follow, Check}))
        return false;
    if (session.bFollowOnly)
        return CloseWindow(driver, hMain, endTime, false);

    // Find a text that no row holds: one full round of the rows, from the
    // Find dialog's Find Next to the not-found box.
    driver.Command(hMain, kFind);
    HWND hFind = nullptr;
    if (!Check(WaitUntil([&] { return (hFind = FindDialog(driver, "Find", false)) != nullptr; }),
               "the Find dialog did not open"))
        return false;
    ::SendMessageA(::GetDlgItem(hFind, kFindWhat), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kNowhere));
    dStart = Seconds();
    driver.Command(hFind, IDOK);
    MessageBoxSeen notFound = WaitForBox(driver);
    g_results.Add("find", "Find, a text no row holds (Find Next to the not-found box)", Seconds() - dStart);
    SampleMemory();
    Check(notFound.text == std::string("Cannot find \"") + kNowhere + "\"", "find said: " + notFound.text);
    driver.Answer(notFound, IDOK);
    driver.Command(hFind, IDCANCEL);
    if (!Check(WaitUntil([&] { return !::IsWindow(hFind); }), "Cancel left the Find dialog open"))
        return false;

    std::string checkFailed = BenchCheckEntries(driver, hMain, hList, nRows, [](auto& k, auto& l, double d) { g_results.Add(k, l, d); });
    if (!Check(checkFailed.empty(), checkFailed))
        return false;
    std::string fixFailed = BenchFixAndCompact(driver, dlg, nRows, [](auto& k, auto& l, double d) { g_results.Add(k, l, d); });
    if (!Check(fixFailed.empty(), fixFailed))
        return false;
    if (!BenchSections(driver, hMain, [](const char* k, const char* l, double d) { g_results.Add(k, l, d), SampleMemory(); },
                       Check))
        return false;

    // Every row selected, then commented and uncommented. Selecting is the
    // list control's own work, not the program's: while the list redraws,
    // the control invalidates each row it selects, which under Wine costs
    // far more than all the commands; that is timed once, in the first run.
    // Edit > Select All, which makes the selection for the commands, turns
    // the list's redraw off meanwhile.
    if (session.bFirstRun)
    {
        dStart = Seconds();
        SelectAll(hList, true);
        Paint(hMain);
        g_results.Add("select_redraw", "Select all rows, list redrawing (control only; first run)",
                      Seconds() - dStart);
        SelectAll(hList, false, 0);
    }
    dStart = Seconds();
    RunCommand(hMain, kSelectAll);
    Paint(hMain);
    g_results.Add("select_all", "Select All (Edit menu), every row", Seconds() - dStart);
    SampleMemory();
    if (!Check(SelectedCount(hList) == nRows, "select all selected " + std::to_string(SelectedCount(hList))))
        return false;

    dStart = Seconds();
    RunCommand(hMain, kCommentSelected);
    Paint(hMain);
    g_results.Add("comment", "Comment Selected, all rows", Seconds() - dStart);
    SampleMemory();
    for (int nRow : SampleRows(nRows))
        Check(UiDriver::Cell(hList, nRow, 1).compare(0, 1, "#") == 0 && UiDriver::Cell(hList, nRow, 2) == "Commented",
              "row after Comment Selected: " + Row(hList, nRow));
    Check(SelectedCount(hList) == nRows, "the selection after Comment Selected");

    dStart = Seconds();
    RunCommand(hMain, kUncommentSelected);
    Paint(hMain);
    g_results.Add("uncomment", "Un Comment Selected, all rows", Seconds() - dStart);
    SampleMemory();
    for (int nRow : SampleRows(nRows))
        Check(UiDriver::Cell(hList, nRow, 1).compare(0, 1, "#") != 0 && UiDriver::Cell(hList, nRow, 2) == "Active",
              "row after Un Comment Selected: " + Row(hList, nRow));

    // Save: the backup copy, the question, the write, the success note.
    CSaveTimes save;
    if (!TimeSave(driver, hMain, Check, save))
        return false;
    g_results.Add("save", "Save Changes (command to success box)", save.dTotal);
    SampleMemory();
    g_results.Add("save_backup", "- of which backup copy (command to question)", save.dBackup);
    g_results.Add("save_write", "- of which write (Yes to success box)", save.dWrite);
    std::string firstLine = UiDriver::Cell(hList, 0, 1) + "\r\n";
    Check(ReadStart(SystemHostsPath(), firstLine.size()) == firstLine,
          "the saved file does not start with the first row");

    // Delete Lines, Undo, Redo and Edit Line, a save after Delete Lines, and
    // Comment Selected's history, on the saved file loaded again.
    auto record = [](const std::string& k, const std::string& l, double d) { g_results.Add(k, l, d), SampleMemory(); };
    if (!BenchEdits(driver, dlg, calls, record, Check))
        return false;

    // Add New Entry: the button, the dialog, OK, the new row in view. The
    // rows are those of the file loaded again, without the empty ones.
    const int nLoaded = UiDriver::RowCount(hList);
    dStart = Seconds();
    driver.Command(hMain, kAddNewEntry);
    HWND hEntry = nullptr;
    if (!Check(WaitUntil([&] { return (hEntry = FindDialog(driver, "Hosts File Entry", false)) != nullptr; }),
               "the entry dialog did not open"))
        return false;
    ::SendMessageA(::GetDlgItem(hEntry, kEntryHost), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kAddedHost));
    driver.Command(hEntry, IDOK);
    if (!Check(WaitUntil([&] { return UiDriver::RowCount(hList) == nLoaded + 1; }), "no row was added"))
        return false;
    Paint(hMain);
    g_results.Add("add", "Add New Entry (button to row shown)", Seconds() - dStart);
    SampleMemory();
    Check(UiDriver::Cell(hList, nLoaded, 0) == std::to_string(nLoaded + 1) &&
              UiDriver::Cell(hList, nLoaded, 1) == std::string("127.0.0.1 ") + kAddedHost &&
              UiDriver::Cell(hList, nLoaded, 2) == "Active",
          "added row: " + Row(hList, nLoaded));
    int nTop = static_cast<int>(::SendMessageA(hList, LVM_GETTOPINDEX, 0, 0));
    int nPerPage = static_cast<int>(::SendMessageA(hList, LVM_GETCOUNTPERPAGE, 0, 0));
    Check(nTop <= nLoaded && nLoaded < nTop + nPerPage, "the added row is not in view");

    return CloseWindow(driver, hMain, endTime, true);
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: tarnwick_bench --generate LINES FILE\n"
                 "       tarnwick_bench (--lines LINES | --file FILE) [--runs N] [--backups N] [--results TSV]"
                 " [--follow-only]\n");
    return 2;
}
}

int main(int argc, char** argv)
{
    // What a stuck run printed is seen when it is stopped.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int nLines = 0;
    int nRuns = 5;
    int nBackups = 1000;
    std::string source;
    const char* pszResults = nullptr;
    bool bFollowOnly = false;
    for (int n = 1; n < argc; ++n)
    {
        std::string arg = argv[n];
        if (arg == "--generate" && n + 2 < argc)
        {
            int nGenerate = std::atoi(argv[n + 1]);
            return nGenerate > 0 && WriteBenchHostsFile(argv[n + 2], nGenerate) ? 0 : 1;
        }
        if (arg == "--follow-only")
        {
            bFollowOnly = true;
            continue;
        }
        if (n + 1 >= argc)
            return Usage();
        if (arg == "--lines")
            nLines = std::atoi(argv[++n]);
        else if (arg == "--file")
            source = argv[++n];
        else if (arg == "--runs")
            nRuns = std::atoi(argv[++n]);
        else if (arg == "--backups")
            nBackups = std::atoi(argv[++n]);
        else if (arg == "--results")
            pszResults = argv[++n];
        else
            return Usage();
    }
    if ((nLines <= 0) == source.empty() || nRuns <= 0 || nBackups < 0)
        return Usage();

    CMemory start = ProcessMemory();
    theApp.InitApplication(::GetModuleHandleA(nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    AfxInitCommonControlsEx(&controls);
    theApp.SetRegistryKey("Pellmoor");

    std::string generated;
    if (nLines > 0)
    {
        generated = TempPath("tarnwick-bench.hosts");
        if (!WriteBenchHostsFile(generated.c_str(), nLines))
        {
            std::fprintf(stderr, "cannot write %s\n", generated.c_str());
            return 1;
        }
        source = generated;
    }
    int nFileLines = CountFileLines(source);
    double dFileMB = 0;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (::GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &attributes))
        dFileMB = (static_cast<double>(attributes.nFileSizeHigh) * 4294967296.0 + attributes.nFileSizeLow) / 1048576.0;

    // The prefix's own hosts file is kept aside and put back at the end.
    const std::string hostsPath = SystemHostsPath();
    const std::string savedHosts = TempPath("tarnwick-bench-saved.hosts");
    bool bHadHosts = ::CopyFileA(hostsPath.c_str(), savedHosts.c_str(), FALSE) != 0;
    if (!::CopyFileA(source.c_str(), hostsPath.c_str(), FALSE))
    {
        std::fprintf(stderr, "cannot put %s in place of the hosts file\n", source.c_str());
        return 1;
    }

    // The rows the list must show: the lines the reader gives.
    int nRows = 0;
    ReadHostsLines(hostsPath.c_str(), [&nRows](const CString&) { ++nRows; });

    std::vector<std::string> backups = MakeBackups(nBackups);
    CSession session{nRows, CountFiles(BackupFolderPath()), true, bFollowOnly};
    g_results.Declare("floor", "Read and scan, no window (floor)");
    g_dStartPrivateMB = start.dPrivateMB;
    g_sampler.Start();

    for (int nRun = 0; nRun < nRuns && !g_results.Failed(); ++nRun)
    {
        // Each run saves: the hosts file is put back to the source first.
        ::CopyFileA(source.c_str(), hostsPath.c_str(), FALSE);
        std::atomic<double> startTime(0);
        std::atomic<double> endTime(0);
        CMainDlg dlg;
        CWindowThreadCalls calls;  // this thread runs the window
        RunModal(
            [&] {
                theApp.m_pMainWnd = &dlg;
                startTime = Seconds();
                INT_PTR nResult = dlg.DoModal();
                endTime = Seconds();
                theApp.m_pMainWnd = nullptr;
                Check(nResult == IDCANCEL, "DoModal gave " + std::to_string(nResult));
            },
            [&](UiDriver& driver) {
                if (!DriveMainWindow(driver, session, dlg, calls, startTime, endTime))
                    g_results.Fail("run " + std::to_string(nRun + 1) + " stopped");
            });
        session.bFirstRun = false;
    }
    g_results.SetSampledPeak(g_sampler.Stop());
    CMemory afterWindows = ProcessMemory();

    // The floor: the same file read and scanned into memory, with no window.
    // It runs last, so that its copy of the lines is not in the windows' peak;
    // not with --follow-only.
    ::CopyFileA(source.c_str(), hostsPath.c_str(), FALSE);
    for (int nRun = 0; nRun < (bFollowOnly ? 0 : nRuns); ++nRun)
    {
        std::vector<CString> lines;
        double dStart = Seconds();
        ReadHostsLines(hostsPath.c_str(), [&lines](const CString& line) { lines.push_back(line); });
        g_results.Add("floor", "Read and scan, no window (floor)", Seconds() - dStart);
        Check(static_cast<int>(lines.size()) == nRows, "the floor read " + std::to_string(lines.size()) + " lines");
    }

    for (const std::string& path : backups)
        ::DeleteFileA(path.c_str());
    if (bHadHosts)
        ::CopyFileA(savedHosts.c_str(), hostsPath.c_str(), FALSE);
    else
        ::DeleteFileA(hostsPath.c_str());
    ::DeleteFileA(savedHosts.c_str());
    if (!generated.empty())
        ::DeleteFileA(generated.c_str());

    CMemory end = ProcessMemory();
    g_results.Print(nFileLines, nRows, start, afterWindows, end);
    if (pszResults)
        g_results.WriteTsv(pszResults, nFileLines, dFileMB, start, afterWindows);
    return g_results.Failed() ? 1 : 0;
}
