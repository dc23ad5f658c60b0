// What another program wrote into the hosts file since it was loaded is never
// replaced without a question, also when it writes while the save's own
// question is open, and logging off asks about unsaved rows as closing does.
#include "MainWindowSteps.h"
#include "WindowTest.h"

#include <atomic>
#include <thread>

namespace
{
void CommentFirstRow(UiDriver& driver, HWND hMain, HWND hList)
{
    UiDriver::Select(hList, {0});
    driver.Command(hMain, 1005);
    driver.Sync(hMain);
}

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

TEST_F(ChangedElsewhereTest, ASaveAsksBeforeReplacingWhatAnotherProgramWrote)
{
    const std::string original = "127.0.0.1 a\r\n";
    const std::string theirs = original + "10.0.0.5 their.vpn.example\r\n";
    SetHosts(original);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // The same bytes written again (a new time stamp only): no question.
        CommentFirstRow(driver, hMain, hList);
        SetHosts(original);
        SaveAndConfirm(driver, hMain, IDNO);
        EmptyFolder(BackupFolderPath());

        // A line added from outside: asked before any backup; No writes
        // nothing, makes no backup and keeps the rows unsaved.
        SetHosts(theirs);
        driver.Command(hMain, 1010);
        ExpectChangedQuestion(driver, IDNO);
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(theirs, ReadBytes(SystemHostsPath()));
        EXPECT_TRUE(BackupFileNames().empty());
        EXPECT_EQ(1, m_pDlg->m_bModified);

        // Yes: the backup keeps their bytes, the rows are written.
        driver.Command(hMain, 1010);
        ExpectChangedQuestion(driver, IDYES);
        std::string backup = ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(theirs, ReadBytes(backup));
        EXPECT_EQ("# 127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EmptyFolder(BackupFolderPath());

        // After a successful save, and after a Refresh that loaded their
        // change, a save asks nothing.
        SaveAndConfirm(driver, hMain, IDNO);
        EmptyFolder(BackupFolderPath());
        SetHosts("127.0.0.1 b\r\n");
        driver.Command(hMain, 32775);
        driver.Sync(hMain);
        SaveAndConfirm(driver, hMain, IDNO);
        EmptyFolder(BackupFolderPath());

        // Also a rewrite of one line with another of the same length asks;
        // No when the save came from closing keeps the window and its rows.
        CommentFirstRow(driver, hMain, hList);
        SetHosts("127.0.0.1 c\r\n");
        driver.Key(hMain, VK_ESCAPE);
        ExpectBox(driver, kAskSave, "question", IDYES);
        ExpectChangedQuestion(driver, IDNO);
        driver.Sync(hMain);
        EXPECT_TRUE(::IsWindowVisible(hMain)) << "the window stays open";
        EXPECT_EQ("# 127.0.0.1 b", UiDriver::Cell(hList, 0, 1));
        EXPECT_EQ("127.0.0.1 c\r\n", ReadBytes(SystemHostsPath()));
        ExitAnsweringNo(driver, hMain);
    });
}

TEST_F(ChangedElsewhereTest, LoggingOffAsksAboutUnsavedRowsAndStaysWhenTheSaveDoesNotHappen)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n");
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
            // Another program's change, and No to replacing it: the session
            // must not end, the rows stay.
            SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n0.0.0.0 x\r\n");
            CEndSession endSession(hMain);
            ExpectBox(driver, kAskSave, "question", IDYES);
            ExpectChangedQuestion(driver, IDNO);
            EXPECT_EQ(FALSE, endSession.Answer());
            EXPECT_EQ(1, m_pDlg->m_bModified);
        }
        {
            // A failed save keeps the session from ending too.
            TakeBackupNamesFor(5);
            CEndSession endSession(hMain);
            ExpectBox(driver, kAskSave, "question", IDYES);
            ExpectChangedQuestion(driver, IDYES);
            MessageBoxSeen box = driver.WaitForMessageBox();
            EXPECT_TRUE(StartsWith(box.text, "Failed to Backup Current Hosts File.")) << box.text;
            driver.Answer(box, IDOK);
            EXPECT_EQ(FALSE, endSession.Answer());
            EmptyFolder(BackupFolderPath());
        }
        {
            // Saved: the session may end.
            driver.Command(hMain, 32775);  // their line is loaded now
            CommentFirstRow(driver, hMain, hList);
            CEndSession endSession(hMain);
            ExpectBox(driver, kAskSave, "question", IDYES);
            ConfirmBackup(driver, IDYES);
            ExpectBox(driver, kSaved, "information");
            EXPECT_EQ(TRUE, endSession.Answer());
            EXPECT_EQ(0, m_pDlg->m_bModified);
        }
        EXPECT_EQ("# 127.0.0.1 a\r\n127.0.0.1 b\r\n0.0.0.0 x\r\n", ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(ChangedElsewhereTest, AChangeWrittenWhileTheBackupQuestionIsOpenIsNotReplacedWithoutAQuestion)
{
    const std::string original = "127.0.0.1 a\r\n";
    const std::string theirs = original + "10.0.0.5 their.vpn.example\r\n";
    const std::string theirsAgain = theirs + "10.0.0.6 more.vpn.example\r\n";
    SetHosts(original);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        CommentFirstRow(driver, hMain, hList);
        driver.Command(hMain, 1010);
        MessageBoxSeen box = driver.WaitForMessageBox();
        SetHosts(theirs);
        driver.Answer(box, IDYES);
        ExpectChangedQuestion(driver, IDNO);
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(theirs, ReadBytes(SystemHostsPath()));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ(1u, BackupFileNames().size()) << "the one made before their change";

        // Yes to replacing it: a new backup keeps their bytes, and the save
        // asks to go on again. (That backup is made within the second of
        // the one before it: the save waits for the next second's name.)
        ::Sleep(1100);  // this save's first backup needs a name of a later second
        driver.Command(hMain, 1010);
        ExpectChangedQuestion(driver, IDYES);
        box = driver.WaitForMessageBox();
        SetHosts(theirsAgain);
        driver.Answer(box, IDYES);
        ExpectChangedQuestion(driver, IDYES);
        std::string backup = ConfirmBackup(driver, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(theirsAgain, ReadBytes(backup));
        EXPECT_EQ("# 127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(0, m_pDlg->m_bModified);
        EXPECT_EQ(3u, BackupFileNames().size());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
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
