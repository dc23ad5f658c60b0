// Edit > Check Entries on a file with one line of each problem: the dialog's
// rows and texts, "Go To", then "Select Rows", "Comment Selected" and "Save
// Changes" comment exactly those lines; afterwards nothing is left to find.
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "tests/review/EntryCheckExpected.h"
#include "WindowTest.h"

#include <commctrl.h>

#include <algorithm>

namespace
{
const char kNoProblems[] = "No problems found: Windows reads every active entry as written.";

std::string Text(HWND hWnd)
{
    char szText[64] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}

int FocusedRow(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}
}

using CheckEntriesTest = WindowTest;

TEST_F(CheckEntriesTest, ListsEachProblemAndSelectsItsRowsForCommenting)
{
    const std::string original = ReadBytes(std::string(TARNWICK_TEST_DATA) + "/" + kEntryCheckFile);
    SetHosts(original);
    std::vector<int> problemRows;  // 0-based, each once
    for (const CExpectedProblem& problem : kEntryCheckExpected)
        if (problemRows.empty() || problemRows.back() != problem.nRow - 1)
            problemRows.push_back(problem.nRow - 1);

    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.KeyWith(hMain, VK_CONTROL, 'K');
        HWND hDlg = driver.WaitForDialog("Check Entries");
        ASSERT_NE(nullptr, hDlg);
        EXPECT_EQ(hMain, ::GetWindow(hDlg, GW_OWNER));
        EXPECT_EQ("Go To", Text(::GetDlgItem(hDlg, IDC_GO_TO_PROBLEM)));
        EXPECT_EQ("Select Rows", Text(::GetDlgItem(hDlg, IDC_SELECT_PROBLEM_ROWS)));
        EXPECT_EQ("Close", Text(::GetDlgItem(hDlg, IDCANCEL)));
        HWND hProblems = ::GetDlgItem(hDlg, IDC_PROBLEM_LIST);
        ASSERT_EQ(static_cast<int>(sizeof kEntryCheckExpected / sizeof kEntryCheckExpected[0]),
                  UiDriver::RowCount(hProblems));
        for (int n = 0; n < UiDriver::RowCount(hProblems); ++n)
        {
            EXPECT_EQ(std::to_string(kEntryCheckExpected[n].nRow), UiDriver::Cell(hProblems, n, 0)) << n;
            EXPECT_EQ(kEntryCheckExpected[n].pszText, UiDriver::Cell(hProblems, n, 1)) << n;
        }

        // "Go To" on the third problem: its row alone is selected.
        UiDriver::Select(hProblems, {2});
        driver.Command(hDlg, IDC_GO_TO_PROBLEM);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
        driver.Sync(hMain);
        EXPECT_EQ(std::vector<int>{kEntryCheckExpected[2].nRow - 1}, UiDriver::SelectedRows(hList));
        EXPECT_EQ(kEntryCheckExpected[2].nRow - 1, FocusedRow(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);

        driver.Command(hMain, ID_EDIT_CHECK_ENTRIES);
        hDlg = driver.WaitForDialog("Check Entries");
        ASSERT_NE(nullptr, hDlg);
        driver.Command(hDlg, IDC_SELECT_PROBLEM_ROWS);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
        driver.Sync(hMain);
        EXPECT_EQ(problemRows, UiDriver::SelectedRows(hList));
        EXPECT_EQ(problemRows.front(), FocusedRow(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified) << "the check changes nothing";

        driver.Command(hMain, IDC_COMMENT_SELECTED);  // "Comment Selected"
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        std::string expected;
        size_t nStart = 0;
        for (int nRow = 0; nStart < original.size(); ++nRow)
        {
            size_t nEnd = original.find("\r\n", nStart) + 2;
            bool bProblem = std::find(problemRows.begin(), problemRows.end(), nRow) != problemRows.end();
            expected += (bProblem ? "# " : "") + original.substr(nStart, nEnd - nStart);
            nStart = nEnd;
        }
        EXPECT_EQ(expected, ReadBytes(SystemHostsPath()));

        driver.KeyWith(hMain, VK_CONTROL, 'K');
        ExpectBox(driver, kNoProblems, "information");
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

// "Select Rows" where rows with a problem ('P') are the most or not: exactly
// they are selected, the first focused and marked; the list looks as before.
TEST_F(CheckEntriesTest, SelectRowsOnRowsWithAndWithoutProblems)
{
    for (const std::string rows : {"..PP.P", "P.PPP.", ".P..P."})
    {
        std::string bytes;
        std::vector<int> problemRows;
        for (size_t n = 0; n < rows.size(); ++n)
            bytes += rows[n] == 'P' ? "127.0.0.l typo\r\n" : "10.0.0.1 ok" + std::to_string(n) + "\r\n";
        for (size_t n = rows.find('P'); n != std::string::npos; n = rows.find('P', n + 1))
            problemRows.push_back(static_cast<int>(n));
        SetHosts(bytes);
        RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
            driver.KeyWith(hMain, VK_CONTROL, 'K');
            HWND hDlg = driver.WaitForDialog("Check Entries");
            ASSERT_NE(nullptr, hDlg) << rows;
            driver.Command(hDlg, IDC_SELECT_PROBLEM_ROWS);
            ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
            driver.Sync(hMain);
            EXPECT_EQ(problemRows, UiDriver::SelectedRows(hList)) << rows;
            EXPECT_EQ(problemRows[0], FocusedRow(hList)) << rows;
            EXPECT_EQ(problemRows[0], ::SendMessageA(hList, LVM_GETSELECTIONMARK, 0, 0)) << rows;
            const LRESULT kLook = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
            EXPECT_EQ(kLook, ::SendMessageA(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & kLook) << rows;
            driver.Key(hMain, VK_ESCAPE);
            EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain)) << rows;
        });
    }
}
