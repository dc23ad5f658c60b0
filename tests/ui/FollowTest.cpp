// The list follows the hosts file when another program writes it: a clean
// list simply shows the new lines, keeping its selection and scroll
// position; unsaved changes are carried onto them, and the user is told how
// many could not be; a restored list is the user's choice and stays as it
// is; Tarnwick's own save and a rewrite of the same bytes change nothing.
#include "MainWindowSteps.h"
#include "OtherProcessHolding.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <commctrl.h>

#include <chrono>
#include <thread>

namespace
{
const char kLost[] =
    "The hosts file has been changed by another program; the list now shows its lines.\n"
    "%d of your changes could not be kept: the lines they were made on have been changed or removed there.";

std::string Lost(int nCount)
{
    char szText[512];
    std::snprintf(szText, sizeof szText, kLost, nCount);
    return szText;
}

void Select(UiDriver& driver, HWND hMain, HWND hList, std::initializer_list<int> rows, int nCommand)
{
    UiDriver::Select(hList, rows);
    driver.Command(hMain, nCommand);
    driver.Sync(hMain);
}

// Writes the hosts file from a Linux process, as another program would.
void WriteFromOutside(const std::string& bytes)
{
    std::string source = UnixPath(SystemHostsPath()) + ".outside";
    WriteBytes(DosPath(source), bytes);
    ASSERT_EQ(0, RunUnixCommand("cat '" + source + "' > '" + UnixPath(SystemHostsPath()) + "' && rm '" + source + "'"));
}

// Waits up to two seconds (or nMilliseconds), from now, for the list to show
// the texts.
::testing::AssertionResult ShowsWithinTwoSeconds(UiDriver& driver, HWND hList, const std::vector<std::string>& texts,
                                                 int nMilliseconds = 2000)
{
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> seen;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(nMilliseconds))
    {
        seen = Texts(hList);
        if (seen == texts)
            return ::testing::AssertionSuccess();
        ::Sleep(20);
    }
    std::string shown;
    for (const std::string& text : seen)
        shown += "'" + text + "' ";
    return ::testing::AssertionFailure() << "after " << nMilliseconds << " ms the list shows " << shown;
}

int NextSelected(HWND hList, int nFrom)
{
    return static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(nFrom), LVNI_SELECTED));
}
}

using FollowTest = WindowTest;

TEST_F(FollowTest, ACleanListShowsWhatAnotherProgramWroteWithinTwoSeconds)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {1, 2});
        ::SendMessageA(hList, WM_KEYDOWN, VK_DOWN, 0);  // the focus, on row 3
        UiDriver::Select(hList, {1, 2});
        int nFocused = static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));

        WriteFromOutside("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n0.0.0.0 appended.example\r\n");
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList,
                                          {"127.0.0.1 a", "127.0.0.1 b", "127.0.0.1 c", "0.0.0.0 appended.example"}));
        WriteFromOutside("0.0.0.0 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n0.0.0.0 appended.example\r\n");
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList,
                                          {"0.0.0.0 a", "127.0.0.1 b", "127.0.0.1 c", "0.0.0.0 appended.example"}));
        WriteFromOutside("0.0.0.0 a\r\n127.0.0.1 c\r\n0.0.0.0 appended.example\r\n");
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList, {"0.0.0.0 a", "127.0.0.1 c", "0.0.0.0 appended.example"}));
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(0, m_pDlg->m_bModified);

        // The rows selected and focused keep their numbers.
        EXPECT_EQ(1, NextSelected(hList, -1));
        EXPECT_EQ(2, NextSelected(hList, 1));
        EXPECT_EQ(nFocused, static_cast<int>(::SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));

        // The same bytes written again, and Tarnwick's own save, change nothing.
        int nFollowed = m_pDlg->GetFollowedCount();
        WriteFromOutside("0.0.0.0 a\r\n127.0.0.1 c\r\n0.0.0.0 appended.example\r\n");
        Select(driver, hMain, hList, {0}, IDC_COMMENT_SELECTED);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        ::Sleep(1000);
        driver.Sync(hMain);
        EXPECT_EQ(nFollowed, m_pDlg->GetFollowedCount());
        EXPECT_EQ(0, m_pDlg->m_bModified);
        EXPECT_EQ("# 0.0.0.0 a", UiDriver::Cell(hList, 0, 1));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FollowTest, UnsavedChangesAreCarriedOntoTheNewLinesAndTheLostOnesCounted)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n127.0.0.1 d\r\n127.0.0.1 e\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // a: left alone there; b: changed there; c: removed there; d: the
        // same change made there.
        Select(driver, hMain, hList, {0, 1, 2, 3}, IDC_COMMENT_SELECTED);
        ASSERT_TRUE(m_pDlg->AddEntry("added.example", "0.0.0.0"));
        WriteFromOutside("10.0.0.1 vpn.example\n127.0.0.1 a\n127.0.0.1 b2\n# 127.0.0.1 d\n127.0.0.1 e\n");
        ExpectBox(driver, Lost(2), "warning");
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"10.0.0.1 vpn.example", "# 127.0.0.1 a", "127.0.0.1 b2", "# 127.0.0.1 d",
                                            "127.0.0.1 e", "0.0.0.0 added.example"}),
                  Texts(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ("10.0.0.1 vpn.example\n127.0.0.1 a\n127.0.0.1 b2\n# 127.0.0.1 d\n127.0.0.1 e\n",
                  ReadBytes(SystemHostsPath()))
            << "following writes nothing";

        // A save writes the carried changes over their lines.
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("10.0.0.1 vpn.example\n# 127.0.0.1 a\n127.0.0.1 b2\n# 127.0.0.1 d\n127.0.0.1 e\n"
                  "0.0.0.0 added.example\n",
                  ReadBytes(SystemHostsPath()));

        // When the other program made every change of the user's, nothing
        // is lost and the list is the file again.
        Select(driver, hMain, hList, {4}, IDC_COMMENT_SELECTED);
        WriteFromOutside("# theirs\n10.0.0.1 vpn.example\n# 127.0.0.1 a\n127.0.0.1 b2\n# 127.0.0.1 d\n# 127.0.0.1 e\n"
                         "0.0.0.0 added.example\r\n");
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList,
                                          {"# theirs", "10.0.0.1 vpn.example", "# 127.0.0.1 a", "127.0.0.1 b2",
                                           "# 127.0.0.1 d", "# 127.0.0.1 e", "0.0.0.0 added.example"}));
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FollowTest, ALineAddedAtTheTopElsewhereKeepsAnEditADeletionAndAnAddedRowWithNoMessage)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n127.0.0.1 d\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // b edited, c deleted, a row added.
        UiDriver::Select(hList, {1});
        driver.Key(hMain, VK_F2);
        HWND hDlg = driver.WaitForDialog("Edit Line");
        ASSERT_NE(nullptr, hDlg);
        ::SetWindowTextW(::GetDlgItem(hDlg, IDC_LINE_TEXT), L"10.0.0.2 b");
        driver.Command(hDlg, IDOK);
        driver.Sync(hMain);
        Select(driver, hMain, hList, {2}, ID_EDIT_DELETE_LINES);
        ASSERT_TRUE(m_pDlg->AddEntry("added.example", "0.0.0.0"));
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 a", "10.0.0.2 b", "127.0.0.1 d", "0.0.0.0 added.example"}),
                  Texts(hList));
        WriteFromOutside("# theirs\r\n127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n127.0.0.1 d\r\n");
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList,
                                          {"# theirs", "127.0.0.1 a", "10.0.0.2 b", "127.0.0.1 d",
                                           "0.0.0.0 added.example"}));
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(1, m_pDlg->m_bModified);
        // A follow starts a new history: there is nothing to undo.
        driver.KeyWith(hMain, VK_CONTROL, 'Z');
        driver.Sync(hMain);
        EXPECT_EQ(5, UiDriver::RowCount(hList));
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# theirs\r\n127.0.0.1 a\r\n10.0.0.2 b\r\n127.0.0.1 d\r\n0.0.0.0 added.example\r\n",
                  ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FollowTest, ARestoredListStaysAsItIsAndTheSaveAsksBeforeReplacingTheFile)
{
    SetHosts("127.0.0.1 current\r\n");
    ::CreateDirectoryA(BackupFolderPath().c_str(), nullptr);
    WriteBytes(BackupFolderPath() + "\\old", "127.0.0.1 old\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Command(hMain, ID_FILE_RESTORE);
        HWND hRestore = driver.WaitForDialog("Restore From Saved / Backed Up Hosts File");
        ASSERT_NE(nullptr, hRestore);
        UiDriver::Select(::GetDlgItem(hRestore, IDC_BACKUP_LIST), {0});
        driver.Command(hRestore, IDC_RESTORE);
        driver.Answer(driver.WaitForMessageBox(), IDOK);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 old"}), Texts(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified) << "closing asks before the restore is dropped";

        WriteFromOutside("127.0.0.1 current\r\n10.0.0.1 vpn.example\r\n");
        ::Sleep(1000);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 old"}), Texts(hList));
        EXPECT_TRUE(driver.NoMessageBox());

        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectChangedQuestion(driver, IDYES);
        std::string backup = ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("127.0.0.1 current\r\n10.0.0.1 vpn.example\r\n", ReadBytes(backup));
        EXPECT_EQ("127.0.0.1 old\r\n", ReadBytes(SystemHostsPath()));

        // Saved, the list follows the file again.
        WriteFromOutside("127.0.0.1 old\r\n10.0.0.2 again.example\r\n");
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList, {"127.0.0.1 old", "10.0.0.2 again.example"}));

        // A hosts file that is gone leaves the list as it is.
        ASSERT_EQ(0, RunUnixCommand("rm '" + UnixPath(SystemHostsPath()) + "'"));
        ::Sleep(1000);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 old", "10.0.0.2 again.example"}), Texts(hList));
        EXPECT_TRUE(driver.NoMessageBox());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FollowTest, AFileThatCannotBeReadIsFollowedOnceItCanBe)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        COtherProcessHolding holder;
        WriteFromOutside("127.0.0.1 a\r\n0.0.0.0 locked.example\r\n");
        ASSERT_TRUE(holder.Hold(SystemHostsPath(), "none"));
        ::Sleep(1500);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 a"}), Texts(hList)) << "it cannot be read yet";
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(0u, holder.Release());
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList, {"127.0.0.1 a", "0.0.0.0 locked.example"}));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

namespace
{
const char kWipeKept[] = "The hosts file has been changed by another program, which removed 20 of the 20 host names its entries mapped.\n"
                         "The file as it was has been kept as [";
const char kWipeNotKept[] =
    "The hosts file has been changed by another program, which removed 20 of the 20 host names its entries mapped.\n"
    "The list still shows them: save to put them back, or press Refresh to see the file as it is now.";

// Twenty entries, with a blank line, LF and CR LF ends and no final line end,
// which a backup must keep as they were.
std::string TwentyLines()
{
    std::string bytes = "127.0.0.1 before\n\n";
    for (int n = 1; n < 20; ++n)
        bytes += "127.0.0.1 host" + std::to_string(n) + (n % 2 ? ".example\r\n" : ".example\n");
    bytes.resize(bytes.size() - 1);
    return bytes;
}
}

TEST_F(FollowTest, AWipeKeepsTheFileAsItWasInABackupFirstAndTheChangesAreCarried)
{
    const std::string before = TwentyLines();
    SetHosts(before);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        ASSERT_TRUE(m_pDlg->AddEntry("added.example", "0.0.0.0"));
        WriteFromOutside("127.0.0.1 localhost\r\n::1 localhost\r\n");
        MessageBoxSeen box = driver.WaitForMessageBox();
        EXPECT_EQ("Tarnwick", box.caption);
        EXPECT_EQ("warning", box.icon);
        ASSERT_TRUE(StartsWith(box.text, kWipeKept)) << box.text;
        std::string kept = box.text.substr(sizeof(kWipeKept) - 1);
        ASSERT_EQ("].", kept.substr(kept.size() - 2));
        kept.resize(kept.size() - 2);
        EXPECT_EQ(BackupFolderPath() + "\\Hosts file backup on ", kept.substr(0, BackupFolderPath().size() + 22));
        EXPECT_TRUE(ReadBytes(kept) == before) << "the bytes as loaded, not the file as it is";
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 localhost", "::1 localhost", "0.0.0.0 added.example"}),
                  Texts(hList))
            << "the list follows before the box";
        driver.Answer(box, IDOK);
        ExpectBox(driver, Lost(1), "warning");
        driver.Sync(hMain);
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ(1u, BackupFileNames().size());
        driver.Key(hMain, VK_ESCAPE);
        ExpectBox(driver, kAskSave, "question", IDNO);
    });
}

TEST_F(FollowTest, AResetToTheDefaultIsAWipeHoweverFewTheEntriesAndAnUpdaterThatKeepsEveryNameIsNone)
{
    // Windows' default (its example entries commented) with three entries
    // of the user's.
    const std::string def = "# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n# For example:\r\n#\r\n"
                            "#      102.54.94.97     rhino.acme.com          # source server\r\n"
                            "#       38.25.63.10     x.acme.com              # x client host\r\n\r\n"
                            "# localhost name resolution is handled within DNS itself.\r\n"
                            "#\t127.0.0.1       localhost\r\n#\t::1             localhost\r\n";
    const std::string entries = "127.0.0.1 a.example\r\n127.0.0.1 b.example\r\n127.0.0.1 c.example\r\n";
    SetHosts(def + entries);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Every address switched: no name went, no box, no backup.
        const std::string updated = def + "0.0.0.0 a.example\r\n0.0.0.0 b.example\r\n0.0.0.0 c.example\r\n";
        WriteFromOutside(updated);
        std::vector<std::string> rows;
        for (size_t n = 0, nEnd; (nEnd = updated.find("\r\n", n)) != std::string::npos; n = nEnd + 2)
            if (nEnd > n)
                rows.push_back(updated.substr(n, nEnd - n));
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList, rows));
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(0u, BackupFileNames().size());

        // Back to the default: the three names are gone, and the file as it
        // was is kept.
        WriteFromOutside(def);
        MessageBoxSeen box = driver.WaitForMessageBox();
        EXPECT_TRUE(StartsWith(box.text, "The hosts file has been changed by another program, which removed 3 of the "
                                         "3 host names its entries mapped.\nThe file as it was has been kept as ["))
            << box.text;
        driver.Answer(box, IDOK);
        ASSERT_EQ(1u, BackupFileNames().size());
        EXPECT_TRUE(ReadBytes(BackupFolderPath() + "\\" + BackupFileNames()[0]) == updated);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FollowTest, AWipeThatCannotBeKeptLeavesTheRowsToBeSavedBack)
{
    const std::string before = TwentyLines();
    SetHosts(before);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        const std::vector<std::string> rows = Texts(hList);
        ASSERT_EQ(20u, rows.size());
        TakeBackupNamesFor(3);
        WriteFromOutside("127.0.0.1 localhost\r\n");
        ExpectBox(driver, kWipeNotKept, "warning");
        driver.Sync(hMain);
        EXPECT_EQ(rows, Texts(hList));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        // Not followed again, neither later nor on coming back to the window.
        ::Sleep(1000);
        driver.Command(hMain, ID_EDIT_FIND);
        HWND hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        driver.Command(hFind, IDCANCEL);
        ::Sleep(600);
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(rows, Texts(hList));

        // A save puts them back, once the user agrees to replace the file.
        EmptyFolder(BackupFolderPath());
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectChangedQuestion(driver, IDYES);
        ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_TRUE(ReadBytes(SystemHostsPath()) == before);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FollowTest, ALineAppendedThroughAHardLinkShowsWithinHalfASecondOfActivation)
{
    SetHosts("127.0.0.1 a\r\n");
    char szTemp[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, szTemp));
    const std::string link = UnixPath(szTemp) + "/tarnwick-hosts-link";
    RunUnixCommand("rm -f '" + link + "'");
    ASSERT_EQ(0, RunUnixCommand("ln '" + UnixPath(SystemHostsPath()) + "' '" + link + "'"));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Away in another window while the other program writes.
        driver.Command(hMain, ID_EDIT_FIND);
        HWND hFind = driver.WaitForDialog("Find");
        ASSERT_NE(nullptr, hFind);
        ASSERT_EQ(0, RunUnixCommand("printf '0.0.0.0 linked.example\\r\\n' >> '" + link + "'"));
        ::Sleep(1000);
        EXPECT_EQ((std::vector<std::string>{"127.0.0.1 a"}), Texts(hList)) << "no notification tells";
        driver.Command(hFind, IDCANCEL);
        EXPECT_TRUE(ShowsWithinTwoSeconds(driver, hList, {"127.0.0.1 a", "0.0.0.0 linked.example"}, 500));
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    RunUnixCommand("rm -f '" + link + "'");
}

TEST_F(FollowTest, ARowCommentedInABlocklistStoredTwiceStaysCommentedWhenLinesAreAddedAroundIt)
{
    const std::string blocklist = ReadBytes(DosPath(TARNWICK_TEST_DATA "/real-blocklist-hosts.txt"));
    ASSERT_EQ(77845u, blocklist.size());
    const std::string entry = "0.0.0.0 eu1.clevertap-prod.com";
    const std::string twice = blocklist + "\n" + blocklist + "\n";
    for (const std::string& base : {twice, twice + "# " + entry + "\n"})
        for (int nCopy : {0, 1})
        {
            SCOPED_TRACE("copy " + std::to_string(nCopy) + (base == twice ? "" : ", also commented further down"));
            SetHosts(base);
            EmptyFolder(BackupFolderPath());  // each save's backup may fall in the same second
            const std::string theirs = "10.8.0.1 vpn.example\n" + base + "127.0.0.1 host.docker.internal\n";
            // theirs with the entry in that copy commented.
            std::string expected = theirs;
            size_t nAt = expected.find("\n" + entry + "\n");
            if (nCopy == 1)
                nAt = expected.find("\n" + entry + "\n", nAt + 1);
            ASSERT_NE(std::string::npos, nAt);
            expected.insert(nAt + 1, "# ");
            // The entry's row: every line before it but the blank ones is a row.
            const size_t nLine = expected.find("# " + entry) - expected.find('\n') - 1;
            int nRow = 0;
            for (size_t n = 0; n < nLine; n = base.find('\n', n) + 1)
                nRow += base[n] != '\n' ? 1 : 0;
            RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
                const int nRows = UiDriver::RowCount(hList);
                ASSERT_EQ(entry, UiDriver::Cell(hList, nRow, 1));
                Select(driver, hMain, hList, {nRow}, IDC_COMMENT_SELECTED);
                WriteFromOutside(theirs);
                EXPECT_TRUE(UiDriver::WaitUntil([&] { return UiDriver::RowCount(hList) == nRows + 2; }, 5000));
                driver.Sync(hMain);
                EXPECT_TRUE(driver.NoMessageBox());
                EXPECT_EQ("# " + entry, UiDriver::Cell(hList, nRow + 1, 1));
                EXPECT_EQ(1, m_pDlg->m_bModified);
                SaveAndConfirm(driver, hMain, IDYES);
                ExpectBox(driver, kSaved, "information");
                EXPECT_TRUE(ReadBytes(SystemHostsPath()) == expected) << "the save writes the comment";
                driver.Key(hMain, VK_ESCAPE);
                EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
            });
        }
}
