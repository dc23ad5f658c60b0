// Faults from outside the program, met through the real main window: the
// hosts file held open by another process, the backup folder's place taken
// by a file, and hosts files of odd bytes or great size. In each case the
// user is told what the system said, no row is lost from the window, and the
// file on disk is either left as it was or holds exactly the rows.
#include "MainWindowSteps.h"
#include "OtherProcessHolding.h"
#include "WindowTest.h"

#include "hosts/lines/LineScan.h"
#include "res/resource.h"

#include <random>

namespace
{
// The bytes of a string literal, NULs included.
template <size_t N>
std::string Literal(const char (&bytes)[N])
{
    return std::string(bytes, N - 1);
}

// Where two large byte strings part, for a failure message that does not
// print megabytes.
std::string FirstDifference(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return "none";
    size_t n = 0;
    while (n < actual.size() && n < expected.size() && actual[n] == expected[n])
        ++n;
    return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at byte " + std::to_string(n) + ": '" + actual.substr(n, 40) + "' instead of '" +
           expected.substr(n, 40) + "'";
}


}

class FaultInjectionTest : public WindowTest
{
protected:
    void TearDown() override
    {
        CMainDlg::s_nRowLimitForTesting = static_cast<size_t>(-1);
        CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);
        // A file left where the backup folder goes would fail every later test.
        DWORD dwAttributes = ::GetFileAttributesA(BackupFolderPath().c_str());
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileA(BackupFolderPath().c_str());
        WindowTest::TearDown();
    }

    // Loads the bytes as the hosts file, checks the rows, saves them back
    // and checks the file written and the backup of the original.
    void LoadAndSaveBack(const std::string& bytes, const std::vector<std::string>& rows,
                         const std::vector<std::string>& statuses, const std::string& saved)
    {
        SetHosts(bytes);
        RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
            EXPECT_EQ(rows, Texts(hList));
            std::vector<std::string> seenStatuses;
            for (int n = 0; n < UiDriver::RowCount(hList); ++n)
                seenStatuses.push_back(UiDriver::Cell(hList, n, 2));
            EXPECT_EQ(statuses, seenStatuses);
            std::string backup = SaveAndConfirm(driver, hMain, IDYES);
            ExpectBox(driver, kSaved, "information");
            EXPECT_EQ(saved, ReadBytes(SystemHostsPath()));
            EXPECT_EQ(bytes, ReadBytes(backup)) << "the backup holds the file as it was, byte for byte";
            EXPECT_EQ(rows, Texts(hList)) << "saving changes no row";
            driver.Key(hMain, VK_ESCAPE);
            EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
        });
    }
};

TEST_F(FaultInjectionTest, NoMemoryForEveryLineLoadsNoneAndNoMemoryForAnEntryAddsNone)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        ASSERT_EQ(3, UiDriver::RowCount(hList));

        // Room for two rows only: a list holding some of the lines would save
        // a shortened hosts file, so it holds none, and says so.
        CMainDlg::s_nRowLimitForTesting = 2;
        driver.Command(hMain, ID_VIEW_REFRESH);  // View > Refresh
        ExpectBox(driver, "Not enough memory to load the hosts file.", "error");
        driver.Sync(hMain);
        EXPECT_EQ(0, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->GetRowCount()) << "the rows a save would write are the rows shown";
        EXPECT_EQ(0, m_pDlg->m_bModified);

        // No room for a new entry: nothing is added and nothing is marked.
        CMainDlg::s_nRowLimitForTesting = 0;
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        ::SetDlgItemTextA(hEntry, IDC_ENTRY, "ads.example");
        driver.Command(hEntry, IDOK);
        ExpectBox(driver, "Not enough memory to add the entry.", "error");
        driver.Sync(hMain);
        EXPECT_EQ(0, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->GetRowCount());
        EXPECT_EQ(0, m_pDlg->m_bModified);

        // With memory again the file loads whole.
        CMainDlg::s_nRowLimitForTesting = static_cast<size_t>(-1);
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        EXPECT_EQ(3, UiDriver::RowCount(hList));
        EXPECT_EQ(3, m_pDlg->GetRowCount());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, AReadErrorPartWayLoadsNoLineAndSays)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        ASSERT_EQ(3, UiDriver::RowCount(hList));
        // The disk fails after the first 20 bytes: a list holding the lines
        // before that would save a shortened hosts file.
        CEntryList::s_nReadLimitForTesting = 20;
        driver.Command(hMain, ID_VIEW_REFRESH);
        ExpectBox(driver,
                  "Failed to read the whole file. None of its lines are shown, so that saving cannot shorten the "
                  "hosts file.",
                  "error");
        driver.Sync(hMain);
        EXPECT_EQ(0, UiDriver::RowCount(hList));
        EXPECT_EQ(0, m_pDlg->GetRowCount());
        CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, AListThatAFailedReadLeftIsNotSavedUntilTheFileIsReadWhole)
{
    const std::string kReadFailed =
        "Failed to read the whole file. None of its lines are shown, so that saving cannot shorten the hosts file.";
    const std::string kNotRead =
        "The hosts file could not be read, so the list does not hold its lines and saving would lose them.\n"
        "Press Refresh to read it again.";
    const std::string theirs = "127.0.0.1 a\r\n127.0.0.1 b\r\n127.0.0.1 c\r\n";
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        // Refresh fails part-way, and an entry is added to the empty list:
        // nothing is backed up or written, and the window stays as it was.
        CEntryList::s_nReadLimitForTesting = 5;
        driver.Command(hMain, ID_VIEW_REFRESH);
        ExpectBox(driver, kReadFailed, "error");
        CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);
        ASSERT_TRUE(m_pDlg->AddEntry("added.example", "0.0.0.0"));
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver, kNotRead, "error");
        EXPECT_TRUE(BackupFileNames().empty());
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ((std::vector<std::string>{"0.0.0.0 added.example"}), Texts(hList));

        // Refreshed, then another program writes the file, and the save's
        // own read of it fails part-way: again nothing is written.
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        SetHosts(theirs);
        CEntryList::s_nReadLimitForTesting = 20;
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver, kReadFailed, "error");
        CEntryList::s_nReadLimitForTesting = static_cast<size_t>(-1);
        ExpectBox(driver, kNotRead, "error");
        EXPECT_TRUE(BackupFileNames().empty());
        EXPECT_EQ(theirs, ReadBytes(SystemHostsPath()));

        // Following the file reads it whole, and the list saves again.
        EXPECT_TRUE(UiDriver::WaitUntil([&] { return UiDriver::RowCount(hList) == 3; }));
        CommentFirstRow(driver, hMain, hList);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# " + theirs, ReadBytes(SystemHostsPath()));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, ControlCharactersInANewEntryAreSavedAsSpacesAndTheFileReloadsWhole)
{
    SetHosts("127.0.0.1 a\r\n127.0.0.1 b\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Command(hMain, IDC_ADD_NEW_ENTRY);
        HWND hEntry = driver.WaitForDialog("Hosts File Entry");
        ASSERT_NE(nullptr, hEntry);
        ::SetDlgItemTextA(hEntry, IDC_ENTRY, "ads\x1A" "example\x01\tx");
        ::SetDlgItemTextA(hEntry, IDC_TARGET, "\x1B" "0.0.0.0");
        driver.Command(hEntry, IDOK);
        driver.Sync(hMain);
        ASSERT_EQ(3, UiDriver::RowCount(hList));
        EXPECT_EQ(" 0.0.0.0 ads example \tx", UiDriver::Cell(hList, 2, 1));

        // A Ctrl-Z saved as it was would end the file for the next load.
        UiDriver::Select(hList, {0});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# 127.0.0.1 a\r\n127.0.0.1 b\r\n 0.0.0.0 ads example \tx\r\n", ReadBytes(SystemHostsPath()));
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"# 127.0.0.1 a", "127.0.0.1 b", "0.0.0.0 ads example \tx"}),
                  Texts(hList));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, HostsFileHeldByAnotherProcessWithoutWriteSharingKeepsTheRowsToSaveLater)
{
    const std::string original = "# held\r\n127.0.0.1 a.example\r\n";
    SetHosts(original);
    COtherProcessHolding holder;
    ASSERT_TRUE(holder.Hold(SystemHostsPath(), "read"));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {1});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);

        // The backup only reads the file, which the other process allows;
        // writing it is refused.
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, "Failed to Save Changes.\nError : " + SystemText(32), "error");
        EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
        EXPECT_EQ(original, ReadBytes(backup));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ((std::vector<std::string>{"# held", "# 127.0.0.1 a.example"}), Texts(hList));
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 1, 2));

        // Once the other program lets go, the same rows save. The next
        // backup needs a name of a later second.
        EXPECT_EQ(0u, holder.Release());
        ::Sleep(1100);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ("# held\r\n# 127.0.0.1 a.example\r\n", ReadBytes(SystemHostsPath()));
        EXPECT_EQ(2u, BackupFileNames().size());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, HostsFileHeldExclusivelyByAnotherProcessFailsTheBackupAndWritesNothing)
{
    const std::string original = "127.0.0.1 a.example\r\n";
    SetHosts(original);
    COtherProcessHolding holder;
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {0});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        // The other program takes the file after it was loaded and lets no
        // one else open it, not even to read it for the backup.
        ASSERT_TRUE(holder.Hold(SystemHostsPath(), "none"));
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver,
                  "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " + SystemText(32),
                  "error");
        EXPECT_EQ((std::vector<std::string>{}), BackupFileNames()) << "no backup, not even an empty one";
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ((std::vector<std::string>{"# 127.0.0.1 a.example"}), Texts(hList));
        ExitAnsweringNo(driver, hMain);
    });
    EXPECT_EQ(0u, holder.Release());
    EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
}

TEST_F(FaultInjectionTest, HostsFileHeldExclusivelyWhenTheWindowOpensShowsNoRowsAndIsNotWritten)
{
    // Reading a file that cannot be opened gives no lines and no message.
    // The empty list is not written while the file is held: the backup
    // fails first.
    const std::string original = "127.0.0.1 a.example\r\n";
    SetHosts(original);
    COtherProcessHolding holder;
    ASSERT_TRUE(holder.Hold(SystemHostsPath(), "none"));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        driver.Sync(hMain);
        EXPECT_TRUE(driver.NoMessageBox());
        EXPECT_EQ(0, UiDriver::RowCount(hList));
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver,
                  "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " + SystemText(32),
                  "error");
        EXPECT_EQ((std::vector<std::string>{}), BackupFileNames());
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
    EXPECT_EQ(0u, holder.Release());
    EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
}

TEST_F(FaultInjectionTest, FileInThePlaceOfTheBackupFolderFailsTheBackupAndLeavesTheHostsFile)
{
    const std::string original = "127.0.0.1 a.example\r\n";
    const std::string squatter = "a file named like the backup folder\r\n";
    SetHosts(original);
    EmptyFolder(BackupFolderPath());
    ::RemoveDirectoryA(BackupFolderPath().c_str());
    WriteBytes(BackupFolderPath(), squatter);
    DWORD dwAttributes = ::GetFileAttributesA(BackupFolderPath().c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, dwAttributes);
    ASSERT_FALSE(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);

    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {0});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);

        // The folder cannot be made, so the copy finds no path to go to.
        driver.Command(hMain, IDC_SAVE_CHANGES);
        ExpectBox(driver,
                  "Failed to Backup Current Hosts File.\nAborting Changes Save Action.\nError : " + SystemText(3),
                  "error");
        EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ((std::vector<std::string>{"# 127.0.0.1 a.example"}), Texts(hList));

        driver.Command(hMain, ID_FILE_BACKUP_NOW);
        ExpectBox(driver, "Failed to Backup Current Hosts File.\nError : " + SystemText(3), "error");

        EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
        EXPECT_EQ(squatter, ReadBytes(BackupFolderPath())) << "the file in the folder's place is left alone";
        ExitAnsweringNo(driver, hMain);
    });
    EXPECT_EQ(original, ReadBytes(SystemHostsPath()));
}

TEST_F(FaultInjectionTest, NulBytesEndALinesTextAndTheLinesAfterThemStillLoad)
{
    LoadAndSaveBack(Literal("127.0.0.1 a.example\0 after a NUL\r\n\0hidden\r\n0.0.0.0 b.example\r\n"),
                    {"127.0.0.1 a.example", "", "0.0.0.0 b.example"}, {"Active", "Active", "Active"},
                    Literal("127.0.0.1 a.example\0 after a NUL\r\n\0hidden\r\n0.0.0.0 b.example\r\n"));
}

TEST_F(FaultInjectionTest, EmptyRowFromANulLineIsSavedAsItWasAndStaysARow)
{
    SetHosts(Literal("# a\r\n\0x\r\n# b\r\n"));
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ((std::vector<std::string>{"# a", "", "# b"}), Texts(hList));
        UiDriver::Select(hList, {1});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        EXPECT_EQ(Literal("# a\r\n# \0x\r\n# b\r\n"), ReadBytes(SystemHostsPath()));
        driver.Command(hMain, ID_VIEW_REFRESH);
        driver.Sync(hMain);
        EXPECT_EQ((std::vector<std::string>{"# a", "# ", "# b"}), Texts(hList));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, CtrlZInTheMiddleEndsWhatIsShownAndWhatFollowsIsSavedAsItWas)
{
    // What follows the Ctrl-Z is no row, but it stays in the file.
    LoadAndSaveBack("127.0.0.1 a.example\r\n0.0.0.0 b.example\x1A" "0.0.0.0 c.example\r\n# after\r\n",
                    {"127.0.0.1 a.example", "0.0.0.0 b.example"}, {"Active", "Active"},
                    "127.0.0.1 a.example\r\n0.0.0.0 b.example\x1A" "0.0.0.0 c.example\r\n# after\r\n");
}

TEST_F(FaultInjectionTest, LoneCarriageReturnsDoNotEndLines)
{
    LoadAndSaveBack("# old Mac file\r127.0.0.1 a.example\r0.0.0.0 b.example\r",
                    {"# old Mac file\r127.0.0.1 a.example\r0.0.0.0 b.example\r"}, {"Commented"},
                    "# old Mac file\r127.0.0.1 a.example\r0.0.0.0 b.example\r");
}

TEST_F(FaultInjectionTest, Utf8ByteOrderMarkStaysAtTheStartAndIsNoPartOfTheFirstLine)
{
    // The first line is a comment; saving puts the mark back where it was.
    LoadAndSaveBack("\xEF\xBB\xBF# comment\r\n127.0.0.1 a.example\r\n", {"# comment", "127.0.0.1 a.example"},
                    {"Commented", "Active"}, "\xEF\xBB\xBF# comment\r\n127.0.0.1 a.example\r\n");
}

TEST_F(FaultInjectionTest, LineOfAHundredThousandCharactersLoadsAndSavesWhole)
{
    std::string longLine = "0.0.0.0";
    for (int n = 0; longLine.size() < 100000; ++n)
        longLine += " h" + std::to_string(n % 10);
    longLine.resize(100000);
    ASSERT_EQ(100000u, longLine.size());
    ASSERT_EQ("0.0.0.0 h0 h1 h2", longLine.substr(0, 16));
    LoadAndSaveBack(longLine + "\n127.0.0.1 after.example\n", {longLine, "127.0.0.1 after.example"},
                    {"Active", "Active"}, longLine + "\n127.0.0.1 after.example\n");
}

TEST_F(FaultInjectionTest, RandomBytesLoadAsTheReadingRulesDeliverThemAndSaveAsTheyWere)
{
    // A quarter of a megabyte of random bytes from a fixed seed. Ctrl-Z bytes
    // become 0x1B so that the whole file is read (Ctrl-Z has its own test).
    std::mt19937 random(20261207);
    std::string bytes(256 * 1024, '\0');
    for (char& ch : bytes)
    {
        ch = static_cast<char>(random() & 0xFF);
        if (ch == '\x1A')
            ch = '\x1B';
    }
    size_t nLines = 0;
    ScanHostsText(bytes.data(), bytes.size(), [&](const CString&) { ++nLines; });
    ASSERT_GT(nLines, 500u);

    SetHosts(bytes);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        EXPECT_EQ(static_cast<int>(nLines), UiDriver::RowCount(hList));
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        std::string saved = ReadBytes(SystemHostsPath());
        EXPECT_TRUE(saved == bytes) << FirstDifference(saved, bytes);
        EXPECT_TRUE(ReadBytes(backup) == bytes);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(FaultInjectionTest, MillionLinesLoadAndSaveEveryByte)
{
    // Every tenth line indented, every tenth ended by LF alone, every tenth
    // followed by a blank line, every tenth commented. The rows show each
    // line without its indent; saved, every byte comes back as it was, but
    // for the one line commented.
    std::string bytes;
    std::string expected;
    bytes.reserve(36 * 1000 * 1000);
    expected.reserve(36 * 1000 * 1000);
    for (int n = 0; n < 1000000; ++n)
    {
        std::string number = std::to_string(n);
        std::string line;
        switch (n % 10)
        {
        case 0:
            line = "# block list section " + number + "\r\n";
            break;
        case 1:
            line = "   127.0.0.1 indented" + number + ".example\r\n";
            break;
        case 2:
            line = "0.0.0.0 unix" + number + ".example\n";
            break;
        case 3:
            line = "127.0.0.1 spaced" + number + ".example\r\n\r\n";
            break;
        default:
            line = "127.0.0.1 site" + number + ".example\r\n";
            break;
        }
        bytes += line;
        expected += n == 500001 ? "   # 127.0.0.1 indented500001.example\r\n" : line;
    }

    SetHosts(bytes);
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        ASSERT_EQ(1000000, UiDriver::RowCount(hList));
        EXPECT_EQ("1", UiDriver::Cell(hList, 0, 0));
        EXPECT_EQ("# block list section 0", UiDriver::Cell(hList, 0, 1));
        EXPECT_EQ("Commented", UiDriver::Cell(hList, 0, 2));
        EXPECT_EQ("127.0.0.1 indented500001.example", UiDriver::Cell(hList, 500001, 1));
        EXPECT_EQ("1000000", UiDriver::Cell(hList, 999999, 0));
        EXPECT_EQ("127.0.0.1 site999999.example", UiDriver::Cell(hList, 999999, 1));
        EXPECT_EQ("Active", UiDriver::Cell(hList, 999999, 2));

        UiDriver::Select(hList, {500001});
        driver.Command(hMain, IDC_COMMENT_SELECTED);
        driver.Sync(hMain);
        std::string backup = SaveAndConfirm(driver, hMain, IDYES);
        ExpectBox(driver, kSaved, "information");
        std::string saved = ReadBytes(SystemHostsPath());
        EXPECT_TRUE(saved == expected) << FirstDifference(saved, expected);
        EXPECT_TRUE(ReadBytes(backup) == bytes);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}
