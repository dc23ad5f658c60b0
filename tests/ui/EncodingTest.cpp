// A file in the ANSI code page (1252 in this prefix) is shown, searched and
// added to in that code page, as always; a UTF-8 file as UTF-8, whatever the
// code page. (tests/ui/cp932 does the same where the code page is 932.)
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <dlgs.h>

class EncodingTest : public WindowTest
{
};

TEST_F(EncodingTest, ACodePage1252FileStaysInItAndAUtf8FileInUtf8)
{
    ASSERT_EQ(1252u, ::GetACP());
    SetHosts("# caf\xE9\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ("# caf\xE9", UiDriver::Cell(hList, 0, 1));
        EXPECT_EQ(L"# caf\u00E9", UiDriver::CellW(hList, 0, 1));
        driver.Command(hMain, ID_EDIT_FIND);
        HWND hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        HWND hText = ::GetDlgItem(hFind, edt1);
        UiDriver::Type(hText, L"CAF\u00E9");
        driver.Command(hFind, IDOK);
        driver.Sync(hMain);
        EXPECT_EQ(std::vector<int>{0}, UiDriver::SelectedRows(hList));
        driver.Key(hFind, VK_ESCAPE);
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return !::IsWindow(hFind); }));

        // An entry that the code page cannot hold (пример, Cyrillic) is not
        // stored as question marks: the dialog says so and stays.
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        HWND hField = ::GetDlgItem(hEntry, IDC_ENTRY);
        UiDriver::Type(hField, L"\u043F\u0440\u0438\u043C\u0435\u0440.example");
        driver.Command(hEntry, IDOK);
        ExpectBox(driver, "The hosts file is not in UTF-8, and its code page (1252) cannot hold every character of the entry.",
                  "error");
        EXPECT_TRUE(::IsWindowVisible(hEntry));
        EXPECT_EQ(1, UiDriver::RowCount(hList));
        ::SendMessageW(hField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        UiDriver::Type(hField, L"\u00E9.example");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# caf\xE9\r\n127.0.0.1 \xE9.example\r\n", ReadBytes(SystemHostsPath()));

        // The same entry in a UTF-8 file, after a Refresh. (Its backup may
        // come in the same second: the first one goes first.)
        SetHosts("# \xE5\xB9\xBF\xE5\x91\x8A\r\n");
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        // The window may follow the new file before the Refresh: it takes
        // the file's one entry, a wipe, whose box names its backup.
        while (!driver.NoMessageBox())
        {
            driver.Answer(driver.WaitForMessageBox(), IDOK);
            driver.Sync(hMain);
        }
        EmptyFolder(BackupFolderPath());
        EXPECT_EQ(L"# \u5E7F\u544A", UiDriver::CellW(hList, 0, 1));
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        UiDriver::Type(::GetDlgItem(hEntry, IDC_ENTRY), L"\u00E9.example");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# \xE5\xB9\xBF\xE5\x91\x8A\r\n127.0.0.1 \xC3\xA9.example\r\n", ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}
