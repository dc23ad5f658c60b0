// What another program wrote into the hosts file since it was loaded is never
// replaced: a save takes it in first and carries the user's changes onto it,
// also when it was written while the save's own question was open, and
// writes nothing when a change cannot be kept. Logging off asks about unsaved
// rows as closing does.
#include "MainWindowSteps.h"
#include "res/resource.h"
#include "WindowTest.h"

#include <atomic>
#include <thread>

namespace
{
// WM_QUERYENDSESSION sent from a thread of its own, since the window may
// answer only after a question; the answer once it has come.
class CEndSession
{
public:
    explicit CEndSession(HWND hMain, LPARAM nLogOff = ENDSESSION_LOGOFF)
        : m_thread([this, hMain, nLogOff] {
              m_nAnswer = ::SendMessageA(hMain, WM_QUERYENDSESSION, 0, nLogOff);
              m_bDone = true;
          })
    {
    }
    ~CEndSession() { m_thread.join(); }
    LRESULT Answer()
    {
        EXPECT_TRUE(UiDriver::WaitUntil([this] { return m_bDone.load(); })) << "no answer to WM_QUERYENDSESSION";
        return m_nAnswer;
    }

private:
    std::atomic<bool> m_bDone{false};
    LRESULT m_nAnswer = -1;
    std::thread m_thread;
};
}

using ChangedElsewhereTest = WindowTest;

TEST_F(ChangedElsewhereTest, ASaveCarriesTheUsersChangesOntoWhatAnotherProgramWroteFirst)
{
    const std::string original = "127.0.0.1 a\r\n127.0.0.1 b\r\n";
    const std::string theirs = original + "10.0.0.5 their.vpn.example\r\n";
    SetHosts(original);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Saved at once, before the list has followed: the save follows it
        // first, and the backup holds their bytes.
        CommentFirstRow(driver, hMain, hList);
        SetHosts(theirs);
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(theirs, ReadBytes(backup));
        EXPECT_EQ("# 127.0.0.1 a\r\n127.0.0.1 b\r\n10.0.0.5 their.vpn.example\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(ChangedElsewhereTest, LoggingOffAsksAboutUnsavedRowsAndStaysWhenTheSaveDoesNotHappen)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        {
            CEndSession endSession(hMain);
            EXPECT_EQ(TRUE, endSession.Answer()) << "nothing unsaved: the session may end at once";
        }
        EXPECT_TRUE(driver.NoMessageBox());

        CommentFirstRow(driver, hMain, hList);
        {
            CEndSession endSession(hMain);
            ExpectBox(driver, kAskSave, "question", IDNO);
            EXPECT_EQ(TRUE, endSession.Answer()) << "No: the session may end";
        }
        {
            // Another program changed the line the user changed: that change
            // is gone, the other one is carried onto their lines. (One name
            // of three went: no wipe.)
            UiDriver::Select(hList, {1});
            driver.Command(hMain, IDC_COMMENT_SELECTED);
            driver.Sync(hMain);
            SetHosts("127.0.0.1 a2\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n");
            MessageBoxSeen box = driver.WaitForMessageBox();
            EXPECT_TRUE(StartsWith(box.text, "The hosts file has been changed by another program;")) << box.text;
            driver.Answer(box, IDOK);
            driver.Sync(hMain);
            EXPECT_EQ((std::vector<std::string>{"127.0.0.1 a2", "# 127.0.0.1 b", "127.0.0.1 c"}), Texts(hList));
            EXPECT_EQ(1, m_pDlg->m_bModified);
        }
        {
            // A failed save keeps the session from ending too.
            TakeBackupNamesFor(5);
            CEndSession endSession(hMain);
            ExpectBox(driver, kAskSave, "question", IDYES);
            MessageBoxSeen box = driver.WaitForMessageBox();
            EXPECT_TRUE(StartsWith(box.text, "Failed to Backup Current Hosts File.")) << box.text;
            driver.Answer(box, IDOK);
            EXPECT_EQ(FALSE, endSession.Answer());
            EmptyFolder(BackupFolderPath());
        }
        {
            // Saved: the session may end.
            CEndSession endSession(hMain);
            ExpectBox(driver, kAskSave, "question", IDYES);
            ConfirmBackup(driver, IDYES);
            ExpectBox(driver, kSaved, "information");
            EXPECT_EQ(TRUE, endSession.Answer());
            EXPECT_EQ(0, m_pDlg->m_bModified);
        }
        EXPECT_EQ("127.0.0.1 a2\r\n# 127.0.0.1 b\r\n127.0.0.1 c\r\n", ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(ChangedElsewhereTest, AChangeWrittenWhileTheBackupQuestionIsOpenIsNeverReplaced)
{
    const std::string original = "127.0.0.1 a\r\n127.0.0.1 b\r\n";
    const std::string theirs = original + "10.0.0.5 their.vpn.example\r\n";
    SetHosts(original);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Their line is taken in, and the user's change carried onto it: the
        // save makes a new backup, which holds their bytes, and asks again.
        // (That backup is made within the second of the one before it: the
        // save waits for the next second's name.)
        CommentFirstRow(driver, hMain, hList);
        driver.Command(hMain, IDC_SAVE_CHANGES);
        MessageBoxSeen box = driver.WaitForMessageBox();
        SetHosts(theirs);
        driver.Answer(box, IDYES);
        std::string backup = ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(theirs, ReadBytes(backup));
        EXPECT_EQ("# 127.0.0.1 a\r\n127.0.0.1 b\r\n10.0.0.5 their.vpn.example\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(2u, BackupFileNames().size());
        EXPECT_EQ(0, m_pDlg->m_bModified);

        // Their change is on the line the user changed: nothing is written.
        ::Sleep(1100);
        UiDriver::Select(hList, {1});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        driver.Command(hMain, IDC_SAVE_CHANGES);
        box = driver.WaitForMessageBox();
        const std::string conflicting = "# 127.0.0.1 a\r\n0.0.0.0 b\r\n10.0.0.5 their.vpn.example\r\n";
        SetHosts(conflicting);
        driver.Answer(box, IDYES);
        box = driver.WaitForMessageBox();
        EXPECT_TRUE(StartsWith(box.text, "The hosts file has been changed by another program;")) << box.text;
        EXPECT_EQ("warning", box.icon);
        driver.Answer(box, IDOK);
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(conflicting, ReadBytes(SystemHostsPath()));
        EXPECT_EQ("0.0.0.0 b", UiDriver::Cell(hList, 1, 1));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain)) << "the list is what the file holds";
    });
}

TEST_F(ChangedElsewhereTest, ASessionThatMustEndAsksNothingAndItsEndMarksTheProgramStopped)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        {
            CEndSession endSession(hMain, ENDSESSION_CRITICAL | ENDSESSION_LOGOFF);
            EXPECT_EQ(TRUE, endSession.Answer());
        }
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox()) << "no question, no save";
        EXPECT_TRUE(BackupFileNames().empty());
        EXPECT_EQ(1u, ReadRunValue());
        ::SendMessageA(hMain, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        EXPECT_EQ(1u, ReadRunValue()) << "a log-off called off changes nothing";
        ::SendMessageA(hMain, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL | ENDSESSION_LOGOFF);
        EXPECT_EQ(0u, ReadRunValue());
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        ExitAnsweringNo(driver, hMain);
    });
}
