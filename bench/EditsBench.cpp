#include "EditsBench.h"

#include "BenchFiles.h"
#include "BenchFollow.h"
#include "BenchSave.h"
#include "TestFiles.h"

#include "hosts/lines/LineScan.h"
#include "res/resource.h"
#include "ui/MainDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace
{
const char kCallsClass[] = "TarnwickBenchCalls";
const char kEditedLine[] = "0.0.0.0 bench-edited-line.example";

LRESULT CALLBACK CallsWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg != WM_APP)
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
}

// A row as the list shows it: its text and its status.
std::string Shown(HWND hList, int nRow)
{
    return UiDriver::Cell(hList, nRow, 1) + " | " + UiDriver::Cell(hList, nRow, 2);
}

// Rows looked at: the first and the last, some between, and each one's
// neighbour, so that rows kept and rows removed by "every other row" are
// both among them.
std::vector<int> LookedAt(int nRows)
{
    std::vector<int> rows;
    for (int n : {0, 1, 2, 3, nRows / 3, nRows / 3 + 1, nRows / 2, nRows / 2 + 1, nRows - 2, nRows - 1})
        if (n >= 0 && n < nRows && std::find(rows.begin(), rows.end(), n) == rows.end())
            rows.push_back(n);
    std::sort(rows.begin(), rows.end());
    return rows;
}

using Shot = std::vector<std::pair<int, std::string>>;

Shot Take(HWND hList, const std::vector<int>& rows)
{
    Shot shot;
    for (int nRow : rows)
        shot.emplace_back(nRow, Shown(hList, nRow));
    return shot;
}

// The first row looked at that the list shows otherwise; empty when none.
std::string Differs(HWND hList, const Shot& shot)
{
    for (const auto& row : shot)
        if (Shown(hList, row.first) != row.second)
            return "row " + std::to_string(row.first + 1) + " shows [" + Shown(hList, row.first) + "], not [" +
                   row.second + "]";
    return std::string();
}

// The file's rows and how many of them are not commented, read in pieces
// (a copy of a large file would count in the peak memory). A row is a line
// with something else than white space; it is commented when that starts
// with '#'. Enough for the generated files, which have no NUL, no Ctrl-Z
// and no byte-order mark.
std::pair<int, int> CountRows(const std::string& path)
{
    std::pair<int, int> counts(0, 0);
    std::FILE* pFile = std::fopen(path.c_str(), "rb");
    if (!pFile)
        return counts;
    std::vector<char> buffer(1 << 16);
    bool bSeen = false;  // the line's first character other than white space
    size_t nRead;
    while ((nRead = std::fread(buffer.data(), 1, buffer.size(), pFile)) > 0)
        for (size_t n = 0; n < nRead; ++n)
        {
            const char ch = buffer[n];
            if (ch == '\n')
                bSeen = false;
            else if (!bSeen && ch != ' ' && ch != '\t' && ch != '\r' && ch != '\v' && ch != '\f')
            {
                bSeen = true;
                ++counts.first;
                counts.second += ch != '#';
            }
        }
    std::fclose(pFile);
    return counts;
}

class CEditsBench
{
public:
    CEditsBench(UiDriver& driver, CMainDlg& dlg, const CWindowThreadCalls& calls,
                const std::function<void(const std::string&, const std::string&, double)>& record,
                const std::function<bool(bool, const std::string&)>& check)
        : m_driver(driver), m_dlg(dlg), m_calls(calls), m_hMain(dlg.m_hWnd), m_hList(dlg.m_list.m_hWnd),
          m_record(record), m_check(check)
    {
    }

    bool Run()
    {
        // The rows as a load gives them: rows left empty by Un Comment
        // Selected are saved as blank lines, which a load drops.
        ::SendMessageA(m_hMain, WM_COMMAND, ID_VIEW_REFRESH, 0);
        std::vector<std::string> boxes = AnswerBoxes(m_driver, m_hMain);
        m_nRows = Rows();
        return m_check(boxes.empty(), "a message after Refresh: " + (boxes.empty() ? std::string() : boxes[0])) &&
               m_check(m_nRows >= 4 && m_dlg.m_bModified == 0, "the edits need rows and no unsaved change") &&
               DeleteAndTakeBack(true) && DeleteAndTakeBack(false) && EditLastLine() && SaveHalf() &&
               CommentAndUndo();
    }

private:
    // A command run to its end on the window's thread, then painted.
    double Timed(int nID)
    {
        double dStart = Seconds();
        ::SendMessageA(m_hMain, WM_COMMAND, MAKEWPARAM(nID, 0), 0);
        ::UpdateWindow(m_hMain);
        return Seconds() - dStart;
    }
    int Selected() const { return static_cast<int>(::SendMessageA(m_hList, LVM_GETSELECTEDCOUNT, 0, 0)); }
    int FirstSelected() const
    {
        return static_cast<int>(::SendMessageA(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    int Rows() const { return UiDriver::RowCount(m_hList); }

    // Every other row: the second, the fourth and so on, as the list's own
    // bulk selection does it.
    bool SelectEveryOtherRow()
    {
        const int nRows = m_nRows;
        CListCtrl& list = m_dlg.m_list;
        m_calls.Run([&list, nRows] { list.SelectOnlyRows(0, nRows, [](int nRow) { return nRow % 2 == 1; }, 1); });
        return m_check(Selected() == nRows / 2, "every other row selected " + std::to_string(Selected()));
    }

    // Delete Lines on every other row (bHalf) or on every row, then Undo,
    // Redo and Undo again, each checked.
    bool DeleteAndTakeBack(bool bHalf)
    {
        const std::string key = bHalf ? "delete_half" : "delete_all";
        const std::string what = bHalf ? "every other row" : "every row";
        const int nRemoved = bHalf ? m_nRows / 2 : m_nRows;
        const int nLeft = m_nRows - nRemoved;
        // The row after the last one removed, or else the new last row.
        const int nLastRemoved = bHalf ? (m_nRows % 2 ? m_nRows - 2 : m_nRows - 1) : m_nRows - 1;
        const int nPicked = nLeft == 0 ? -1 : std::min(nLastRemoved + 1 - nRemoved, nLeft - 1);
        const Shot before = Take(m_hList, LookedAt(m_nRows));
        Shot left;  // row k left is row 2k before
        for (int nRow : LookedAt(nLeft))
            left.emplace_back(nRow, Shown(m_hList, bHalf ? 2 * nRow : nRow));

        if (bHalf)
        {
            if (!SelectEveryOtherRow())
                return false;
        }
        else
        {
            ::SendMessageA(m_hMain, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
            if (!m_check(Selected() == m_nRows, "Select All selected " + std::to_string(Selected())))
                return false;
        }

        auto removed = [&](const std::string& step) {
            const std::string after = " after " + step + " on " + what;
            bool bOk = m_check(Rows() == nLeft, std::to_string(Rows()) + " rows" + after);
            bOk = bOk && m_check(Selected() == (nLeft ? 1 : 0) && FirstSelected() == nPicked,
                                 "the selection" + after + ": " + std::to_string(Selected()) + " rows from row " +
                                     std::to_string(FirstSelected() + 1));
            bOk = bOk && m_check(nLeft == 0 || UiDriver::Cell(m_hList, nLeft - 1, 0) == std::to_string(nLeft),
                                 "the last row's number" + after);
            const std::string differs = bOk ? Differs(m_hList, left) : std::string();
            bOk = bOk && m_check(differs.empty(), differs + after);
            return bOk && m_check(m_dlg.m_bModified == 1, "no modified mark" + after);
        };
        auto restored = [&](const std::string& step) {
            const std::string after = " after " + step + " of Delete Lines on " + what;
            bool bOk = m_check(Rows() == m_nRows, std::to_string(Rows()) + " rows" + after);
            // The rows put back are the ones selected.
            bOk = bOk && m_check(Selected() == nRemoved && FirstSelected() == (bHalf ? 1 : 0),
                                 "the selection" + after + ": " + std::to_string(Selected()) + " rows from row " +
                                     std::to_string(FirstSelected() + 1));
            bOk = bOk && m_check(UiDriver::Cell(m_hList, m_nRows - 1, 0) == std::to_string(m_nRows),
                                 "the last row's number" + after);
            const std::string differs = bOk ? Differs(m_hList, before) : std::string();
            bOk = bOk && m_check(differs.empty(), differs + after);
            return bOk && m_check(m_dlg.m_bModified == 0, "the modified mark stayed" + after);
        };

        const std::string rows = " (" + std::to_string(nRemoved) + " rows)";
        m_record(key, "Delete Lines, " + what + rows, Timed(ID_EDIT_DELETE_LINES));
        if (!removed("Delete Lines"))
            return false;
        m_record(key + "_undo", "- Undo of it", Timed(ID_EDIT_UNDO));
        if (!restored("Undo"))
            return false;
        m_record(key + "_redo", "- Redo of it", Timed(ID_EDIT_REDO));
        if (!removed("Redo"))
            return false;
        m_record(key + "_undo2", "- Undo again", Timed(ID_EDIT_UNDO));
        return restored("Undo again");
    }

    // Edit Line on the last row, from the command to the new text shown;
    // then Undo, untimed.
    bool EditLastLine()
    {
        const int nLast = m_nRows - 1;
        CListCtrl& list = m_dlg.m_list;
        m_calls.Run([&list, nLast] { list.SelectOnly(nLast); });
        const std::string before = Shown(m_hList, nLast);
        const std::string text = UiDriver::Cell(m_hList, nLast, 1);

        double dStart = Seconds();
        m_driver.Command(m_hMain, ID_EDIT_EDIT_LINE);
        HWND hDlg = nullptr;
        if (!m_check(WaitUntil([&] { return (hDlg = FindDialog(m_driver, "Edit Line")) != nullptr; }),
                     "the Edit Line dialog did not open"))
            return false;
        HWND hText = ::GetDlgItem(hDlg, IDC_LINE_TEXT);
        std::vector<char> shown(static_cast<size_t>(::GetWindowTextLengthA(hText)) + 1);
        ::GetWindowTextA(hText, shown.data(), static_cast<int>(shown.size()));
        const std::string shownText = shown.data();
        ::SendMessageA(hText, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kEditedLine));
        m_driver.Command(hDlg, IDOK);
        bool bShown = WaitUntil([&] { return UiDriver::Cell(m_hList, nLast, 1) == kEditedLine; });
        ::UpdateWindow(m_hMain);
        double dSeconds = Seconds() - dStart;
        if (!m_check(bShown, "the last row never showed the edited line"))
        {
            m_driver.Command(hDlg, IDCANCEL);
            return false;
        }
        m_record("edit_line", "Edit Line, the last row (command to the new text shown, dialog included)", dSeconds);
        bool bOk = m_check(text == shownText, "the Edit Line dialog showed [" + shownText + "]");
        bOk = m_check(!::IsWindow(hDlg) && Rows() == m_nRows && Selected() == 1 && FirstSelected() == nLast &&
                          Shown(m_hList, nLast) == std::string(kEditedLine) + " | Active" && m_dlg.m_bModified == 1,
                      "after Edit Line: " + Shown(m_hList, nLast)) &&
              bOk;
        ::SendMessageA(m_hMain, WM_COMMAND, ID_EDIT_UNDO, 0);
        return m_check(Shown(m_hList, nLast) == before && m_dlg.m_bModified == 0,
                       "after Undo of Edit Line: " + Shown(m_hList, nLast)) &&
               bOk;
    }

    // Save Changes after Delete Lines on every other row, timed as the other
    // save; the hosts file and the list are then put back as they were.
    bool SaveHalf()
    {
        const std::string hostsPath = SystemHostsPath();
        const std::string kept = TempPath("tarnwick-bench-edits.hosts");
        const Shot before = Take(m_hList, LookedAt(m_nRows));
        if (!m_check(::CopyFileA(hostsPath.c_str(), kept.c_str(), FALSE) != 0, "the hosts file could not be kept") ||
            !SelectEveryOtherRow())
            return false;
        ::SendMessageA(m_hMain, WM_COMMAND, ID_EDIT_DELETE_LINES, 0);
        const int nLeft = m_nRows - m_nRows / 2;
        bool bOk = m_check(Rows() == nLeft, "Delete Lines before the save left " + std::to_string(Rows()) + " rows");
        CSaveTimes save;
        bOk = bOk && TimeSave(m_driver, m_hMain, m_check, save);
        if (bOk)
        {
            m_record("save_half", "Save Changes after Delete Lines on every other row (command to success box)",
                     save.dTotal);
            // The file holds the rows left, as the program reads it.
            int nRead = 0;
            CString first, last;
            ReadHostsLines(hostsPath.c_str(), [&](const CString& line) {
                if (nRead++ == 0)
                    first = line;
                last = line;
            });
            bOk = m_check(nRead == nLeft && UiDriver::Cell(m_hList, 0, 1) == first.c_str() &&
                              UiDriver::Cell(m_hList, nLeft - 1, 1) == last.c_str(),
                          "the saved file holds " + std::to_string(nRead) + " lines, not the " +
                              std::to_string(nLeft) + " rows left");
            bOk = m_check(m_dlg.m_bModified == 0, "the modified mark stayed after the save") && bOk;
        }

        // The file as it was, again while the window holds it open for a
        // moment, and loaded; whatever the change's notice starts then finds
        // the file as loaded.
        bool bPut = false;
        for (int nTry = 0; nTry < 200 && !(bPut = ::CopyFileA(kept.c_str(), hostsPath.c_str(), FALSE) != 0); ++nTry)
            ::Sleep(50);
        ::DeleteFileA(kept.c_str());
        if (!m_check(bPut, "the hosts file could not be put back"))
            return false;
        ::SendMessageA(m_hMain, WM_COMMAND, ID_VIEW_REFRESH, 0);
        ::Sleep(500);
        std::vector<std::string> boxes = AnswerBoxes(m_driver, m_hMain);
        const std::string differs = Rows() == m_nRows ? Differs(m_hList, before) : std::string("the row count");
        return m_check(boxes.empty() && differs.empty() && m_dlg.m_bModified == 0,
                       "the hosts file put back and loaded: " + differs +
                           (boxes.empty() ? std::string() : ", a message: " + boxes[0])) &&
               bOk;
    }

    // Select All, Comment Selected and its Undo, the history's growth by the
    // step, and the rows it changed: those the file has not commented.
    bool CommentAndUndo()
    {
        const std::pair<int, int> counts = CountRows(SystemHostsPath());
        if (!m_check(counts.first == m_nRows && counts.second > 0,
                     "the hosts file has " + std::to_string(counts.first) + " rows, " +
                         std::to_string(counts.second) + " not commented"))
            return false;
        const Shot before = Take(m_hList, LookedAt(m_nRows));
        ::SendMessageA(m_hMain, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
        if (!m_check(Selected() == m_nRows, "Select All selected " + std::to_string(Selected())))
            return false;
        const size_t nHistoryBefore = m_dlg.GetHistorySize();
        const double dComment = Timed(IDC_COMMENT_SELECTED);
        m_record("history_comment", "Comment Selected, every row, after a load", dComment);
        const size_t nHistoryAfter = m_dlg.GetHistorySize();
        bool bOk = true;
        for (const auto& row : before)
            bOk = m_check(Shown(m_hList, row.first).compare(0, 1, "#") == 0 &&
                              UiDriver::Cell(m_hList, row.first, 2) == "Commented",
                          "row after Comment Selected: " + Shown(m_hList, row.first)) &&
                  bOk;
        bOk = m_check(m_dlg.m_bModified == 1, "no modified mark after Comment Selected") && bOk;

        const double dUndo = Timed(ID_EDIT_UNDO);
        m_record("history_comment_undo", "- Undo of it", dUndo);
        // Undo should cost no more than the command it takes back: said, but
        // no failure, since a single run's timings move.
        if (dUndo > dComment)
            std::fprintf(stderr, "note: Undo of Comment Selected took %.3f s, the command %.3f s\n", dUndo,
                         dComment);
        const std::string differs = Differs(m_hList, before);
        bOk = m_check(differs.empty(), differs + " after Undo of Comment Selected") && bOk;
        // The rows the step changed are the ones selected.
        bOk = m_check(Selected() == counts.second && m_dlg.m_bModified == 0,
                      "after Undo of Comment Selected: " + std::to_string(Selected()) + " rows selected, not " +
                          std::to_string(counts.second) + ", modified " + std::to_string(m_dlg.m_bModified)) &&
              bOk;
        bOk = m_check(nHistoryAfter > nHistoryBefore, "Comment Selected kept nothing in the history") && bOk;
        m_record("bytes_history_comment", "- history it keeps, bytes a changed row (not seconds)",
                 static_cast<double>(nHistoryAfter - nHistoryBefore) / counts.second);
        return bOk;
    }

    UiDriver& m_driver;
    CMainDlg& m_dlg;
    const CWindowThreadCalls& m_calls;
    const HWND m_hMain;
    const HWND m_hList;
    int m_nRows = 0;
    const std::function<void(const std::string&, const std::string&, double)>& m_record;
    const std::function<bool(bool, const std::string&)>& m_check;
};
}

CWindowThreadCalls::CWindowThreadCalls()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &CallsWndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kCallsClass;
    ::RegisterClassA(&wc);  // fails, harmlessly, once the class is there
    m_hWnd = ::CreateWindowExA(0, kCallsClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

CWindowThreadCalls::~CWindowThreadCalls()
{
    ::DestroyWindow(m_hWnd);
}

void CWindowThreadCalls::Run(const std::function<void()>& call) const
{
    ::SendMessageA(m_hWnd, WM_APP, 0, reinterpret_cast<LPARAM>(&call));
}

bool BenchEdits(UiDriver& driver, CMainDlg& dlg, const CWindowThreadCalls& calls,
                const std::function<void(const std::string&, const std::string&, double)>& record,
                const std::function<bool(bool, const std::string&)>& check)
{
    return CEditsBench(driver, dlg, calls, record, check).Run();
}
