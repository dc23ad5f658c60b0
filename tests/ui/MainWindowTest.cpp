// The main window: loading, numbering, statuses, editing, closing, the About
// box and the running mark, driven through the real dialogs.
#include "MainWindowSteps.h"
#include "WindowTest.h"

#include "app/AppSettings.h"
#include "app/HostsApp.h"
#include "res/resource.h"

#include <commctrl.h>

namespace
{
const char kAskSave[] = "Would you like to save the changes?";

struct Row
{
    std::string number, text, status;
    bool operator==(const Row& o) const { return number == o.number && text == o.text && status == o.status; }
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << "{" << row.number << ", '" << row.text << "', " << row.status << "}";
}

std::vector<Row> Rows(HWND hList)
{
    std::vector<Row> rows;
    for (int n = 0; n < UiDriver::RowCount(hList); ++n)
        rows.push_back({UiDriver::Cell(hList, n, 0), UiDriver::Cell(hList, n, 1), UiDriver::Cell(hList, n, 2)});
    return rows;
}

void SetEditText(HWND hDlg, int nID, const char* pszText)
{
    ::SendMessageA(::GetDlgItem(hDlg, nID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText));
}

std::string EditText(HWND hDlg, int nID)
{
    char szText[512] = "";
    ::GetDlgItemTextA(hDlg, nID, szText, sizeof(szText));
    return szText;
}

// "127.0.0.1 host1.example" to "127.0.0.1 hostN.example", each with CR LF.
std::string NumberedHosts(int nLines)
{
    std::string hosts;
    for (int n = 1; n <= nLines; ++n)
        hosts += "127.0.0.1 host" + std::to_string(n) + ".example\r\n";
    return hosts;
}

// Answers the closing question with No and checks that it was the only one.
void ExpectOneQuestionThenClosed(UiDriver& driver, HWND hMain)
{
    MessageBoxSeen box = driver.WaitForMessageBox();
    EXPECT_EQ("Tarnwick", box.caption);
    EXPECT_EQ(kAskSave, box.text);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    EXPECT_EQ("question", box.icon);
    driver.Answer(box, IDNO);
    EXPECT_TRUE(WindowTest::ClosesWithoutQuestion(driver, hMain));
}
}

class MainWindowTest : public WindowTest
{
};

TEST_F(MainWindowTest, ShowsEachLineNumberedWithItsStatus)
{
    SetHosts("# localhost entries\r\n127.0.0.1 a.example\r\n\r\n  0.0.0.0 b.example  \r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ((std::vector<Row>{{"1", "# localhost entries", "Commented"},
                                    {"2", "127.0.0.1 a.example", "Active"},
                                    {"3", "0.0.0.0 b.example  ", "Active"}}),
                  Rows(hList));

        const char* headers[] = {"Sr No", "Data", "Status"};
        const int widths[] = {70, 350, 100};
        for (int nColumn = 0; nColumn < 3; ++nColumn)
        {
            char szHeader[64] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = szHeader;
            column.cchTextMax = sizeof(szHeader);
            ASSERT_TRUE(::SendMessageA(hList, LVM_GETCOLUMNA, nColumn, reinterpret_cast<LPARAM>(&column)));
            EXPECT_STREQ(headers[nColumn], szHeader);
            EXPECT_EQ(widths[nColumn], column.cx);
            EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
        }
        DWORD dwExStyle = static_cast<DWORD>(::SendMessageA(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        EXPECT_EQ(0x21u, dwExStyle & 0x21u);
        LONG lStyle = ::GetWindowLongA(hList, GWL_STYLE);
        EXPECT_EQ(LVS_REPORT, lStyle & LVS_TYPEMASK);
        EXPECT_TRUE(lStyle & LVS_SHOWSELALWAYS);
        EXPECT_FALSE(lStyle & LVS_SINGLESEL);
        EXPECT_FALSE(lStyle & WS_TABSTOP);

        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain)) << "nothing changed, so closing asks nothing";
    });
    EXPECT_EQ(0, m_pDlg->m_bModified);
}

TEST_F(MainWindowTest, MissingHostsFileGivesAnEmptyListWithoutAMessage)
{
    ::DeleteFileA(SystemHostsPath().c_str());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ(0, UiDriver::RowCount(hList));
        EXPECT_TRUE(driver.NoMessageBox());
        driver.Command(hMain, ID_FILE_EXIT);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(MainWindowTest, RefreshReloadsFromOneKeepingTheModifiedMark)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {0});
        driver.Command(hMain, IDC_COMMENT_SELECTED);  // Comment Selected
        driver.Sync(hMain);
        EXPECT_EQ("# 127.0.0.1 a", UiDriver::Cell(hList, 0, 1));

        SetHosts("x1\r\nx2\r\nx3\r\n");
        driver.Command(hMain, ID_VIEW_REFRESH);  // View > Refresh
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox()) << "refresh asks nothing";
        EXPECT_EQ((std::vector<Row>{{"1", "x1", "Active"}, {"2", "x2", "Active"}, {"3", "x3", "Active"}}),
                  Rows(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);

        driver.Command(hMain, ID_FILE_EXIT);  // File > Exit still asks
        ExpectOneQuestionThenClosed(driver, hMain);
    });
}

TEST_F(MainWindowTest, EnterDoesNothing)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Key(hMain, VK_RETURN);
        driver.Command(hMain, IDOK);
        driver.Sync(hMain);
        ::Sleep(200);
        EXPECT_TRUE(::IsWindow(hMain));
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(1, UiDriver::RowCount(hList));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(MainWindowTest, EveryWayOutAsksOnceWhenModified)
{
    // Escape, File > Exit and the close box each ask exactly one question.
    for (int nWay = 0; nWay < 3; ++nWay)
    {
        SetHosts("127.0.0.1 a\r\n");
        RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
            UiDriver::Select(hList, {0});
            driver.Command(hMain, IDC_COMMENT_SELECTED);
            driver.Sync(hMain);
            if (nWay == 0)
                driver.Key(hMain, VK_ESCAPE);
            else if (nWay == 1)
                driver.Command(hMain, ID_FILE_EXIT);
            else
                ::PostMessageA(hMain, WM_CLOSE, 0, 0);
            ExpectOneQuestionThenClosed(driver, hMain);
        });
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath())) << "No saves nothing (way " << nWay << ")";
    }
}

TEST_F(MainWindowTest, CommentAndUncommentTouchOnlySelectedRowsThatChange)
{
    SetHosts("127.0.0.1 x\r\n127.0.0.1 a\r\n# 127.0.0.1 y\r\n127.0.0.1 b\r\n#0.0.0.0 z\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Rows already commented: nothing changes, the window stays clean.
        UiDriver::Select(hList, {2, 4});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        EXPECT_EQ(0, m_pDlg->m_bModified);
        EXPECT_EQ("# 127.0.0.1 y", UiDriver::Cell(hList, 2, 1));

        // Rows 2 and 4 (numbered from one).
        UiDriver::Select(hList, {1, 3});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<Row>{{"1", "127.0.0.1 x", "Active"},
                                    {"2", "# 127.0.0.1 a", "Commented"},
                                    {"3", "# 127.0.0.1 y", "Commented"},
                                    {"4", "# 127.0.0.1 b", "Commented"},
                                    {"5", "#0.0.0.0 z", "Commented"}}),
                  Rows(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ((std::vector<int>{1, 3}), UiDriver::SelectedRows(hList)) << "the selection stays";

        // Uncomment a mixed selection: only commented rows change.
        UiDriver::Select(hList, {0, 1, 4});
        driver.Command(hMain, IDC_UNCOMMENT_SELECTED);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<Row>{{"1", "127.0.0.1 x", "Active"},
                                    {"2", "127.0.0.1 a", "Active"},
                                    {"3", "# 127.0.0.1 y", "Commented"},
                                    {"4", "# 127.0.0.1 b", "Commented"},
                                    {"5", "0.0.0.0 z", "Active"}}),
                  Rows(hList));

        // No selection: nothing happens.
        UiDriver::Select(hList, {});
        driver.Command(hMain, IDC_UNCOMMENT_SELECTED);
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        EXPECT_EQ("# 127.0.0.1 b", UiDriver::Cell(hList, 3, 1));

        driver.Command(hMain, ID_FILE_EXIT);
        ExpectOneQuestionThenClosed(driver, hMain);
    });
}

TEST_F(MainWindowTest, TypingARowNumberGoesToThatRowAndAnythingElseKeepsTheSelection)
{
    SetHosts(NumberedHosts(50));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // The list gathers what is typed in quick succession into one search
        // text; a pause starts a new one.
        auto pause = [&]() {
            driver.Sync(hMain);
            ::Sleep(1100);
        };
        auto focused = [&]() { return static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); };

        // Text that no row number starts with leaves rows 2 and 4 selected,
        // and they are the rows that the next command changes.
        UiDriver::Select(hList, {1, 3});
        for (const char* pszText : {"z", "0"})
        {
            UiDriver::Type(hList, pszText);
            pause();
            EXPECT_EQ((std::vector<int>{1, 3}), UiDriver::SelectedRows(hList)) << pszText;
        }
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        for (int nRow = 0; nRow < 5; ++nRow)
            EXPECT_EQ(nRow == 1 || nRow == 3 ? "Commented" : "Active", UiDriver::Cell(hList, nRow, 2)) << nRow;

        // 4 then 2: row 42; after a pause 7: row 7 (43 to 50 do not start
        // with 7, and the search wraps to the top).
        UiDriver::Type(hList, "42");
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<int>{41}), UiDriver::SelectedRows(hList));
        EXPECT_EQ(41, focused());
        pause();
        UiDriver::Type(hList, "7");
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<int>{6}), UiDriver::SelectedRows(hList));
        EXPECT_EQ(6, focused());

        // Other programs' searches get the same answers.
        LVFINDINFOA find = {};
        find.flags = LVFI_STRING;
        find.psz = "42";
        EXPECT_EQ(41, ::SendMessageA(hList, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
        find.psz = "4";
        EXPECT_EQ(3, ::SendMessageA(hList, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
        find.flags = LVFI_PARTIAL | LVFI_WRAP;
        find.psz = "3";
        EXPECT_EQ(29, ::SendMessageA(hList, LVM_FINDITEMA, 10, reinterpret_cast<LPARAM>(&find)));
        find.psz = "x";
        EXPECT_EQ(-1, ::SendMessageA(hList, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));

        driver.Command(hMain, ID_FILE_EXIT);
        ExpectOneQuestionThenClosed(driver, hMain);
    });
}

TEST_F(MainWindowTest, AddNewEntryAppendsTargetThenEntryScrolledIntoView)
{
    SetHosts(NumberedHosts(300));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);  // the button
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        EXPECT_EQ("", EditText(hEntry, IDC_ENTRY));
        EXPECT_EQ("127.0.0.1", EditText(hEntry, IDC_TARGET));
        EXPECT_FALSE(::IsWindowEnabled(hMain)) << "the entry dialog is modal over the main window";
        EXPECT_EQ(reinterpret_cast<LPARAM>(::SendMessageA(hMain, WM_GETICON, ICON_BIG, 0)),
                  ::SendMessageA(hEntry, WM_GETICON, ICON_BIG, 0));
        SetEditText(hEntry, IDC_ENTRY, "ads.example");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);

        ASSERT_EQ(301, UiDriver::RowCount(hList));
        EXPECT_EQ((Row{"301", "127.0.0.1 ads.example", "Active"}), (Row{UiDriver::Cell(hList, 300, 0),
                                                                        UiDriver::Cell(hList, 300, 1),
                                                                        UiDriver::Cell(hList, 300, 2)}));
        int nTop = static_cast<int>(::SendMessageA(hList, LVM_GETTOPINDEX, 0, 0));
        int nPerPage = static_cast<int>(::SendMessageA(hList, LVM_GETCOUNTPERPAGE, 0, 0));
        EXPECT_GE(300, nTop);
        EXPECT_LT(300, nTop + nPerPage) << "the new row is wholly in view";
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // The File menu's item opens the same dialog; both fields empty give
        // a single space, a target starting with '#' a commented line.
        driver.Command(hMain, ID_FILE_ADD_NEW_ENTRY);
        hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        SetEditText(hEntry, IDC_TARGET, "");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        EXPECT_EQ(" ", UiDriver::Cell(hList, 301, 1));
        EXPECT_EQ("Active", UiDriver::Cell(hList, 301, 2));

        driver.Command(hMain, ID_FILE_ADD_NEW_ENTRY);
        hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        SetEditText(hEntry, IDC_TARGET, "#0.0.0.0");
        SetEditText(hEntry, IDC_ENTRY, "x.example");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        EXPECT_EQ("#0.0.0.0 x.example", UiDriver::Cell(hList, 302, 1));
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 302, 2));

        driver.Command(hMain, ID_FILE_EXIT);
        ExpectOneQuestionThenClosed(driver, hMain);
    });
}

TEST_F(MainWindowTest, NewEntryNeverSplitsALine)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        SetEditText(hEntry, IDC_ENTRY, "evil.example\r\n127.0.0.1 other");
        SetEditText(hEntry, IDC_TARGET, "10.0.0.1\n");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        ASSERT_EQ(2, UiDriver::RowCount(hList));
        EXPECT_EQ("10.0.0.1  evil.example  127.0.0.1 other", UiDriver::Cell(hList, 1, 1));
        driver.Command(hMain, ID_FILE_EXIT);
        ExpectOneQuestionThenClosed(driver, hMain);
    });
}

TEST_F(MainWindowTest, CancellingTheEntryDialogChangesNothing)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        SetEditText(hEntry, IDC_ENTRY, "ads.example");
        driver.Command(hEntry, IDCANCEL);
        driver.Sync(hMain);
        EXPECT_EQ(1, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(MainWindowTest, AboutItemEndsTheSystemMenuAndCommands16To31OpenTheAboutBox)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        HMENU hSysMenu = ::GetSystemMenu(hMain, FALSE);
        ASSERT_NE(nullptr, hSysMenu);
        int nCount = ::GetMenuItemCount(hSysMenu);
        ASSERT_GE(nCount, 2);
        EXPECT_EQ(16u, ::GetMenuItemID(hSysMenu, nCount - 1));
        char szText[64] = "";
        ::GetMenuStringA(hSysMenu, nCount - 1, szText, sizeof(szText), MF_BYPOSITION);
        EXPECT_STREQ("&About Tarnwick...", szText);
        EXPECT_TRUE(::GetMenuState(hSysMenu, nCount - 2, MF_BYPOSITION) & MF_SEPARATOR);

        for (UINT nID = 16; nID <= 31; ++nID)
        {
            ::PostMessageA(hMain, WM_SYSCOMMAND, nID, 0);
            HWND hAbout = driver.WaitForDialog("About Tarnwick");
            ASSERT_NE(nullptr, hAbout) << "command " << nID;
            char szVersion[64] = "";
            ::GetDlgItemTextA(hAbout, -1, szVersion, sizeof(szVersion));
            EXPECT_FALSE(::IsWindowEnabled(hMain));
            driver.Command(hAbout, IDOK);
            for (int n = 0; n < 200 && ::IsWindow(hAbout); ++n)
                ::Sleep(10);
            EXPECT_FALSE(::IsWindow(hAbout));
        }
        for (UINT nID : {0u, 15u, 32u, 48u})
        {
            ::PostMessageA(hMain, WM_SYSCOMMAND, nID, 0);
            driver.Sync(hMain);
            EXPECT_EQ(nullptr, driver.WaitForDialog("About Tarnwick", 100)) << "command " << nID;
        }
        EXPECT_EQ(0, m_pDlg->m_bModified);
        EXPECT_EQ(1, UiDriver::RowCount(hList));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(MainWindowTest, WindowCarriesIconAndDragIcon)
{
    SetHosts("");
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        // Each at its own size at 96 DPI, from the icon file: nothing scaled.
        HICON hBig = reinterpret_cast<HICON>(::SendMessageA(hMain, WM_GETICON, ICON_BIG, 0));
        HICON hSmall = reinterpret_cast<HICON>(::SendMessageA(hMain, WM_GETICON, ICON_SMALL, 0));
        ASSERT_NE(nullptr, hBig);
        ASSERT_NE(nullptr, hSmall);
        EXPECT_EQ(32, IconSize(hBig));
        EXPECT_EQ(16, IconSize(hSmall));
        EXPECT_EQ(reinterpret_cast<LRESULT>(hBig), ::SendMessageA(hMain, WM_QUERYDRAGICON, 0, 0));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST(MinimisedIcon, CentredWithDivisionTruncatingTowardZero)
{
    EXPECT_EQ(2, CenteredIconOffset(36, 32));
    EXPECT_EQ(-15, CenteredIconOffset(0, 32));
    EXPECT_EQ(0, CenteredIconOffset(32, 32));
}

TEST_F(MainWindowTest, RunValueIsOneWhileOpenAndZeroAfter)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        EXPECT_EQ(1u, ReadRunValue());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ(0u, ReadRunValue());
}

TEST_F(MainWindowTest, InitInstanceRunsTheMainWindowAndReturnsFalse)
{
    SetHosts("127.0.0.1 a\r\n");
    BOOL bResult = TRUE;
    RunModal([&]() { bResult = theApp.InitInstance(); },
             [&](UiDriver& driver) {
                 HWND hMain = driver.WaitForDialog("Tarnwick");
                 ASSERT_NE(nullptr, hMain);
                 EXPECT_EQ(1u, ReadRunValue());
                 driver.Key(hMain, VK_ESCAPE);
             });
    EXPECT_FALSE(bResult);
    EXPECT_EQ(0u, ReadRunValue());
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}

TEST_F(MainWindowTest, EditorIsNotepadUnlessSetAndIsReadAtEveryUse)
{
    CAppSettings settings;
    CString path;
    settings.GetHostsEditorPath(path);
    EXPECT_STREQ("C:\\windows\\notepad.exe", path);
    SetEditorPath("");
    settings.GetHostsEditorPath(path);
    EXPECT_STREQ("C:\\windows\\notepad.exe", path);
    SetEditorPath("D:\\No Such\\editor.exe");
    settings.GetHostsEditorPath(path);
    EXPECT_STREQ("D:\\No Such\\editor.exe", path);
}
