#include "BenchFollow.h"
#include "BenchSave.h"

#include "res/resource.h"
#include "TestFiles.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

namespace
{
const int kCommentSelected = IDC_COMMENT_SELECTED;
const int kRefresh = ID_VIEW_REFRESH;
// The window waits for the file to stay unchanged this long before it
// follows (ui/HostsFollower.cpp): taken off every figure here.
const double kQuietSeconds = 0.300;
const int kStepTimeoutMs = 600000;

const char kWipeKeptAs[] = "The file as it was has been kept as [";
const char kLostPrefix[] = "The hosts file has been changed by another program; the list now shows its lines.\n";

// One change by the other program: a shell command that makes the new file
// from the base (the hosts file as it was), the text of its first row, by
// which the list shows it, and how many rows it has.
struct CChange
{
    const char* pszKey;
    const char* pszLabel;
    const char* pszMake;  // "%s" stands for the base file, "%o" for the new one
    const char* pszFirstRow;
    int nRowsTimes;       // the base's rows this many times...
    int nRowsMore;        // ...and this many more
    bool bChanges = true;  // with the user's changes on every 100th row
    bool bEveryRow = false;  // ...or on every row: Select All, then Comment Selected
    // A base of its own, with as many rows as the hosts file: a shell
    // command, "%n" standing for the rows and "%o" for the file it makes.
    const char* pszOwnBase = nullptr;
};

// The other program's changes, each made from the base by a shell command
// and shown by its first row. Each new file starts with a line of its own,
// so that the list shows when it has taken it in; the one-line change is that
// line, in place of the first.
const char kMakeOne[] = "{ printf '# bench: one line\\r\\n'; tail -n +2 %s; } > %o";
const char kOne[] = "# bench: one line";
const char kMakeEnds[] = "{ printf '# bench: top\\r\\n'; cat %s; printf '0.0.0.0 bench-end.example\\r\\n'; } > %o";
const char kEnds[] = "# bench: top";
const char kMakeEntries[] = "{ printf '# bench: entries\\r\\n'; awk 'NR % 1000 == 0 { print; next } "
                            "{ if (!sub(/127\\.0\\.0\\.1/, \"0.0.0.0\")) sub(/0\\.0\\.0\\.0/, \"127.0.0.1\"); print }' "
                            "%s; } > %o";
const char kEntries[] = "# bench: entries";
const char kMakeReversed[] = "{ printf '# bench: reversed\\r\\n'; tac %s; } > %o";
const char kReversed[] = "# bench: reversed";
const char kMakeShuffled[] = "{ printf '# bench: shuffled\\r\\n'; shuf --random-source=%s %s; } > %o";
const char kShuffled[] = "# bench: shuffled";

const CChange kChanges[] = {
    {"follow_one", "Follow: one line changed", kMakeOne, kOne, 1, 0},
    {"follow_ends", "Follow: a line added at the top and one at the end", kMakeEnds, kEnds, 1, 2},
    {"follow_entries", "Follow: every entry changed, a line in 1,000 kept", kMakeEntries, kEntries, 1, 1},
    {"follow_reversed", "Follow: the file reversed", kMakeReversed, kReversed, 1, 1},
    {"follow_shuffled", "Follow: the file shuffled", kMakeShuffled, kShuffled, 1, 1},
    {"follow_twice", "Follow: the file twice, a line added at the top and one at the end",
     "{ printf '# bench: twice\\r\\n'; cat %s %s; printf '0.0.0.0 bench-end.example\\r\\n'; } > %o",
     "# bench: twice", 2, 2},
    {"follow_shuffled_clean", "Follow: the file shuffled, no unsaved changes",
     "{ printf '# bench: shuffled, clean\\r\\n'; shuf --random-source=%s %s; } > %o", "# bench: shuffled, clean", 1, 1,
     false},

    // The same changes after the user commented every row (the rows that the
    // file has commented stay as they are, all others are the changes).
    {"all_one", "Follow, every row changed: one line changed", kMakeOne, kOne, 1, 0, true, true},
    {"all_ends", "Follow, every row changed: a line added at the top and one at the end",
     kMakeEnds, kEnds, 1, 2, true, true},
    {"all_entries", "Follow, every row changed: every entry changed, a line in 1,000 kept",
     kMakeEntries, kEntries, 1, 1, true, true},
    {"all_reversed", "Follow, every row changed: the file reversed", kMakeReversed, kReversed, 1, 1, true, true},
    {"all_shuffled", "Follow, every row changed: the file shuffled", kMakeShuffled, kShuffled, 1, 1, true, true},
    // From a base of one line, as many times as the hosts file has rows:
    // every other copy (the even-numbered lines) gets a name of its own, and
    // the lines are shuffled under a first line of the new file's own.
    {"all_repeated", "Follow, every row changed: one line a million times, shuffled, every other line changed",
     "{ printf '# bench: repeated\\r\\n'; awk 'NR % 2 == 0 { printf \"0.0.0.0 ads%d.example\\r\\n\", NR; next } "
     "{ print }' %s | shuf --random-source=%s; } > %o",
     "# bench: repeated", 1, 1, true, true,
     "awk 'BEGIN { for (n = 0; n < %n; ++n) printf \"0.0.0.0 ads.example\\r\\n\" }' > %o"},
};

bool StartsWith(const std::string& text, const char* pszStart)
{
    return text.compare(0, std::strlen(pszStart), pszStart) == 0;
}

std::string Replace(std::string text, const std::string& what, const std::string& with)
{
    for (size_t n = text.find(what); n != std::string::npos; n = text.find(what, n + with.size()))
        text.replace(n, what.size(), with);
    return text;
}

class CFollowBench
{
public:
    CFollowBench(UiDriver& driver, HWND hMain, HWND hList, int nRows, const CBenchReport& report)
        : m_driver(driver), m_hMain(hMain), m_hList(hList), m_nRows(nRows), m_report(report)
    {
        // In the temporary folder, on the hosts file's disk: a new file takes
        // the hosts file's place in one rename, the other program's write.
        char szTemp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, szTemp);
        m_folder = std::string(szTemp) + "tarnwick-bench-follow";
        m_hosts = SystemHostsPath();
    }

    bool Run();

private:
    std::string Path(const std::string& name) const { return m_folder + "\\" + name; }
    std::string Quoted(const std::string& name) const { return "'" + m_unixFolder + "/" + name + "'"; }
    // The hosts file becomes the named file (a copy of it, which takes its
    // place in one step).
    bool PutInPlace(const std::string& name);
    // The file a step starts from: the base, or its own.
    static std::string BaseOf(const CChange& change)
    {
        return change.pszOwnBase ? std::string(change.pszKey) + "_base" : std::string("base");
    }
    // The list is loaded from the step's base, and (bChanges) the user
    // comments every 100th row, or (bEveryRow) selects every row and
    // comments it; the rows that were not commented already are the changes.
    bool StartFromBase(const CChange& change);
    bool Step(const CChange& change);
    bool Commented(int nRow) const { return UiDriver::Cell(m_hList, nRow, 2) == "Commented"; }

    UiDriver& m_driver;
    HWND m_hMain;
    HWND m_hList;
    int m_nRows;
    const CBenchReport& m_report;
    std::string m_folder;
    std::string m_unixFolder;
    std::string m_hosts;
    // A few of the user's changes, to look for after each follow.
    std::vector<int> m_changed;
};

bool CFollowBench::PutInPlace(const std::string& name)
{
    return m_report.check(RunUnixCommand("cp " + Quoted(name) + " " + Quoted("next")) == 0 &&
                              ::MoveFileExA(Path("next").c_str(), m_hosts.c_str(), MOVEFILE_REPLACE_EXISTING),
                          "the hosts file could not be replaced by " + name);
}

bool CFollowBench::StartFromBase(const CChange& change)
{
    if (!PutInPlace(BaseOf(change)))
        return false;
    ::SendMessageA(m_hMain, WM_COMMAND, kRefresh, 0);
    // Whatever the rename's notice starts finds the file as loaded.
    ::Sleep(500);
    m_driver.Sync(m_hMain);
    if (!m_report.check(UiDriver::RowCount(m_hList) == m_nRows, "rows after Refresh"))
        return false;
    if (!change.bChanges)
        return true;
    // The list does not redraw meanwhile: under Wine, redrawing each row it
    // selects costs far more than the command.
    ::SendMessageA(m_hList, WM_SETREDRAW, FALSE, 0);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    ::SendMessageA(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    if (change.bEveryRow)
        ::SendMessageA(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    else
        for (int nRow = 50; nRow < m_nRows; nRow += 100)
            ::SendMessageA(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    ::SendMessageA(m_hList, WM_SETREDRAW, TRUE, 0);
    if (change.bEveryRow &&
        !m_report.check(::SendMessageA(m_hList, LVM_GETSELECTEDCOUNT, 0, 0) == m_nRows,
                        std::string("not every row was selected before: ") + change.pszLabel))
        return false;
    if (m_changed.empty())
    {
        for (int nRow = 50; nRow < m_nRows && m_changed.size() < 8; nRow += m_nRows / 8 / 100 * 100 + 100)
            if (!Commented(nRow))
                m_changed.push_back(nRow);
    }
    ::SendMessageA(m_hMain, WM_COMMAND, kCommentSelected, 0);
    for (int nRow : m_changed)
        if (!m_report.check(Commented(nRow), "row " + std::to_string(nRow + 1) + " was not commented"))
            return false;
    return true;
}

bool CFollowBench::Step(const CChange& change)
{
    if (!StartFromBase(change))
        return false;
    const int nExpected = m_nRows * change.nRowsTimes + change.nRowsMore;
    double dStart = 0;
    if (!PutInPlace(change.pszKey))
        return false;
    dStart = Seconds();
    bool bShown = UiDriver::WaitUntil(
        [&] {
            return UiDriver::RowCount(m_hList) == nExpected && UiDriver::Cell(m_hList, 0, 1) == change.pszFirstRow;
        },
        kStepTimeoutMs);
    double dShown = Seconds();
    if (!m_report.check(bShown, std::string("the list never showed: ") + change.pszLabel))
        return false;
    m_report.add(change.pszKey, std::string(change.pszLabel) + " (write to rows shown, less 0.3 s quiet)",
                 dShown - dStart - kQuietSeconds);

    // The user's changes: carried where their lines still are, and then no
    // message; where every entry changed, the changes on changed lines are
    // counted as lost, and as every host name is still there, it is no wipe:
    // no backup, only the lost changes' box (a backup a wipe would make is
    // deleted, so that the next run finds the backup folder as it was). A
    // failed check is recorded and the steps go on.
    std::vector<std::string> boxes = AnswerBoxes(m_driver, m_hMain);
    const std::string key = change.pszKey;
    const std::string firstBox = boxes.empty() ? std::string() : boxes[0];
    if (key == "follow_entries" || key == "all_entries" || key == "all_repeated")
    {
        m_report.check(boxes.size() == 1 && StartsWith(boxes[0], kLostPrefix),
                       std::string("after: ") + change.pszLabel + ", not the lost changes' box alone but " +
                           std::to_string(boxes.size()) + ": " + firstBox);
        return true;
    }
    m_report.check(boxes.empty(), std::string("a message after: ") + change.pszLabel + ": " + firstBox);
    // The rows looked at, where their lines are now (the same in both
    // groups of steps); a shuffled file's rows are not looked at.
    const std::string kind = key.substr(key.find('_') + 1);
    if (!change.bChanges || kind.compare(0, 8, "shuffled") == 0)
        return true;
    int nLost = 0;
    for (int nRow : m_changed)
    {
        bool bCarried = false;
        if (kind == "one")
            bCarried = Commented(nRow);
        else if (kind == "ends")
            bCarried = Commented(nRow + 1);
        else if (kind == "reversed")
            bCarried = Commented(m_nRows - nRow);
        else if (kind == "twice")
            bCarried = Commented(nRow + 1) || Commented(nRow + 1 + m_nRows);
        nLost += bCarried ? 0 : 1;
    }
    m_report.check(nLost == 0, std::to_string(nLost) + " of " + std::to_string(m_changed.size()) +
                                   " rows looked at lost their change: " + change.pszLabel);
    return true;
}

bool CFollowBench::Run()
{
    // The new files, made by Linux programs, so that no copy of the lines
    // counts in this process's memory.
    ::CreateDirectoryA(m_folder.c_str(), nullptr);
    m_unixFolder = UnixPath(m_folder);
    if (!m_report.check(!m_unixFolder.empty(), "no Linux path for " + m_folder))
        return false;
    std::string make = "cp '" + UnixPath(m_hosts) + "' " + Quoted("base");
    for (const CChange& change : kChanges)
    {
        if (change.pszOwnBase)
            make += " && " + Replace(Replace(change.pszOwnBase, "%n", std::to_string(m_nRows)), "%o",
                                     Quoted(BaseOf(change)));
        make += " && " + Replace(Replace(change.pszMake, "%s", Quoted(BaseOf(change))), "%o", Quoted(change.pszKey));
    }
    bool bDone = m_report.check(RunUnixCommand(make) == 0, "the changed files could not be made");
    for (size_t n = 0; bDone && n < sizeof(kChanges) / sizeof(kChanges[0]); ++n)
        bDone = Step(kChanges[n]);
    // The hosts file and the list as they were, but for the modified mark.
    if (PutInPlace("base"))
    {
        ::SendMessageA(m_hMain, WM_COMMAND, kRefresh, 0);
        ::Sleep(500);
        m_driver.Sync(m_hMain);
        // The steps after these count on the rows of the hosts file itself.
        bDone = m_report.check(UiDriver::RowCount(m_hList) == m_nRows, "rows once the hosts file was put back") &&
                bDone;
    }
    RunUnixCommand("rm -rf '" + m_unixFolder + "'");
    return bDone;
}
}

std::vector<std::string> AnswerBoxes(UiDriver& driver, HWND hMain)
{
    std::vector<std::string> boxes;
    driver.Sync(hMain);
    while (!driver.NoMessageBox())
    {
        MessageBoxSeen box = driver.WaitForMessageBox();
        size_t nOpen = box.text.find(kWipeKeptAs);
        driver.Answer(box, IDOK);
        if (nOpen != std::string::npos && box.text.size() > nOpen + sizeof(kWipeKeptAs) + 1)
        {
            std::string kept = box.text.substr(nOpen + sizeof(kWipeKeptAs) - 1);
            ::DeleteFileA(kept.substr(0, kept.size() - 2).c_str());
        }
        boxes.push_back(box.text);
        driver.Sync(hMain);
    }
    return boxes;
}

bool TimeFollowing(UiDriver& driver, HWND hMain, HWND hList, int nRows, const CBenchReport& report)
{
    CFollowBench bench(driver, hMain, hList, nRows, report);
    return bench.Run();
}
