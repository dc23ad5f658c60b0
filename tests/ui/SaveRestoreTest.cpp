// Saving with a backup, backing up on demand, restoring a backup, and the
// failures the system can report on the way, through the real dialogs.
#include "MainWindowSteps.h"
#include "WindowTest.h"

#include "res/resource.h"
#include "ui/SystemError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
const char kRestoreCaption[] = "Restore From Saved / Backed Up Hosts File";

void* FailingAllocation(size_t)
{
    return nullptr;
}
}

class SaveTest : public WindowTest
{
protected:
    void TearDown() override
    {
        CSystemError::s_pfnAllocate = &std::malloc;
        WindowTest::TearDown();
    }
};

TEST_F(SaveTest, SaveBacksUpThenChangesOnlyTheLinesCommented)
{
    SetHosts("127.0.0.1 a\n  127.0.0.1 b  \n\n0.0.0.0 c");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {0, 1});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        EXPECT_EQ("# 127.0.0.1 b  ", UiDriver::Cell(hList, 1, 1));
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(0, m_pDlg->m_bModified);

        std::vector<std::string> names = BackupFileNames();
        ASSERT_EQ(1u, names.size());
        EXPECT_TRUE(StartsWith(names[0], "Hosts file backup on ")) << names[0];
        EXPECT_EQ(BackupFolderPath() + "\\" + names[0], backup);
        EXPECT_EQ("127.0.0.1 a\n  127.0.0.1 b  \n\n0.0.0.0 c", ReadBytes(backup)) << "the backup is the old file";
        EXPECT_EQ("# 127.0.0.1 a\n  # 127.0.0.1 b  \n\n0.0.0.0 c", ReadBytes(SystemHostsPath()));

        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain)) << "a saved window closes without asking";
    });
}

TEST_F(SaveTest, SavedUnchangedEveryByteStaysAndAddedRowsGoBeforeACtrlZ)
{
    // A byte-order mark, blank and all-white lines, indentation, LF and CR LF
    // ends, a NUL and the rest of its line, a Ctrl-Z tail, no final line end.
    const std::string odd("\xEF\xBB\xBF# note\n\n \t\r\n   127.0.0.1 a\r\n0.0.0.0 b\0 rest\n#c\x1A" "127.0.0.1 d", 61);
    const std::string blocklist = ReadBytes(DosPath(TARNWICK_TEST_DATA "/real-blocklist-hosts.txt"));
    ASSERT_EQ(77845u, blocklist.size());
    for (const std::string& bytes : {odd, blocklist})
    {
        SetHosts(bytes);
        EmptyFolder(BackupFolderPath());
        RunMain([&](UiDriver& driver, HWND hMain, HWND) {
            SaveAndConfirm(driver, hMain, IDYES);
            ExpectBox(driver, kSaved, "information");
            EXPECT_TRUE(ReadBytes(SystemHostsPath()) == bytes) << "saved unchanged, the file is as it was";
            driver.Key(hMain, VK_ESCAPE);
            EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
        });
    }

    SetHosts(odd);
    EmptyFolder(BackupFolderPath());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ((std::vector<std::string>{"# note", "127.0.0.1 a", "0.0.0.0 b", "#c"}), Texts(hList));
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 0, 2));
        UiDriver::Select(hList, {1});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        ASSERT_TRUE(m_pDlg->AddEntry("new.example", "0.0.0.0"));
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(std::string("\xEF\xBB\xBF# note\n\n \t\r\n   # 127.0.0.1 a\r\n0.0.0.0 b\0 rest\n#c\r\n"
                              "0.0.0.0 new.example\r\n\x1A" "127.0.0.1 d", 86),
                  ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(SaveTest, YesAtTheClosingQuestionSavesAndCloses)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        driver.Key(hMain, VK_ESCAPE);
        ExpectBox(driver, kAskSave, "question", IDYES);
        ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ("# 127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
}

TEST_F(SaveTest, NoAtTheConfirmationWritesNothingKeepsTheBackupAndTheModifiedMark)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        std::string backup = SaveAndConfirm(driver, hMain, IDNO);
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(backup));
        EXPECT_EQ(1, m_pDlg->m_bModified) << "the edit is still unsaved";
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(SaveTest, NoAtTheConfirmationWhileClosingStillCloses)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        driver.Command(hMain, ID_FILE_EXIT);
        ExpectBox(driver, kAskSave, "question", IDYES);
        ConfirmBackup(driver, IDNO);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
}

TEST_F(SaveTest, BackupNameTakenReportsTheSystemTextAndWritesNothing)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        TakeBackupNamesFor(5);
        std::vector<std::string> before = BackupFileNames();
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver,
                  "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " + SystemText(80),
                  "error");
        EXPECT_EQ(before, BackupFileNames());
        for (const std::string& name : before)
            EXPECT_EQ("taken", ReadBytes(BackupFolderPath() + "\\" + name)) << "never overwritten";
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // Closing with Yes: the failed save keeps the window open with its rows.
        driver.Key(hMain, VK_ESCAPE);
        ExpectBox(driver, kAskSave, "question", IDYES);
        ExpectBox(driver,
                  "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " + SystemText(80),
                  "error");
        driver.Sync(hMain);
        EXPECT_TRUE(::IsWindow(hMain));
        EXPECT_EQ("# 127.0.0.1 a", UiDriver::Cell(hList, 0, 1));
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(SaveTest, TwoSavesInTheSameSecondFailTheSecond)
{
    // Whether two saves fall in one second depends on the clock; the second
    // save is retried until it does, a few times at most.
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        bool bSeen = false;
        for (int nTry = 0; nTry < 5 && !bSeen; ++nTry)
        {
            EmptyFolder(BackupFolderPath());
            SaveAndConfirm(driver, hMain, IDYES);
            ExpectBox(driver, kSaved, "information");
            SetHosts("127.0.0.1 a\r\n");
            driver.Command(hMain, IDC_SAVE_CHANGES);
            MessageBoxSeen second = driver.WaitForMessageBox();
            if (StartsWith(second.text, "Failed to Backup Current Hosts File.\nAborting"))
            {
                bSeen = true;
                EXPECT_EQ("Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " +
                              SystemText(80),
                          second.text);
                EXPECT_EQ(1u, BackupFileNames().size());
                driver.Answer(second, IDOK);
            }
            else
            {
                driver.Answer(second, IDNO);  // a second later: try again
            }
        }
        EXPECT_TRUE(bSeen);
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(SaveTest, AccessDeniedAsksToRunAsAdministratorAndKeepsTheWindowOpen)
{
    SetHosts("127.0.0.1 a\r\n");
    std::string unixHosts = UnixPath(SystemHostsPath());
    ASSERT_FALSE(unixHosts.empty());
    // As root, only an immutable file refuses writing.
    if (RunUnixCommand("chattr +i '" + unixHosts + "'") != 0)
        GTEST_SKIP() << "cannot make the hosts file immutable here";
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        driver.Command(hMain, ID_FILE_EXIT);
        ExpectBox(driver, kAskSave, "question", IDYES);
        ConfirmBackup(driver, IDYES);
        MessageBoxSeen box = driver.WaitForMessageBox();
        EXPECT_EQ("Failed to Save Changes.\nError : " + SystemText(5) +
                      "Please try running the application as administrator.",
                  box.text);
        EXPECT_EQ("error", box.icon);
        driver.Answer(box, IDOK);
        driver.Sync(hMain);
        EXPECT_TRUE(::IsWindow(hMain)) << "a failed save keeps the window open";
        EXPECT_EQ(1, m_pDlg->m_bModified);
        ExitAnsweringNo(driver, hMain);
    });
    RunUnixCommand("chattr -i '" + unixHosts + "'");
    EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
}

TEST_F(SaveTest, HostsFileHeldOpenByAnotherHandleGivesASharingViolation)
{
    SetHosts("127.0.0.1 a\r\n");
    // Another program reads the file and lets others read, but not write.
    HANDLE hHeld = ::CreateFileA(SystemHostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, "Failed to Save Changes.\nError : " + SystemText(32), "error");
        EXPECT_EQ(1, m_pDlg->m_bModified);
        ExitAnsweringNo(driver, hMain);
    });
    ::CloseHandle(hHeld);
    EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
}

TEST_F(SaveTest, ErrorTextHolderThatCannotBeAllocatedStillShowsTheMessage)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        TakeBackupNamesFor(5);
        CSystemError::s_pfnAllocate = &FailingAllocation;
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver, "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : ", "error");
        driver.Command(hMain, ID_FILE_BACKUP_NOW);
        ExpectBox(driver, "Failed to Backup Current Hosts File.\nError : ", "error");
        CSystemError::s_pfnAllocate = &std::malloc;
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(SaveTest, BackupNowMakesACopyAndLeavesTheModifiedMark)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Command(hMain, ID_FILE_BACKUP_NOW);
        MessageBoxSeen box = driver.WaitForMessageBox();
        std::vector<std::string> names = BackupFileNames();
        ASSERT_EQ(1u, names.size());
        EXPECT_EQ("Current Hosts File Backed Up Successfully as [" + BackupFolderPath() + "\\" + names[0] + "].",
                  box.text);
        EXPECT_EQ("information", box.icon);
        EXPECT_EQ((std::vector<int>{IDOK}), box.buttons);
        driver.Answer(box, IDOK);
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(BackupFolderPath() + "\\" + names[0]));
        EXPECT_EQ(0, m_pDlg->m_bModified);

        CommentFirstRow(driver, hMain, hList);
        TakeBackupNamesFor(5);
        driver.Command(hMain, ID_FILE_BACKUP_NOW);
        ExpectBox(driver, "Failed to Backup Current Hosts File.\nError : " + SystemText(80), "error");
        EXPECT_EQ(1, m_pDlg->m_bModified);
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(SaveTest, MissingHostsFileFailsTheBackupAndWritesNothing)
{
    ::DeleteFileA(SystemHostsPath().c_str());
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver,
                  "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " + SystemText(2),
                  "error");
        EXPECT_FALSE(FileExists(SystemHostsPath())) << "an empty list is not written over a missing file";
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

class RestoreTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ::CreateDirectoryA(BackupFolderPath().c_str(), nullptr);
        ::CreateDirectoryA((BackupFolderPath() + "\\old").c_str(), nullptr);
        WriteBytes(BackupFolderPath() + "\\Hosts file backup on 7 1 2008 9 42 20 PM", "127.0.0.1 first\r\n");
        WriteBytes(BackupFolderPath() + "\\Hosts file backup on 7 2 2008 9 42 20 PM", "127.0.0.1 second\r\n");
        WriteBytes(BackupFolderPath() + "\\old\\x", "# old one\r\n0.0.0.0 x.example\r\n");
    }

    // Opens the restore dialog and returns it with its list.
    static HWND OpenRestore(UiDriver& driver, HWND hMain, HWND* phList)
    {
        driver.Command(hMain, ID_FILE_RESTORE);
        HWND hRestore = driver.WaitForDialog(kRestoreCaption);
        EXPECT_NE(nullptr, hRestore);
        *phList = hRestore ? ::GetDlgItem(hRestore, IDC_BACKUP_LIST) : nullptr;
        return hRestore;
    }

    static int RowNamed(HWND hList, const std::string& name)
    {
        for (int n = 0; n < UiDriver::RowCount(hList); ++n)
            if (UiDriver::Cell(hList, n, 1) == name)
                return n;
        return -1;
    }
};

TEST_F(RestoreTest, ListsEveryBackupFileNumberedWithNamesRelativeToTheFolder)
{
    SetHosts("127.0.0.1 current\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        ASSERT_EQ(3, UiDriver::RowCount(hList));
        std::vector<std::string> names;
        for (int n = 0; n < 3; ++n)
        {
            EXPECT_EQ(std::to_string(n + 1), UiDriver::Cell(hList, n, 0));
            names.push_back(UiDriver::Cell(hList, n, 1));
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ((std::vector<std::string>{"Hosts file backup on 7 1 2008 9 42 20 PM",
                                            "Hosts file backup on 7 2 2008 9 42 20 PM", "old\\x"}),
                  names);
        char szHeader[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = szHeader;
        column.cchTextMax = sizeof(szHeader);
        ::SendMessageA(hList, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
        EXPECT_STREQ("File Name", szHeader);
        EXPECT_EQ(400, column.cx);

        // Close and Escape change nothing and say nothing.
        driver.Command(hRestore, IDCANCEL);
        for (int n = 0; n < 200 && ::IsWindow(hRestore); ++n)
            ::Sleep(10);
        EXPECT_FALSE(::IsWindow(hRestore));
        hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        driver.Key(hRestore, VK_ESCAPE);
        for (int n = 0; n < 200 && ::IsWindow(hRestore); ++n)
            ::Sleep(10);
        EXPECT_FALSE(::IsWindow(hRestore));
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ("127.0.0.1 current", UiDriver::Cell(::GetDlgItem(hMain, IDC_HOSTS_LIST), 0, 1));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(RestoreTest, NothingSelectedAsksForASelectionAndStaysOpen)
{
    SetHosts("127.0.0.1 current\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        UiDriver::Select(hList, {});
        driver.Command(hRestore, IDC_RESTORE);
        ExpectBox(driver,
                  "Please Select the appropriate Backed Up Hosts File from the List above to Restore From",
                  "information");
        driver.Command(hRestore, IDC_VIEW_FILE);
        ExpectBox(driver, "Please Select the appropriate Backed Up Hosts File from the List above to View",
                  "information");
        // Enter does what Restore does: with nothing selected it asks.
        driver.Key(hRestore, VK_RETURN);
        ExpectBox(driver,
                  "Please Select the appropriate Backed Up Hosts File from the List above to Restore From",
                  "information");
        driver.Sync(hRestore);
        EXPECT_TRUE(::IsWindow(hRestore));
        driver.Command(hRestore, IDCANCEL);
        driver.Sync(hMain);
        EXPECT_EQ("127.0.0.1 current", UiDriver::Cell(hMainList, 0, 1));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(RestoreTest, RestoreLoadsTheChosenBackupAndMarksTheWindowModified)
{
    SetHosts("127.0.0.1 current\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        int nRow = RowNamed(hList, "old\\x");
        ASSERT_GE(nRow, 0);
        UiDriver::Select(hList, {nRow});
        driver.Command(hRestore, IDC_RESTORE);
        ExpectBox(driver,
                  "The Selected Old Hosts File will now be loaded into the main screen.\n"
                  "You can complete the Restore by Pressing Save Changes Button on the main screen.",
                  "information");
        driver.Sync(hMain);
        EXPECT_FALSE(::IsWindow(hRestore));
        ASSERT_EQ(2, UiDriver::RowCount(hMainList));
        EXPECT_EQ("1", UiDriver::Cell(hMainList, 0, 0));
        EXPECT_EQ("# old one", UiDriver::Cell(hMainList, 0, 1));
        EXPECT_EQ("Commented", UiDriver::Cell(hMainList, 0, 2));
        EXPECT_EQ("0.0.0.0 x.example", UiDriver::Cell(hMainList, 1, 1));
        EXPECT_EQ(1, m_pDlg->m_bModified) << "the rows differ from the hosts file until saved";
        EXPECT_EQ("127.0.0.1 current\r\n", ReadBytes(SystemHostsPath())) << "restoring alone writes nothing";
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(RestoreTest, EnterWithARowSelectedRestoresIt)
{
    SetHosts("127.0.0.1 current\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        CommentFirstRow(driver, hMain, hMainList);
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        UiDriver::Select(hList, {RowNamed(hList, "Hosts file backup on 7 2 2008 9 42 20 PM")});
        driver.Key(hRestore, VK_RETURN);
        MessageBoxSeen box = driver.WaitForMessageBox();
        EXPECT_TRUE(StartsWith(box.text, "The Selected Old Hosts File will now be loaded")) << box.text;
        driver.Answer(box, IDOK);
        driver.Sync(hMain);
        ASSERT_EQ(1, UiDriver::RowCount(hMainList));
        EXPECT_EQ("127.0.0.1 second", UiDriver::Cell(hMainList, 0, 1));
        EXPECT_EQ(1, m_pDlg->m_bModified) << "edits made before the restore still count";
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(RestoreTest, ARestoredBackupSavedUnchangedMakesTheHostsFileThatBackup)
{
    const std::string old("\xEF\xBB\xBF  # old\n\n127.0.0.1 kept\r\n\t0.0.0.0 x\x1A" "0.0.0.0 after\n", 53);
    SetHosts("127.0.0.1 current\r\n");
    WriteBytes(BackupFolderPath() + "\\odd", old);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        UiDriver::Select(hList, {RowNamed(hList, "odd")});
        driver.Command(hRestore, IDC_RESTORE);
        MessageBoxSeen box = driver.WaitForMessageBox();
        driver.Answer(box, IDOK);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"  # old", "127.0.0.1 kept", "0.0.0.0 x"}), Texts(hMainList));
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_TRUE(ReadBytes(SystemHostsPath()) == old) << "the hosts file is the backup, byte for byte";
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(RestoreTest, ABackupGoneBeforeItIsLoadedSaysSoAndLeavesTheList)
{
    SetHosts("127.0.0.1 current\r\n0.0.0.0 other\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        CommentFirstRow(driver, hMain, hMainList);
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        UiDriver::Select(hList, {RowNamed(hList, "old\\x")});
        ASSERT_TRUE(::DeleteFileA((BackupFolderPath() + "\\old\\x").c_str()));
        driver.Command(hRestore, IDC_RESTORE);
        ExpectBox(driver,
                  "The Selected Old Hosts File will now be loaded into the main screen.\n"
                  "You can complete the Restore by Pressing Save Changes Button on the main screen.",
                  "information");
        ExpectBox(driver, "Failed to Load the Selected Backup File.\nError : " + SystemText(ERROR_FILE_NOT_FOUND),
                  "error");
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"# 127.0.0.1 current", "0.0.0.0 other"}), Texts(hMainList));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# 127.0.0.1 current\r\n0.0.0.0 other\r\n", ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(RestoreTest, SavingARestoredEmptyBackupWritesAnEmptyHostsFile)
{
    SetHosts("127.0.0.1 current\r\n");
    WriteBytes(BackupFolderPath() + "\\empty", "");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        HWND hList = nullptr;
        HWND hRestore = OpenRestore(driver, hMain, &hList);
        ASSERT_NE(nullptr, hRestore);
        UiDriver::Select(hList, {RowNamed(hList, "empty")});
        driver.Command(hRestore, IDC_RESTORE);
        ExpectBox(driver,
                  "The Selected Old Hosts File will now be loaded into the main screen.\n"
                  "You can complete the Restore by Pressing Save Changes Button on the main screen.",
                  "information");
        driver.Sync(hMain);
        EXPECT_EQ(0, UiDriver::RowCount(hMainList));
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("", ReadBytes(SystemHostsPath()));
        EXPECT_TRUE(FileExists(SystemHostsPath()));
        EXPECT_EQ("127.0.0.1 current\r\n", ReadBytes(backup));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(SaveTest, WriteFailingPartWayPutsBackWhatTheHostsFileHeldNotTheBackupCopy)
{
    // The hosts file lives on a 16 KiB disk; the list to save is far larger.
    // Wine reports the link to it as a plain file, which a rename would
    // replace: a second name on that disk keeps the save to writing in place,
    // as Windows does for a symbolic link.
    const std::string original = "127.0.0.1 small\r\n";
    SetHosts(original);
    std::string unixHosts = UnixPath(SystemHostsPath());
    ASSERT_FALSE(unixHosts.empty());
    std::string disk = "/tmp/tarnwick-small-disk-" + std::to_string(::GetCurrentProcessId());
    if (RunUnixCommand("mkdir -p " + disk + " && mount -t tmpfs -o size=16k tmpfs " + disk + " && cp '" +
                       unixHosts + "' " + disk + "/hosts && rm '" + unixHosts + "' && ln -s " + disk + "/hosts '" +
                       unixHosts + "' && ln " + disk + "/hosts " + disk + "/second-name") != 0)
    {
        RunUnixCommand("umount " + disk + "; rmdir " + disk);
        GTEST_SKIP() << "cannot mount a small disk here";
    }
    std::string big;
    for (int n = 0; n < 4000; ++n)
        big += "0.0.0.0 tracker" + std::to_string(n) + ".example\r\n";
    ::CreateDirectoryA(BackupFolderPath().c_str(), nullptr);
    WriteBytes(BackupFolderPath() + "\\big", big);

    RunMain([&](UiDriver& driver, HWND hMain, HWND hMainList) {
        driver.Command(hMain, ID_FILE_RESTORE);
        HWND hRestore = driver.WaitForDialog(kRestoreCaption);
        ASSERT_NE(nullptr, hRestore);
        HWND hList = ::GetDlgItem(hRestore, IDC_BACKUP_LIST);
        for (int n = 0; n < UiDriver::RowCount(hList); ++n)
            if (UiDriver::Cell(hList, n, 1) == "big")
                UiDriver::Select(hList, {n});
        driver.Command(hRestore, IDC_RESTORE);
        driver.Answer(driver.WaitForMessageBox(), IDOK);
        driver.Sync(hMain);
        ASSERT_EQ(4000, UiDriver::RowCount(hMainList));
        CommentFirstRow(driver, hMain, hMainList);

        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, "Failed to Save Changes.\nError : " + SystemText(112), "error");
        EXPECT_EQ(original, ReadBytes(SystemHostsPath())) << "the hosts file is as it was before the save";
        EXPECT_EQ(original, ReadBytes(backup));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ(4000, UiDriver::RowCount(hMainList)) << "the rows are still there to save elsewhere";

        EXPECT_EQ(0, RunUnixCommand("test -L '" + unixHosts + "'")) << "the hosts file still points to the disk";

        // Again, but the backup copy has changed while the question was open
        // (any program of the user's may write there): what goes back is what
        // the hosts file held just before the write, not the copy.
        ::Sleep(1100);  // the next backup needs a name of a later second
        driver.Command(hMain, IDC_SAVE_CHANGES);
        MessageBoxSeen box = driver.WaitForMessageBox();
        std::string::size_type nOpen = box.text.find('['), nClose = box.text.find(']');
        ASSERT_TRUE(nOpen != std::string::npos && nClose != std::string::npos) << box.text;
        std::string grown = box.text.substr(nOpen + 1, nClose - nOpen - 1);
        const std::string grownBytes = "0.0.0.0 planted.example\r\n" + std::string(32 * 1024, '#') + "\r\n";
        WriteBytes(grown, grownBytes);
        driver.Answer(box, IDYES);
        ExpectBox(driver, "Failed to Save Changes.\nError : " + SystemText(112), "error");
        EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        ExitAnsweringNo(driver, hMain);
    });
    // The window test's tear-down writes the prefix's own hosts file back.
    RunUnixCommand("rm -f '" + unixHosts + "'; umount " + disk + "; rmdir " + disk);
}
