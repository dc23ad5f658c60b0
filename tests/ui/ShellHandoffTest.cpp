// The view and help commands hand files, folders and addresses to the shell.
// A small recorder program stands in for the editor, the browser, the mail
// program and the file browser, and writes down the command line it got.
#include "res/resource.h"
#include "WindowTest.h"

#include <algorithm>

namespace
{
const char kLog[] = "C:\\tarnwick-shell.log";
const char* const kClassKeys[] = {"http\\shell\\open\\command", "mailto\\shell\\open\\command",
                                  "Folder\\shell\\open\\command", "Directory\\shell\\open\\command"};

std::string RecorderPath()
{
    return DosPath(TARNWICK_RECORDER_PATH);
}

// Waits for the recorder's next line; "" when none comes.
std::string NextLoggedCommandLine(size_t nLine)
{
    for (int nWaited = 0; nWaited < 10000; nWaited += 20)
    {
        std::string log = ReadBytes(kLog);
        std::vector<std::string> lines;
        for (size_t nStart = 0, nEnd; (nEnd = log.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
            lines.push_back(log.substr(nStart, nEnd - nStart));
        if (lines.size() > nLine)
            return lines[nLine];
        ::Sleep(20);
    }
    return "";
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}

class ShellHandoffTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ::DeleteFileA(kLog);
        for (const char* pszKey : kClassKeys)
        {
            m_savedCommands.push_back(ClassCommand(pszKey));
            SetClassCommand(pszKey, ("\"" + RecorderPath() + "\" \"%1\"").c_str());
        }
    }
    void TearDown() override
    {
        for (size_t n = 0; n < m_savedCommands.size(); ++n)
            SetClassCommand(kClassKeys[n], m_savedCommands[n].empty() ? nullptr : m_savedCommands[n].c_str());
        ::DeleteFileA(kLog);
        WindowTest::TearDown();
    }

    std::vector<std::string> m_savedCommands;
};

TEST_F(ShellHandoffTest, ViewHostsFileOpensTheConfiguredEditorWithThePathAsItIs)
{
    SetHosts("127.0.0.1 a\r\n");
    SetEditorPath(RecorderPath().c_str());
    RunMain([&](UiDriver& driver, HWND hMain, HWND hList) {
        UiDriver::Select(hList, {0});
        driver.Command(hMain, IDC_COMMENT_SELECTED);  // an unsaved change the command must not touch
        driver.Command(hMain, ID_VIEW_HOSTS_FILE);
        std::string line = NextLoggedCommandLine(0);
        EXPECT_TRUE(EndsWith(line, " " + SystemHostsPath())) << line;
        EXPECT_EQ(std::string::npos, line.find("\"" + SystemHostsPath())) << "a path without blanks is not quoted";
        EXPECT_EQ(1, m_pDlg->m_bModified);
        EXPECT_EQ("127.0.0.1 a\r\n", ReadBytes(SystemHostsPath()));

        // The setting is read afresh each time: a removed editor is not used.
        SetEditorPath("C:\\no such editor.exe");
        driver.Command(hMain, ID_VIEW_HOSTS_FILE);
        driver.Sync(hMain);
        ::Sleep(500);
        std::string log = ReadBytes(kLog);
        EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n')) << log;
        EXPECT_TRUE(driver.NoMessageBox()) << "a failed hand-off is not reported";

        driver.Command(hMain, ID_FILE_EXIT);
        MessageBoxSeen box = driver.WaitForMessageBox();
        driver.Answer(box, IDNO);
    });
}

TEST_F(ShellHandoffTest, ViewFileInTheRestoreDialogQuotesABackupPathWithBlanks)
{
    SetHosts("127.0.0.1 a\r\n");
    SetEditorPath(RecorderPath().c_str());
    ::CreateDirectoryA(BackupFolderPath().c_str(), nullptr);
    ::CreateDirectoryA((BackupFolderPath() + "\\old").c_str(), nullptr);
    WriteBytes(BackupFolderPath() + "\\Hosts file backup on 7 1 2008 9 42 20 PM", "x\r\n");
    WriteBytes(BackupFolderPath() + "\\old\\x", "y\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        driver.Command(hMain, ID_FILE_RESTORE);
        HWND hRestore = driver.WaitForDialog("Restore From Saved / Backed Up Hosts File");
        ASSERT_NE(nullptr, hRestore);
        HWND hList = ::GetDlgItem(hRestore, IDC_BACKUP_LIST);
        ASSERT_EQ(2, UiDriver::RowCount(hList));
        int nBackup = UiDriver::Cell(hList, 0, 1) == "old\\x" ? 1 : 0;

        UiDriver::Select(hList, {nBackup});
        driver.Command(hRestore, IDC_VIEW_FILE);
        std::string line = NextLoggedCommandLine(0);
        EXPECT_TRUE(EndsWith(line, " \"" + BackupFolderPath() + "\\Hosts file backup on 7 1 2008 9 42 20 PM\""))
            << line;

        // The dialog stays open and View File works again on another row.
        UiDriver::Select(hList, {1 - nBackup});
        driver.Command(hRestore, IDC_VIEW_FILE);
        line = NextLoggedCommandLine(1);
        EXPECT_TRUE(EndsWith(line, " " + BackupFolderPath() + "\\old\\x")) << line;
        EXPECT_TRUE(::IsWindow(hRestore));

        driver.Command(hRestore, IDCANCEL);
        driver.Sync(hMain);
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(ShellHandoffTest, HelpCommandsOpenTheHomePageAndAMailLink)
{
    SetHosts("127.0.0.1 a\r\n");
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        driver.Command(hMain, ID_HELP_PRODUCT_HOMEPAGE);
        std::string line = NextLoggedCommandLine(0);
        EXPECT_NE(std::string::npos, line.find("http://")) << line;
        EXPECT_TRUE(EndsWith(line, "/Tarnwick/TarnwickUtility.htm\"")) << line;

        driver.Command(hMain, ID_HELP_CONTACT_US);
        line = NextLoggedCommandLine(1);
        EXPECT_NE(std::string::npos, line.find("\"mailto:")) << line;
        EXPECT_EQ(std::string::npos, line.find('?')) << "a plain address, no subject or body: " << line;

        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}

TEST_F(ShellHandoffTest, ViewBackupFolderCreatesAndOpensTheFolder)
{
    SetHosts("127.0.0.1 a\r\n");
    EmptyFolder(BackupFolderPath());
    ::RemoveDirectoryA(BackupFolderPath().c_str());
    RunMain([&](UiDriver& driver, HWND hMain, HWND) {
        driver.Command(hMain, ID_VIEW_BACKUP_FOLDER);
        std::string line = NextLoggedCommandLine(0);
        EXPECT_NE(std::string::npos, line.find(BackupFolderPath())) << line;
        DWORD dwAttributes = ::GetFileAttributesA(BackupFolderPath().c_str());
        EXPECT_TRUE(dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY));
        driver.Key(hMain, VK_ESCAPE);
        EXPECT_TRUE(ClosesWithoutQuestion(driver, hMain));
    });
}
