// What a save does around the write: a read-only hosts file is saved only
// when the user says so and stays read-only, hidden and system files keep
// their attributes, backups are ordinary files, a file that another program
// changes right after the write is reported, and the system's name cache is
// emptied after a save.
#include "MainWindowSteps.h"
#include "WindowTest.h"

#include "hosts/disk/SaveFile.h"
#include "res/resource.h"

namespace
{
const char kReadOnly[] = "The hosts file is marked read-only.\nSave anyway? It stays read-only afterwards.";
const DWORD kShown = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

void ExpectReadOnlyQuestion(UiDriver& driver, int nAnswer)
{
    MessageBoxSeen box = driver.WaitForMessageBox();
    LONG nNoStyle = ::GetWindowLongA(::GetDlgItem(box.hWnd, IDNO), GWL_STYLE);
    EXPECT_EQ(BS_DEFPUSHBUTTON, nNoStyle & BS_TYPEMASK) << "No is the default button";
    EXPECT_EQ("Tarnwick", box.caption);
    EXPECT_EQ(kReadOnly, box.text);
    EXPECT_EQ("warning", box.icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    driver.Answer(box, nAnswer);
}

DWORD Attributes(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) & kShown;
}
}

class SaveSafetyTest : public WindowTest
{
protected:
    void TearDown() override
    {
        g_saveHookForTesting = CSaveHookForTesting();
        ::SetFileAttributesA(SystemHostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        WindowTest::TearDown();
    }
};

TEST_F(SaveSafetyTest, AReadOnlyHostsFileIsSavedOnlyWhenTheUserSaysSoAndStaysReadOnly)
{
    SetHosts("127.0.0.1 a\r\n");
    ASSERT_TRUE(::SetFileAttributesA(SystemHostsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);

        // No: nothing written, no backup, the rows still unsaved.
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectReadOnlyQuestion(driver, IDNO);
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_TRUE(BackupFileNames().empty());
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // Yes: backed up as an ordinary file, saved, read-only again.
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectReadOnlyQuestion(driver, IDYES);
        std::string backup = ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# 127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY), Attributes(SystemHostsPath()));
        EXPECT_EQ(0u, Attributes(backup));
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(backup));

        // While closing, No closes the window, as No to the backup question
        // does.
        UiDriver::Select(hList, {0});
        driver.Command(hMain, IDC_UNCOMMENT_SELECTED);
        driver.Sync(hMain);
        driver.Key(hMain, VK_ESCAPE);
        ExpectBox(driver, kAskSave, "question", IDYES);
        ExpectReadOnlyQuestion(driver, IDNO);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ("# 127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY), Attributes(SystemHostsPath()));
}

TEST_F(SaveSafetyTest, HiddenAndSystemAttributesStayWithoutAQuestion)
{
    SetHosts("127.0.0.1 a\r\n");
    ASSERT_TRUE(::SetFileAttributesA(SystemHostsPath().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# 127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), Attributes(SystemHostsPath()));
        EXPECT_EQ(0u, Attributes(backup));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(SaveSafetyTest, AFileChangedRightAfterTheWriteIsReportedAndTheRowsStayUnsaved)
{
    // A security program that puts its own copy back the moment the file is
    // written.
    const std::string theirs = "127.0.0.1 a\r\n0.0.0.0 guarded.example\r\n";
    SetHosts("127.0.0.1 a\r\n");
    g_saveHookForTesting.afterWrite = [&] { WriteBytes(SystemHostsPath(), theirs); };
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver,
                  "The changes were saved, but the hosts file no longer holds them: another program, such as a "
                  "security program, has changed it.\nPress Refresh to see what it holds now.",
                  "warning");
        g_saveHookForTesting.afterWrite = nullptr;
        EXPECT_EQ(theirs, ReadBytes(SystemHostsPath()));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ("# 127.0.0.1 a", UiDriver::Cell(hList, 0, 1));
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(SaveSafetyTest, ASaveEmptiesTheSystemsNameCacheThroughTheLibraryInTheSystemFolder)
{
    // The library is loaded only when a save needs it, from the system folder.
    ASSERT_EQ(nullptr, ::GetModuleHandleA("dnsapi.dll")) << "this test needs a process without it";
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        SaveAndConfirm(driver, hMain, IDNO);
        EXPECT_EQ(nullptr, ::GetModuleHandleA("dnsapi.dll")) << "nothing saved, nothing to flush";
        ::Sleep(1100);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        HMODULE hDns = ::GetModuleHandleA("dnsapi.dll");
        ASSERT_NE(nullptr, hDns);
        char szPath[MAX_PATH] = "";
        ::GetModuleFileNameA(hDns, szPath, MAX_PATH);
        char szSystem[MAX_PATH] = "";
        ::GetSystemDirectoryA(szSystem, MAX_PATH);
        EXPECT_EQ(0, lstrcmpiA(szPath, (std::string(szSystem) + "\\dnsapi.dll").c_str())) << szPath;
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(SaveSafetyTest, ASaveKilledBetweenItsTwoRenamesLeavesTheHostsFileWholeAtTheNextStart)
{
    // A read-only file is renamed aside before the new one takes its name:
    // the one moment without a hosts file.
    SetHosts("127.0.0.1 a\r\n");
    ASSERT_TRUE(::SetFileAttributesA(SystemHostsPath().c_str(), kShown));
    g_saveHookForTesting.step = SaveStep::moveNew;
    g_saveHookForTesting.bKill = true;
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectReadOnlyQuestion(driver, IDYES);
        ConfirmBackup(driver, IDYES);
        ExpectBox(driver, "Failed to Save Changes.\nError : " + SystemText(ERROR_WRITE_FAULT), "error");
        EXPECT_FALSE(FileExists(SystemHostsPath()));
        g_saveHookForTesting = CSaveHookForTesting();
        ExitAnsweringNo(driver, hMain);
    });

    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 a"}), Texts(hList));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
    EXPECT_EQ(kShown, Attributes(SystemHostsPath()));
    WIN32_FIND_DATAA found;
    std::string etc = SystemHostsPath().substr(0, SystemHostsPath().rfind('\\'));
    HANDLE hFind = ::FindFirstFileA((etc + "\\~tarnwick-*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, hFind) << "left behind: " << found.cFileName;
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
}
