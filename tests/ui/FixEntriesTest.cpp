// Check Entries' "Fix" and Edit > Compact Entries: what they change, what is
// left in the dialog, the save's bytes, and Undo.
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "tests/review/EntryCheckExpected.h"
#include "WindowTest.h"

#include <commctrl.h>

namespace
{
const char kNoProblems[] = "No problems found: Windows reads every active entry as written.";
const char kNoMend[] = "None of the selected problems can be fixed here: go to the row and edit it.";

std::vector<std::string> ProblemTexts(HWND hProblems)
{
    std::vector<std::string> texts;
    for (int n = 0; n < UiDriver::RowCount(hProblems); ++n)
        texts.push_back(UiDriver::Cell(hProblems, n, 0) + ": " + UiDriver::Cell(hProblems, n, 1));
    return texts;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t nAt = text.find(from);
    EXPECT_NE(std::string::npos, nAt) << from;
    return nAt == std::string::npos ? text : text.replace(nAt, from.size(), to);
}
}

using FixEntriesTest = WindowTest;

TEST_F(FixEntriesTest, FixMendsWhatHasAMendLeavesTheRestAndUndoGivesTheRowsBack)
{
    const std::string original = ReadBytes(std::string(TARNWICK_TEST_DATA) + "/" + kEntryCheckFile);
    SetHosts(original);
    std::string fixed = Replaced(original, "127.0.0.1:8080 app.local", "127.0.0.1 app.local");
    fixed = Replaced(fixed, "intranet.example 10.0.0.9", "10.0.0.9 intranet.example");
    fixed = Replaced(fixed, "https://intranet.example/path", "intranet.example");
    fixed = Replaced(fixed, "app.local:8080", "app.local");
    fixed = Replaced(fixed, "n9 n10 n11\r\n", "n9\r\n0.0.0.0 n10 n11\r\n");
    fixed = Replaced(fixed, "127.0.0.1 LOCALHOST\r\n", "");
    fixed = Replaced(fixed, "same.example same.example", "same.example");

    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        const std::vector<std::string> loaded = Texts(hList);
        driver.KeyWith(hMain, VK_CONTROL, 'K');
        HWND hDlg = driver.WaitForDialog("Check Entries");
        ASSERT_NE(nullptr, hDlg);
        char szFix[16] = "";
        ::GetWindowTextA(::GetDlgItem(hDlg, IDC_FIX_PROBLEMS), szFix, sizeof szFix);
        EXPECT_STREQ("Fix", szFix);
        HWND hProblems = ::GetDlgItem(hDlg, IDC_PROBLEM_LIST);
        const int nProblems = UiDriver::RowCount(hProblems);

        // "127.0.0.l" has no mend.
        UiDriver::Select(hProblems, {2});
        driver.Command(hDlg, IDC_FIX_PROBLEMS);
        ExpectBox(driver, kNoMend, "information");
        EXPECT_EQ(nProblems, UiDriver::RowCount(hProblems));
        EXPECT_EQ(0, m_pDlg->m_bModified);

        std::vector<int> all;
        for (int n = 0; n < nProblems; ++n)
            all.push_back(n);
        UiDriver::Select(hProblems, all);
        driver.Command(hDlg, IDC_FIX_PROBLEMS);
        driver.Sync(hDlg);
        // What has no mend is left, and the names the mends made live that
        // another row maps as well.
        EXPECT_EQ((std::vector<std::string>{
                      "10: \"127.0.0.l\" is not an IP address: Windows ignores this line.",
                      "11: No host name after the address: Windows ignores this line.",
                      "12: \"intranet.example\" is also on row 9, whose address Windows uses.",
                      "13: \"*.ads.example\": Windows does not match wildcards; list each host name.",
                      "14: \"app.local\" is also on row 8, whose address Windows uses.",
                      "15: \"bad..name\" is not a valid host name.",
                      "18: \"api.dev.example\" is also on row 3, whose address Windows uses.",
                      std::string("20: ") + kEntryCheckExpected[12].pszText,
                  }),
                  ProblemTexts(hProblems));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        driver.Command(hDlg, IDCANCEL);
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));

        // One Undo takes the whole press back; Redo does it again.
        driver.KeyWith(hMain, VK_CONTROL, 'Z');
        driver.Sync(hMain);
        EXPECT_EQ(loaded, Texts(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.KeyWith(hMain, VK_CONTROL, 'Y');
        driver.Sync(hMain);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(fixed, ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

// A list of 50,000 active entry lines: the check's first row says Windows
// may stall on it, and its Fix compacts, after the question; Compact
// Entries asks the same, and says so when there is nothing to compact.
TEST_F(FixEntriesTest, StallingRowAndCompactEntriesCompactAfterTheQuestion)
{
    std::string hosts = "# Blocklist\r\n";
    for (int n = 0; n < 50000; ++n)
        hosts += "0.0.0.0 ad" + std::to_string(n) + ".example\r\n";
    hosts += "\r\n# Dev\r\n10.0.0.5 a.dev\r\n10.0.0.5 b.dev\r\n";
    SetHosts(hosts);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.KeyWith(hMain, VK_CONTROL, 'K');
        HWND hDlg = driver.WaitForDialog("Check Entries");
        ASSERT_NE(nullptr, hDlg);
        HWND hProblems = ::GetDlgItem(hDlg, IDC_PROBLEM_LIST);
        EXPECT_EQ((std::vector<std::string>{
                      ": 50002 active entry lines: Windows' DNS Client is reported to stall name resolution for "
                      "minutes on hosts files this long. Edit > Compact Entries puts up to 9 names on a line."}),
                  ProblemTexts(hProblems));
        // Go To and Select Rows have no row to go to.
        UiDriver::Select(hProblems, {0});
        driver.Command(hDlg, IDC_GO_TO_PROBLEM);
        driver.Command(hDlg, IDC_SELECT_PROBLEM_ROWS);
        driver.Sync(hDlg);
        EXPECT_TRUE(::IsWindow(hDlg));

        driver.Command(hDlg, IDC_FIX_PROBLEMS);
        const char kQuestion[] = "Compacting puts up to 9 names of one address on a line: %d lines of entries become "
                                 "%d.\nWindows reads the same entries, and its DNS Client reads a much shorter "
                                 "file.\nCompact now?";
        char szQuestion[300];
        std::snprintf(szQuestion, sizeof szQuestion, kQuestion, 50002, 5557);
        ExpectBox(driver, szQuestion, "question", IDYES);
        ExpectBox(driver, kNoProblems, "information");
        ASSERT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hDlg); }));
        ASSERT_EQ(1 + 5556 + 2, UiDriver::RowCount(hList));
        EXPECT_EQ("0.0.0.0 ad0.example ad1.example ad2.example ad3.example ad4.example ad5.example ad6.example "
                  "ad7.example ad8.example",
                  UiDriver::Cell(hList, 1, 1));
        EXPECT_EQ("0.0.0.0 ad49995.example ad49996.example ad49997.example ad49998.example ad49999.example",
                  UiDriver::Cell(hList, 5556, 1));
        EXPECT_EQ("10.0.0.5 a.dev b.dev", UiDriver::Cell(hList, 5558, 1));
        EXPECT_EQ(1, m_pDlg->m_bModified);

        driver.KeyWith(hMain, VK_CONTROL, 'Z');
        driver.Sync(hMain);
        EXPECT_EQ(50004, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);

        driver.Command(hMain, ID_EDIT_COMPACT_ENTRIES);
        std::snprintf(szQuestion, sizeof szQuestion, kQuestion, 50002, 5557);
        ExpectBox(driver, szQuestion, "question", IDNO);
        driver.Sync(hMain);
        EXPECT_EQ(50004, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.KeyWith(hMain, VK_CONTROL, 'Y');
        driver.Sync(hMain);
        driver.Command(hMain, ID_EDIT_COMPACT_ENTRIES);
        ExpectBox(driver, "The entries are already compact: no two lines of one address follow each other.",
                  "information");
        ExitAnsweringNo(driver, hMain);
    });
}
