// Edit > Edit Line and Delete Lines change any row; Undo and Redo take
// every command that changed rows back and do it again; a save writes
// exactly what changed, and a follow carries edits and deletions.
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>

namespace
{
const char kEmptyLine[] = "A line cannot be empty.\nTo remove the line, use Edit > Delete Lines.";

std::string ProblemShown(HWND hDlg)
{
    char szText[512] = "";
    ::GetWindowTextA(::GetDlgItem(hDlg, IDC_LINE_PROBLEM), szText, sizeof szText);
    return szText;
}

std::wstring LineShown(HWND hDlg)
{
    wchar_t szText[512] = L"";
    ::GetWindowTextW(::GetDlgItem(hDlg, IDC_LINE_TEXT), szText, 512);
    return szText;
}

HWND OpenEditLine(UiDriver& driver, HWND hMain)
{
    driver.Key(hMain, VK_F2);
    HWND hDlg = driver.WaitForDialog("Edit Line");
    EXPECT_NE(nullptr, hDlg);
    EXPECT_EQ(hMain, ::GetWindow(hDlg, GW_OWNER));
    return hDlg;
}

void SetLine(UiDriver& driver, HWND hDlg, const wchar_t* pszText)
{
    HWND hField = ::GetDlgItem(hDlg, IDC_LINE_TEXT);
    ::SendMessageW(hField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    UiDriver::Type(hField, pszText);
    driver.Sync(hDlg);
}

int Focused(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

// Whether Undo and Redo are enabled, as the Edit menu shows them when it opens.
std::pair<bool, bool> UndoRedoEnabled(HWND hMain)
{
    HMENU hEdit = ::GetSubMenu(::GetMenu(hMain), 1);
    ::SendMessageA(hMain, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hEdit), 1);
    return {!(::GetMenuState(hEdit, ID_EDIT_UNDO, MF_BYCOMMAND) & MF_GRAYED),
            !(::GetMenuState(hEdit, ID_EDIT_REDO, MF_BYCOMMAND) & MF_GRAYED)};
}

void SaveExpecting(UiDriver& driver, HWND hMain, const std::string& bytes)
{
    EmptyFolder(BackupFolderPath());  // a backup in the same second as the last
    SaveAndConfirm(driver, hMain, IDYES);
    ExpectBox(driver, kSaved, "information");
    EXPECT_EQ(bytes, ReadBytes(SystemHostsPath()));
}
}

using EditLinesTest = WindowTest;

TEST_F(EditLinesTest, EditLineShowsTheLinesProblemAsItIsTypedAndTheSaveChangesOnlyThatLine)
{
    const std::string head = "# hosts\r\n\r\n10.0.0.1   intranet.example  # office\r\n";
    SetHosts(head + "127.0.0.l typo.example\n0.0.0.0 ads.example");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Nothing selected: nothing to edit.
        driver.Key(hMain, VK_F2);
        EXPECT_EQ(nullptr, driver.WaitForDialog("Edit Line", 300));

        // The focused row when it is selected, else the first selected one.
        UiDriver::Select(hList, {2, 3});
        HWND hDlg = OpenEditLine(driver, hMain);
        EXPECT_EQ(L"127.0.0.l typo.example", LineShown(hDlg));
        EXPECT_EQ("\"127.0.0.l\" is not an IP address: Windows ignores this line.", ProblemShown(hDlg));
        SetLine(driver, hDlg, L"127.0.0.1 typo.example");
        EXPECT_EQ("", ProblemShown(hDlg));
        SetLine(driver, hDlg, L"  \t ");
        driver.Command(hDlg, IDOK);
        ExpectBox(driver, kEmptyLine, "error");
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        // Not in the code page (1252): said, and the dialog stays.
        SetLine(driver, hDlg, L"127.0.0.1 \u043F\u0440\u0438\u043C\u0435\u0440.example");
        driver.Command(hDlg, IDOK);
        ExpectBox(driver, "The hosts file is not in UTF-8, and its code page (1252) cannot hold every character of the entry.",
                  "error");
        SetLine(driver, hDlg, L"127.0.0.1 typo.example");
        driver.Command(hDlg, IDOK);
        driver.Sync(hMain);
        EXPECT_EQ("127.0.0.1 typo.example", UiDriver::Cell(hList, 2, 1));
        EXPECT_EQ((std::vector<int>{2}), UiDriver::SelectedRows(hList));
        EXPECT_EQ(2, Focused(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // A commented row shows its mark and no problem; OK unchanged, and
        // Cancel, change nothing; a commented text makes the row commented.
        UiDriver::Select(hList, {0});
        hDlg = OpenEditLine(driver, hMain);
        EXPECT_EQ(L"# hosts", LineShown(hDlg));
        EXPECT_EQ("", ProblemShown(hDlg));
        driver.Command(hDlg, IDOK);
        driver.Sync(hMain);
        UiDriver::Select(hList, {3});
        hDlg = OpenEditLine(driver, hMain);
        SetLine(driver, hDlg, L"#0.0.0.0 ads.example");
        driver.Command(hDlg, IDCANCEL);
        driver.Sync(hMain);
        EXPECT_EQ("Active", UiDriver::Cell(hList, 3, 2));
        hDlg = OpenEditLine(driver, hMain);
        SetLine(driver, hDlg, L"#0.0.0.0 ads.example");
        driver.Command(hDlg, IDOK);
        driver.Sync(hMain);
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 3, 2));

        SaveExpecting(driver, hMain, head + "127.0.0.1 typo.example\n#0.0.0.0 ads.example");
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(EditLinesTest, DeleteLinesRemovesTheSelectedRowsAndTheSaveLosesExactlyTheirLines)
{
    SetHosts("127.0.0.1 a\r\n\r\n  127.0.0.1 b\n127.0.0.1 c\r\n\n127.0.0.1 d\r\n127.0.0.1 e");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.KeyWith(hMain, VK_CONTROL, 'D');
        driver.Sync(hMain);
        EXPECT_EQ(5, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->m_bModified);

        // The Delete key and a double-click still do nothing.
        UiDriver::Select(hList, {1, 2, 4});
        driver.Key(hMain, VK_DELETE);
        driver.Sync(hMain);
        EXPECT_EQ(5, UiDriver::RowCount(hList));

        driver.KeyWith(hMain, VK_CONTROL, 'D');
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 a", "127.0.0.1 d"}), Texts(hList));
        EXPECT_EQ("2", UiDriver::Cell(hList, 1, 0));
        // After the last row removed there is none: the new last row.
        EXPECT_EQ((std::vector<int>{1}), UiDriver::SelectedRows(hList));
        EXPECT_EQ(1, Focused(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        SaveExpecting(driver, hMain, "127.0.0.1 a\r\n\r\n\n127.0.0.1 d\r\n");

        // The row after the last one removed takes the focus.
        UiDriver::Select(hList, {0});
        driver.Command(hMain, ID_EDIT_DELETE_LINES);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<int>{0}), UiDriver::SelectedRows(hList));
        EXPECT_EQ("127.0.0.1 d", UiDriver::Cell(hList, 0, 1));
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(EditLinesTest, EachCommandUndoneGivesBackTheRowsAndACleanWindowAndRedoDoesItAgain)
{
    const std::string hosts = "# Ads\r\n0.0.0.0 ads.example\r\n# 0.0.0.0 off.example\r\n127.0.0.1 localhost\r\n";
    SetHosts(hosts);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        const std::vector<std::string> loaded = Texts(hList);
        EXPECT_EQ(std::make_pair(false, false), UndoRedoEnabled(hMain));

        // Each command, then the rows it leaves.
        struct Case
        {
            const char* pszName;
            std::function<void()> run;
            std::vector<std::string> after;
        };
        const std::vector<Case> cases = {
            {"comment",
             [&] {
                 UiDriver::Select(hList, {1, 3});
                 driver.Command(hMain, IDC_COMMENT_SELECTED);
             },
             {"# Ads", "# 0.0.0.0 ads.example", "# 0.0.0.0 off.example", "# 127.0.0.1 localhost"}},
            {"uncomment",
             [&] {
                 UiDriver::Select(hList, {2});
                 driver.Command(hMain, IDC_UNCOMMENT_SELECTED);
             },
             {"# Ads", "0.0.0.0 ads.example", "0.0.0.0 off.example", "127.0.0.1 localhost"}},
            {"add", [&] { m_pDlg->AddEntry("new.example", "0.0.0.0"); },
             {"# Ads", "0.0.0.0 ads.example", "# 0.0.0.0 off.example", "127.0.0.1 localhost", "0.0.0.0 new.example"}},
            {"edit",
             [&] {
                 UiDriver::Select(hList, {3});
                 HWND hDlg = OpenEditLine(driver, hMain);
                 SetLine(driver, hDlg, L"::1 localhost");
                 driver.Command(hDlg, IDOK);
             },
             {"# Ads", "0.0.0.0 ads.example", "# 0.0.0.0 off.example", "::1 localhost"}},
            {"delete",
             [&] {
                 UiDriver::Select(hList, {0, 2});
                 driver.KeyWith(hMain, VK_CONTROL, 'D');
             },
             {"0.0.0.0 ads.example", "127.0.0.1 localhost"}},
            {"switch off",
             [&] {
                 driver.Command(hMain, ID_EDIT_SECTIONS);
                 HWND hSections = driver.WaitForDialog("Sections");
                 ASSERT_NE(nullptr, hSections);
                 UiDriver::Select(::GetDlgItem(hSections, IDC_SECTION_LIST), {0});
                 driver.Command(hSections, IDC_SWITCH_OFF);
                 driver.Sync(hSections);
                 driver.Command(hSections, IDCANCEL);
             },
             {"# Ads", "# 0.0.0.0 ads.example", "# 0.0.0.0 off.example", "# 127.0.0.1 localhost"}},
        };
        for (const Case& step : cases)
        {
            SCOPED_TRACE(step.pszName);
            step.run();
            driver.Sync(hMain);
            EXPECT_EQ(step.after, Texts(hList));
            EXPECT_EQ(std::make_pair(true, false), UndoRedoEnabled(hMain));
            driver.KeyWith(hMain, VK_CONTROL, 'Z');
            driver.Sync(hMain);
            EXPECT_EQ(loaded, Texts(hList));
            EXPECT_EQ(0, m_pDlg->m_bModified);
            EXPECT_EQ(std::make_pair(false, true), UndoRedoEnabled(hMain));
            driver.KeyWith(hMain, VK_CONTROL, 'Y');
            driver.Sync(hMain);
            EXPECT_EQ(step.after, Texts(hList));
            EXPECT_EQ(1, m_pDlg->m_bModified);
            driver.Command(hMain, ID_EDIT_UNDO);
            driver.Sync(hMain);
        }
        UiDriver::Select(hList, {1, 2});
        driver.Command(hMain, ID_EDIT_DELETE_LINES);
        driver.Sync(hMain);
        // A save keeps the history; undoing past it makes the rows differ
        // from the file again. A Refresh clears it.
        SaveExpecting(driver, hMain, "# Ads\r\n127.0.0.1 localhost\r\n");
        EXPECT_EQ(std::make_pair(true, false), UndoRedoEnabled(hMain));
        driver.Command(hMain, ID_EDIT_UNDO);
        driver.Sync(hMain);
        EXPECT_EQ(loaded, Texts(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        SaveExpecting(driver, hMain, hosts);
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        EXPECT_EQ(std::make_pair(false, false), UndoRedoEnabled(hMain));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(EditLinesTest, ACommandThatCannotBeRecordedForWantOfMemoryIsNotDone)
{
    SetHosts("127.0.0.1 a\r\n# 127.0.0.1 b\r\n127.0.0.1 c\r\n");
    const size_t nLimit = CRowHistory::s_nByteLimitForTesting;
    CRowHistory::s_nByteLimitForTesting = sizeof(CStoredRow);  // one row's change
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        const std::vector<std::string> loaded = Texts(hList);
        for (int nCommand : {IDC_COMMENT_SELECTED, ID_EDIT_DELETE_LINES})
        {
            UiDriver::Select(hList, {0, 1, 2});
            driver.Command(hMain, nCommand);
            ExpectBox(driver, "Not enough memory to complete the operation.", "error");
            EXPECT_EQ(loaded, Texts(hList));
        }
        EXPECT_EQ(0, m_pDlg->m_bModified);
        EXPECT_EQ(std::make_pair(false, false), UndoRedoEnabled(hMain));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    CRowHistory::s_nByteLimitForTesting = nLimit;
}
